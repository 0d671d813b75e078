// Mouse bindings on managed windows of the target program, driven by real
// input (cursor, buttons and keys through the system's input queue) and, for
// the table corners that input cannot reach, by the messages themselves.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "Bindings.h"
#include "Harness.h"
#include "Input.h"

using namespace harness;

namespace {

bool Contains(const std::vector<UINT>& messages, UINT message)
{
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

std::vector<UINT> Words(const std::string& reply)
{
    std::vector<UINT> words;
    std::istringstream in(reply);
    std::string word;
    while (in >> word) {
        if (word != "none") words.push_back(static_cast<UINT>(std::strtoul(word.c_str(), nullptr, 16)));
    }
    return words;
}

// The wParams of the registered message sent to the window, recorded in the
// target before any subclass sees them (the target must "watch" it first).
std::vector<UINT> Watched(TargetProcess& target, HWND window)
{
    return Words(target.Command("watched " + Hex(window)));
}

// The non-client button messages the window's thread took from its queue.
std::vector<UINT> Input(TargetProcess& target, HWND window)
{
    return Words(target.Command("input " + Hex(window)));
}

HWND VisiblePopupMenu()
{
    const HWND menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

bool IsLastInZOrder(HWND window)
{
    return GetWindow(window, GW_HWNDNEXT) == nullptr;
}

// True when `upper` comes before `lower` in the Z order.
bool IsAbove(HWND upper, HWND lower)
{
    for (HWND next = GetWindow(upper, GW_HWNDNEXT); next != nullptr; next = GetWindow(next, GW_HWNDNEXT)) {
        if (next == lower) return true;
    }
    return false;
}

void PressKey(WORD key)
{
    Key(key, true);
    Key(key, false);
}

// A session with the tray program's default bindings.
struct DefaultBindings {
    DefaultBindings() { ApplyDefaultBindings(); }
};

TEST(MouseActions, RightClickOnCaptionSendsToBackWithoutWindowMenu)
{
    HookSession session;
    DefaultBindings bindings;
    TargetProcess target;
    const HWND other = target.Create(OverlappedWindow, "Other");
    const HWND window = target.Create(OverlappedWindow, "Sent back");
    target.Command("place " + Hex(other) + " 200 200 320 240");
    ASSERT_TRUE(Activate(window));
    ASSERT_TRUE(IsAbove(window, other));
    const POINT caption = CaptionPoint(window);
    ASSERT_GE(caption.x, 0);
    target.ClearMessages(window);
    Click(caption, MoxButtonRight);
    EXPECT_TRUE(WaitFor([&] { return IsLastInZOrder(window); }));
    EXPECT_TRUE(IsAbove(other, window));
    const std::vector<UINT> received = target.Messages(window);
    EXPECT_FALSE(Contains(received, WM_NCRBUTTONDOWN)) << "the press is claimed";
    EXPECT_FALSE(Contains(received, WM_NCRBUTTONUP)) << "the release is claimed";
    EXPECT_FALSE(Contains(received, WM_CONTEXTMENU));
    EXPECT_FALSE(Contains(received, WM_ENTERMENULOOP));
    EXPECT_EQ(VisiblePopupMenu(), nullptr);
}

TEST(MouseActions, CtrlRightClickOnCaptionIsNotClaimed)
{
    HookSession session;
    DefaultBindings bindings;
    TargetProcess target;
    const HWND other = target.Create(OverlappedWindow, "Other");
    const HWND window = target.Create(OverlappedWindow, "Ctrl right click");
    ASSERT_TRUE(Activate(window));
    const POINT caption = CaptionPoint(window);
    ASSERT_GE(caption.x, 0);
    MoveCursor(caption);
    target.ClearMessages(window);
    {
        HeldKeys ctrl({VK_CONTROL});
        ASSERT_TRUE(KeysHeldInTarget(target, {VK_CONTROL}));
        MouseButton(MoxButtonRight, true);
        MouseButton(MoxButtonRight, false);
    }
    EXPECT_TRUE(WaitFor([&] { return Contains(target.Messages(window), WM_NCRBUTTONDOWN); }))
        << "the press reaches the window's own procedure";
    // The window's own handling shows its window menu.
    EXPECT_TRUE(WaitFor([] { return VisiblePopupMenu() != nullptr; }));
    const std::vector<UINT> received = target.Messages(window);
    EXPECT_TRUE(Contains(received, WM_CONTEXTMENU));
    EXPECT_TRUE(Contains(received, WM_ENTERMENULOOP));
    if (VisiblePopupMenu() != nullptr) PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([] { return VisiblePopupMenu() == nullptr; }));
    EXPECT_TRUE(IsAbove(window, other)) << "not sent to the back";
}

TEST(MouseActions, LeftDoubleClickOnCaptionSendsRollupToggle)
{
    HookSession session;
    DefaultBindings bindings;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Double click");
    target.Command("watch MOX_ROLLUP");
    target.Command("watchinput");
    ASSERT_TRUE(Activate(window));
    const POINT caption = CaptionPoint(window);
    ASSERT_GE(caption.x, 0);
    target.ClearMessages(window);
    DoubleClick(caption);
    ASSERT_TRUE(WaitFor([&] { return !Watched(target, window).empty(); }));
    EXPECT_EQ(Watched(target, window).front(), 3u) << "FeatureToggle";
    EXPECT_TRUE(Contains(Input(target, window), WM_NCLBUTTONDBLCLK));
    EXPECT_FALSE(Contains(target.Messages(window), WM_NCLBUTTONDBLCLK)) << "the double click is claimed";
    EXPECT_FALSE(IsZoomed(window)) << "the window's own double-click handling did not run";
}

TEST(MouseActions, CtrlLeftPressOnRightBorderMovesInsteadOfSizing)
{
    HookSession session;
    DefaultBindings bindings;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Border");
    target.Command("place " + Hex(window) + " 100 100 320 240");
    ASSERT_TRUE(Activate(window));
    const auto rightBorder = [&] {
        const RECT rect = WindowRect(window);
        return FindHitPoint(window, HTRIGHT, POINT{rect.right - 1, (rect.top + rect.bottom) / 2}, -1, 0, 10);
    };
    POINT border = rightBorder();
    ASSERT_GE(border.x, 0);
    MoveCursor(border);
    {
        HeldKeys ctrl({VK_CONTROL});
        ASSERT_TRUE(KeysHeldInTarget(target, {VK_CONTROL}));
        Drag(window, border, 40, 32, 4);
    }
    RECT rect = WindowRect(window);
    EXPECT_EQ(rect.left, 140);
    EXPECT_EQ(rect.top, 132);
    EXPECT_EQ(rect.right - rect.left, 320) << "moved, not sized";
    EXPECT_EQ(rect.bottom - rect.top, 240);

    // The same press without Ctrl sizes the window.
    border = rightBorder();
    ASSERT_GE(border.x, 0);
    MoveCursor(border);
    Drag(window, border, 40, 32, 4);
    rect = WindowRect(window);
    EXPECT_EQ(rect.left, 140);
    EXPECT_EQ(rect.top, 132);
    EXPECT_EQ(rect.right - rect.left, 360);
    EXPECT_EQ(rect.bottom - rect.top, 240);
}

TEST(MouseActions, MaximizeMenuOnTheMaximizeButton)
{
    HookSession session;
    DefaultBindings bindings;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Maximize menu");
    target.Command("place " + Hex(window) + " 60 70 320 240");
    ASSERT_TRUE(Activate(window));
    const auto openMenu = [&] {
        const RECT rect = WindowRect(window);
        const POINT button =
            FindHitPoint(window, HTMAXBUTTON, POINT{rect.right - 2, CaptionPoint(window).y}, -1, 0, 200);
        if (button.x < 0) return false;
        Click(button, MoxButtonRight);
        return WaitFor([] { return VisiblePopupMenu() != nullptr; });
    };

    // Dismissed: nothing changes.
    ASSERT_TRUE(openMenu());
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitFor([] { return VisiblePopupMenu() == nullptr; }));
    RECT rect = WindowRect(window);
    EXPECT_EQ(rect.left, 60);
    EXPECT_EQ(rect.top, 70);
    EXPECT_EQ(rect.right, 380);
    EXPECT_EQ(rect.bottom, 310);

    // "640x480", the first item.
    ASSERT_TRUE(openMenu());
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return WindowRect(window).right - WindowRect(window).left == 640; }));
    rect = WindowRect(window);
    EXPECT_EQ(rect.left, 60);
    EXPECT_EQ(rect.top, 70);
    EXPECT_EQ(rect.right, 700);
    EXPECT_EQ(rect.bottom, 550);

    // "Horizontal", after "800x600" and the separator: top and bottom kept.
    ASSERT_TRUE(openMenu());
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return WindowRect(window).left == 0; }));
    rect = WindowRect(window);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXFULLSCREEN));
    EXPECT_EQ(rect.top, 70);
    EXPECT_EQ(rect.bottom, 550);
}

