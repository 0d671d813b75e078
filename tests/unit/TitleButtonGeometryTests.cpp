// Where the title buttons go, with the system metrics of the running system.
#include <gtest/gtest.h>

#include "TitleButtonGeometry.h"

namespace {

const DWORD Caption = WS_CAPTION;

TEST(TitleButtonGeometry, ToolWindowsUseTheSmallCaptionMetrics)
{
    const CaptionMetrics m = ReadCaptionMetrics();
    EXPECT_EQ(CaptionButtonsWidth(Caption | WS_SYSMENU, WS_EX_TOOLWINDOW, m), m.cxSmSize + m.cxFixedFrame);
    // Minimize and maximize boxes do not count on a tool window.
    EXPECT_EQ(CaptionButtonsWidth(Caption | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME,
                                  WS_EX_TOOLWINDOW, m),
              m.cxSmSize + m.cxFrame);
    EXPECT_EQ(CaptionButtonsWidth(Caption, WS_EX_TOOLWINDOW, m), m.cxFixedFrame);
    const RECT window = {100, 50, 400, 300};
    const int spacing[1] = {2};
    const RECT face = TitleButtonRect(window, Caption | WS_SYSMENU, WS_EX_TOOLWINDOW, spacing, 0, m);
    EXPECT_EQ(face.right - face.left, m.cxSmSize - 2);
    EXPECT_EQ(face.bottom - face.top, m.cySmSize - 4);
    EXPECT_EQ(face.right, window.right - m.cxSmSize - m.cxFixedFrame - 2);
    EXPECT_EQ(face.top, window.top + m.cyFixedFrame + 2);
}

TEST(TitleButtonGeometry, WithoutStandardButtonsTheButtonSitsTwoPixelsLeftOfTheFrame)
{
    const CaptionMetrics m = ReadCaptionMetrics();
    const RECT window = {0, 0, 320, 240};
    const int spacing[1] = {2};
    const RECT fixed = TitleButtonRect(window, Caption, 0, spacing, 0, m);
    EXPECT_EQ(fixed.right, window.right - m.cxFixedFrame - 2);
    EXPECT_EQ(fixed.right - fixed.left, m.cxSize - 2);
    EXPECT_EQ(fixed.bottom - fixed.top, m.cySize - 4);
    EXPECT_EQ(fixed.top, m.cyFixedFrame + 2);
    const RECT sizable = TitleButtonRect(window, Caption | WS_THICKFRAME, 0, spacing, 0, m);
    EXPECT_EQ(sizable.right, window.right - m.cxFrame - 2);
    EXPECT_EQ(sizable.top, m.cyFrame + 2);
}

TEST(TitleButtonGeometry, HelpBoxCountsOnlyWithoutMinimizeAndMaximizeBoxes)
{
    const CaptionMetrics m = ReadCaptionMetrics();
    const int c = m.cxSize;
    const int frame = m.cxFixedFrame;
    EXPECT_EQ(CaptionButtonsWidth(Caption | WS_SYSMENU, 0, m), c + frame);
    EXPECT_EQ(CaptionButtonsWidth(Caption | WS_SYSMENU, WS_EX_CONTEXTHELP, m), 2 * c + frame);
    EXPECT_EQ(CaptionButtonsWidth(Caption | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_CONTEXTHELP, m), 3 * c - 2 + frame);
    EXPECT_EQ(CaptionButtonsWidth(Caption | WS_SYSMENU | WS_MAXIMIZEBOX, WS_EX_CONTEXTHELP, m), 3 * c - 2 + frame);
    EXPECT_EQ(CaptionButtonsWidth(Caption | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, m), 3 * c - 2 + frame);
    EXPECT_EQ(CaptionButtonsWidth(Caption | WS_MINIMIZEBOX, 0, m), 2 * c - 2 + frame) << "boxes without a system menu";
    EXPECT_EQ(CaptionButtonsWidth(Caption, WS_EX_CONTEXTHELP, m), c + frame);
    EXPECT_EQ(CaptionButtonsWidth(WS_OVERLAPPEDWINDOW, 0, m), 3 * c - 2 + m.cxFrame);
}

TEST(TitleButtonGeometry, FurtherButtonsLineUpToTheLeft)
{
    const CaptionMetrics m = ReadCaptionMetrics();
    const RECT window = {10, 20, 610, 420};
    const int spacings[3] = {2, 5, 0};
    const DWORD style = WS_OVERLAPPEDWINDOW;
    const RECT first = TitleButtonRect(window, style, 0, spacings, 0, m);
    const RECT second = TitleButtonRect(window, style, 0, spacings, 1, m);
    const RECT third = TitleButtonRect(window, style, 0, spacings, 2, m);
    EXPECT_EQ(first.left - second.left, 5 + m.cxSize - 2);
    EXPECT_EQ(second.right + 5, first.left);
    EXPECT_EQ(third.right, second.left);
    EXPECT_EQ(first.top, second.top);
    EXPECT_EQ(first.bottom, third.bottom);
}

TEST(TitleButtonGeometry, HitAreaGlyphRectangleAndFrames)
{
    const RECT face = {100, 10, 116, 24};
    const RECT hit = TitleButtonHitRect(face);
    EXPECT_TRUE(PointInRect(hit, {100, 8}));
    EXPECT_FALSE(PointInRect(hit, {100, 7}));
    EXPECT_TRUE(PointInRect(hit, {115, 25}));
    EXPECT_FALSE(PointInRect(hit, {115, 26}));
    EXPECT_FALSE(PointInRect(hit, {116, 12}));
    EXPECT_FALSE(PointInRect(hit, {99, 12}));

    const RECT glyph = TitleButtonGlyphRect(face, false, false);
    EXPECT_EQ(glyph.left, 102);
    EXPECT_EQ(glyph.top, 12);
    EXPECT_EQ(glyph.right, 113);
    EXPECT_EQ(glyph.bottom, 21);
    const RECT pushed = TitleButtonGlyphRect(face, true, false);
    EXPECT_EQ(pushed.left, 103);
    EXPECT_EQ(pushed.top, 13);
    EXPECT_EQ(pushed.right, 114);
    EXPECT_EQ(pushed.bottom, 22);
    const RECT styled = TitleButtonGlyphRect(face, true, true);
    EXPECT_EQ(styled.left, 102) << "a styled face does not move its glyph";

    EXPECT_EQ(ThemeFrameIndex(false, false, true), 0);
    EXPECT_EQ(ThemeFrameIndex(false, true, true), 1);
    EXPECT_EQ(ThemeFrameIndex(true, true, true), 2);
    EXPECT_EQ(ThemeFrameIndex(false, false, false), 4);
    EXPECT_EQ(ThemeFrameIndex(false, true, false), 5);
    EXPECT_EQ(ThemeFrameIndex(true, false, false), 6);
}

TEST(TitleButtonGeometry, WideButtonsCentreTheGlyphNarrowOnesShowItsMiddle)
{
    const GlyphPlacement wide = PlaceGlyph({0, 0, 40, 36}, 28, 28);
    EXPECT_EQ(wide.target.left, 6);
    EXPECT_EQ(wide.target.top, 4);
    EXPECT_EQ(wide.target.right, 34);
    EXPECT_EQ(wide.target.bottom, 32);
    EXPECT_EQ(wide.sourceX, 0);
    EXPECT_EQ(wide.sourceY, 0);
    // Odd differences round toward zero.
    const GlyphPlacement narrow = PlaceGlyph({102, 12, 113, 21}, 28, 28);
    EXPECT_EQ(narrow.target.left, 102);
    EXPECT_EQ(narrow.target.right, 113);
    EXPECT_EQ(narrow.sourceX, 8);   // (11 - 28) / 2 = -8
    EXPECT_EQ(narrow.sourceY, 9);   // (9 - 28) / 2 = -9
    const GlyphPlacement equal = PlaceGlyph({0, 0, 28, 20}, 28, 28);
    EXPECT_EQ(equal.sourceX, 0);
    EXPECT_EQ(equal.sourceY, 4);
    // Wider than the glyph but lower: centred, reaching above and below.
    const GlyphPlacement flat = PlaceGlyph({0, 0, 30, 10}, 28, 28);
    EXPECT_EQ(flat.target.left, 1);
    EXPECT_EQ(flat.target.top, -9);
}

} // namespace
