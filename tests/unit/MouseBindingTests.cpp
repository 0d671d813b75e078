// Reading mouse bindings, the Maximize menu's sizes and the move/size report
// encoding.
#include <gtest/gtest.h>

#include "MaximizeMenu.h"
#include "MouseBinding.h"
#include "MoveSize.h"

namespace {

TEST(MouseBinding, MessagesRunLeftRightMiddle)
{
    struct Case {
        UINT message;
        MoxButton button;
        bool press;
        bool doubleClick;
    };
    const Case cases[] = {
        {WM_NCLBUTTONDOWN, MoxButtonLeft, true, false},     {WM_NCLBUTTONUP, MoxButtonLeft, false, false},
        {WM_NCLBUTTONDBLCLK, MoxButtonLeft, false, true},   {WM_NCRBUTTONDOWN, MoxButtonRight, true, false},
        {WM_NCRBUTTONUP, MoxButtonRight, false, false},     {WM_NCRBUTTONDBLCLK, MoxButtonRight, false, true},
        {WM_NCMBUTTONDOWN, MoxButtonMiddle, true, false},   {WM_NCMBUTTONUP, MoxButtonMiddle, false, false},
        {WM_NCMBUTTONDBLCLK, MoxButtonMiddle, false, true},
    };
    for (const Case& c : cases) {
        NcButtonEvent event = {};
        ASSERT_TRUE(DecodeNcButtonMessage(c.message, event)) << c.message;
        EXPECT_EQ(event.button, c.button) << c.message;
        EXPECT_EQ(event.press, c.press) << c.message;
        EXPECT_EQ(event.doubleClick, c.doubleClick) << c.message;
    }
    NcButtonEvent event = {};
    EXPECT_FALSE(DecodeNcButtonMessage(0x00A0, event));  // WM_NCMOUSEMOVE
    EXPECT_FALSE(DecodeNcButtonMessage(0x00AA, event));
    EXPECT_FALSE(DecodeNcButtonMessage(WM_LBUTTONDOWN, event));
}

TEST(MouseBinding, LookupReadsOnlyInsideTheTable)
{
    BindingTable table = {};
    for (int b = 0; b < MoxButtonCount; ++b)
        for (int m = 0; m < MoxModifierRowCount; ++m)
            for (int h = 0; h < MoxHitTestCount; ++h) table[b][m][h] = MoxActionSendToBack;
    table[MoxButtonRight][1][HTCAPTION] = MoxActionMove;
    table[MoxButtonRight][2][HTHELP] = MoxActionMaximizeMenu;
    EXPECT_EQ(LookupBinding(table, MoxButtonRight, 1, HTCAPTION), MoxActionMove);
    EXPECT_EQ(LookupBinding(table, MoxButtonRight, 2, HTHELP), MoxActionMaximizeMenu);
    EXPECT_EQ(LookupBinding(table, MoxButtonLeft, 0, HTNOWHERE), MoxActionSendToBack);
    // Several modifiers together, or Shift: no row, so no binding.
    for (int modifier = 3; modifier <= 7; ++modifier) {
        EXPECT_EQ(LookupBinding(table, MoxButtonRight, modifier, HTCAPTION), MoxActionNone) << modifier;
    }
    EXPECT_EQ(LookupBinding(table, MoxButtonRight, -1, HTCAPTION), MoxActionNone);
    // Hit-test codes beyond HTHELP (a window's own, or HTERROR as unsigned).
    EXPECT_EQ(LookupBinding(table, MoxButtonRight, 0, 22), MoxActionNone);
    EXPECT_EQ(LookupBinding(table, MoxButtonRight, 0, 1000), MoxActionNone);
    EXPECT_EQ(LookupBinding(table, MoxButtonRight, 0, static_cast<WPARAM>(HTERROR)), MoxActionNone);
    EXPECT_EQ(LookupBinding(table, static_cast<MoxButton>(3), 0, HTCAPTION), MoxActionNone);
}

TEST(MouseBinding, UnknownActionValuesAreNoBinding)
{
    BindingTable table = {};
    table[MoxButtonLeft][0][HTCAPTION] = static_cast<MoxAction>(7);
    table[MoxButtonLeft][0][HTLEFT] = static_cast<MoxAction>(-1);
    table[MoxButtonLeft][0][HTRIGHT] = MoxActionMinimize;
    EXPECT_EQ(LookupBinding(table, MoxButtonLeft, 0, HTCAPTION), MoxActionNone);
    EXPECT_EQ(LookupBinding(table, MoxButtonLeft, 0, HTLEFT), MoxActionNone);
    EXPECT_EQ(LookupBinding(table, MoxButtonLeft, 0, HTRIGHT), MoxActionMinimize);
}

void ExpectRect(const RECT& actual, LONG left, LONG top, LONG right, LONG bottom)
{
    EXPECT_EQ(actual.left, left);
    EXPECT_EQ(actual.top, top);
    EXPECT_EQ(actual.right, right);
    EXPECT_EQ(actual.bottom, bottom);
}

TEST(MaximizeMenuRect, FixedSizesKeepTheTopLeftCorner)
{
    const RECT rect = {-7, 20, 300, 200};
    ExpectRect(MaximizeMenuRect(rect, ID_MAXIMIZE_640X480, 1024, 738), -7, 20, 633, 500);
    ExpectRect(MaximizeMenuRect(rect, ID_MAXIMIZE_800X600, 1024, 738), -7, 20, 793, 620);
    ExpectRect(MaximizeMenuRect(rect, ID_MAXIMIZE_HORIZONTAL, 1024, 738), 0, 20, 1024, 200);
    ExpectRect(MaximizeMenuRect(rect, ID_MAXIMIZE_VERTICAL, 1024, 738), -7, 0, 300, 738);
    ExpectRect(MaximizeMenuRect(rect, 0xE114, 1024, 738), -7, 20, 300, 200);
    ExpectRect(MaximizeMenuRect(rect, 0, 1024, 738), -7, 20, 300, 200);
}

TEST(MoveSizeReport, WordsAreTheLowSixteenBits)
{
    const LPARAM position = PackMoveSizeWords(-5, 50);
    EXPECT_EQ(LOWORD(position), 0xFFFB);
    EXPECT_EQ(HIWORD(position), 50);
    EXPECT_EQ(static_cast<short>(LOWORD(position)), -5);
    const LPARAM negative = PackMoveSizeWords(100, -32768);
    EXPECT_EQ(static_cast<short>(HIWORD(negative)), -32768);
    EXPECT_EQ(static_cast<unsigned long long>(negative) >> 32, 0u) << "nothing above the two words";
    EXPECT_EQ(PackMoveSizeWords(0x12345, 0x10002), static_cast<LPARAM>(0x00022345));
}

} // namespace