TEST(MouseActions, MoveBoundToDoubleClickClaimsItAndDoesNothing)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Double click move");
    target.Command("place " + Hex(window) + " 100 100 320 240");
    target.Command("watchinput");
    ASSERT_TRUE(Activate(window));
    const POINT caption = CaptionPoint(window);
    ASSERT_GE(caption.x, 0);

    // Unbound, a double click on the caption maximizes the window.
    DoubleClick(caption);
    ASSERT_TRUE(WaitFor([&] { return IsZoomed(window) != FALSE; }));
    target.Command("send " + Hex(window) + " 112 f120 0");  // SC_RESTORE
    ASSERT_TRUE(WaitFor([&] { return !IsZoomed(window); }));
    ASSERT_TRUE(Activate(window));

    SetMouseActionDblClk(MoxButtonLeft, 0, HTCAPTION, MoxActionMove);
    target.Command("clear " + Hex(window));
    const RECT before = WindowRect(window);
    const size_t doubleClicksBefore = [&] {
        const std::vector<UINT> input = Input(target, window);
        return static_cast<size_t>(std::count(input.begin(), input.end(), static_cast<UINT>(WM_NCLBUTTONDBLCLK)));
    }();
    DoubleClick(caption);
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<UINT> input = Input(target, window);
        return static_cast<size_t>(std::count(input.begin(), input.end(), static_cast<UINT>(WM_NCLBUTTONDBLCLK))) >
               doubleClicksBefore;
    })) << "the double click reached the window's thread";
    EXPECT_FALSE(Contains(target.Messages(window), WM_NCLBUTTONDBLCLK)) << "claimed";
    EXPECT_FALSE(IsZoomed(window));
    const RECT after = WindowRect(window);
    EXPECT_TRUE(EqualRect(&before, &after));
}

// Bindings on the middle button, whose non-client messages the window's own
// procedure ignores, sent as messages from the window's thread while real
// modifier keys are held.
class MiddleButtonBindings : public ::testing::Test {
protected:
    void SetUp() override
    {
        ParkCursor();
        for (int modifier = 0; modifier < 3; ++modifier) {
            SetMouseAction(MoxButtonMiddle, modifier, HTCAPTION, MoxActionRollup);
        }
        SetMouseAction(MoxButtonMiddle, 0, HTHELP, MoxActionRollup);
        SetMouseAction(MoxButtonMiddle, 0, HTMINBUTTON, MoxActionMinimize);
        SetMouseAction(MoxButtonMiddle, 0, HTMAXBUTTON, MoxActionMinimizeToTray);
        target.Command("watch MOX_ROLLUP");
        target.Command("watch MOX_TRAY");
    }

    // Sends the middle button's release with the hit-test code; true when the
    // window's own procedure saw it (it was not claimed).
    bool ReleaseReachesWindow(HWND window, unsigned long long hitTest)
    {
        target.ClearMessages(window);
        target.Command("send " + Hex(window) + " a8 " + Hex(hitTest) + " 0");
        return Contains(target.Messages(window), WM_NCMBUTTONUP);
    }

    void Send(HWND window, UINT message, WPARAM hitTest)
    {
        target.Command("send " + Hex(window) + " " + Hex(message) + " " + Hex(hitTest) + " 0");
    }

    HookSession session;
    TargetProcess target;
};

TEST_F(MiddleButtonBindings, ModifierStatesWithoutARowAreNotClaimed)
{
    const HWND window = target.Create(OverlappedWindow, "Modifiers");
    EXPECT_FALSE(ReleaseReachesWindow(window, HTCAPTION));
    {
        HeldKeys ctrl({VK_CONTROL});
        ASSERT_TRUE(KeysHeldInTarget(target, {VK_CONTROL}));
        EXPECT_FALSE(ReleaseReachesWindow(window, HTCAPTION)) << "Ctrl: row 1";
    }
    const std::vector<std::vector<WORD>> states = {
        {VK_SHIFT}, {VK_CONTROL, VK_SHIFT}, {VK_CONTROL, VK_MENU}, {VK_MENU, VK_SHIFT}, {VK_CONTROL, VK_MENU, VK_SHIFT}};
    for (const std::vector<WORD>& keys : states) {
        HeldKeys held(keys);
        ASSERT_TRUE(KeysHeldInTarget(target, keys));
        EXPECT_TRUE(ReleaseReachesWindow(window, HTCAPTION)) << keys.size() << " keys, the first " << keys[0];
    }
    PressKey(VK_ESCAPE);
    // Only the two claimed releases without a Shift sent the rollup toggle:
    // the first rolled the window up (query, on), the second down (query, off).
    EXPECT_EQ(Watched(target, window), (std::vector<UINT>{3, 4, 1, 3, 4, 2}));
}

TEST_F(MiddleButtonBindings, HitTestCodesBeyondTheTableAreNotClaimed)
{
    const HWND window = target.Create(OverlappedWindow, "Hit-test codes");
    EXPECT_FALSE(ReleaseReachesWindow(window, HTHELP));
    EXPECT_TRUE(ReleaseReachesWindow(window, 22));
    EXPECT_TRUE(ReleaseReachesWindow(window, 0x1000));
    EXPECT_TRUE(ReleaseReachesWindow(window, static_cast<unsigned long long>(static_cast<WPARAM>(HTERROR))));
    EXPECT_EQ(Watched(target, window), (std::vector<UINT>{3, 4, 1}));
}

TEST_F(MiddleButtonBindings, MinimizeActionsRunOnReleaseAndNeedTheMinimizeBox)
{
    const HWND window = target.Create(OverlappedWindow, "Minimize box");
    const HWND noBox = target.Create(OverlappedWindow & ~WS_MINIMIZEBOX, "No minimize box");
    target.ClearMessages(window);
    Send(window, WM_NCMBUTTONDOWN, HTMINBUTTON);
    EXPECT_FALSE(IsIconic(window)) << "not on the press";
    Send(window, WM_NCMBUTTONUP, HTMINBUTTON);
    EXPECT_TRUE(IsIconic(window));
    Send(window, WM_NCMBUTTONDOWN, HTMAXBUTTON);
    EXPECT_TRUE(Watched(target, window).empty());
    Send(window, WM_NCMBUTTONUP, HTMAXBUTTON);
    EXPECT_EQ(Watched(target, window), (std::vector<UINT>{1})) << "MOX_TRAY FeatureOn";
    const std::vector<UINT> received = target.Messages(window);
    EXPECT_FALSE(Contains(received, WM_NCMBUTTONDOWN));
    EXPECT_FALSE(Contains(received, WM_NCMBUTTONUP));

    // Without WS_MINIMIZEBOX nothing happens, but the messages stay claimed.
    target.ClearMessages(noBox);
    for (WPARAM hit : {HTMINBUTTON, HTMAXBUTTON}) {
        Send(noBox, WM_NCMBUTTONDOWN, hit);
        Send(noBox, WM_NCMBUTTONUP, hit);
    }
    EXPECT_FALSE(IsIconic(noBox));
    EXPECT_TRUE(Watched(target, noBox).empty());
    EXPECT_FALSE(Contains(target.Messages(noBox), WM_NCMBUTTONUP));
}

TEST(MaximizeMenu, ResourceHoldsTheFixedSizes)
{
    const HMENU menu = LoadMenuW(GetModuleHandleW(L"Lorvek.dll"), MAKEINTRESOURCEW(101));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    wchar_t text[64] = {};
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Maximize");
    const HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    struct Item {
        UINT id;
        const wchar_t* text;
    };
    const Item expected[] = {{0xE110, L"640x480"}, {0xE111, L"800x600"}, {0, nullptr},
                             {0xE112, L"Horizontal"}, {0xE113, L"Vertical"}};
    ASSERT_EQ(GetMenuItemCount(popup), 5);
    for (int i = 0; i < 5; ++i) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 63;
        text[0] = 0;
        ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info));
        if (expected[i].text == nullptr) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << i;
        } else {
            EXPECT_FALSE(info.fType & MFT_SEPARATOR) << i;
            EXPECT_EQ(info.wID, expected[i].id) << i;
            EXPECT_STREQ(text, expected[i].text) << i;
        }
    }
    DestroyMenu(menu);
}

} // namespace
