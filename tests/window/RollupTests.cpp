// Rollup through the real hook, on windows of the target program.
#include <gtest/gtest.h>

#include <algorithm>

#include "FeatureHarness.h"
#include "Harness.h"

using namespace harness;

namespace {

const wchar_t* const Rollup = L"MOX_ROLLUP";

LONG RolledUpHeight()
{
    return GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME);
}

LONG WindowHeight(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect.bottom - rect.top;
}

void ExpectSameHorizontalEdgesAndTop(const RECT& a, const RECT& b)
{
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.right, b.right);
}

bool RollupChecked(TargetProcess& target, HWND window)
{
    target.Command("initmenu " + Hex(window) + " sys");
    const std::vector<MenuItem> items = FeatureItems(target.Menu(window));
    return items.size() == 4 && items[1].checked;
}

TEST(Rollup, RollsUpToTheCaptionAndBackToTheFormerHeight)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Roll me");
    const Placement before = GetPlacement(target, window);
    ASSERT_EQ(before.NormalHeight(), 240);
    EXPECT_EQ(SendFeature(window, Rollup, 4), 0);
    EXPECT_FALSE(RollupChecked(target, window));

    EXPECT_EQ(SendFeature(window, Rollup, 1), 1);
    const Placement rolled = GetPlacement(target, window);
    EXPECT_EQ(rolled.NormalHeight(), RolledUpHeight());
    EXPECT_EQ(WindowHeight(window), RolledUpHeight());
    ExpectSameHorizontalEdgesAndTop(rolled.normal, before.normal);
    EXPECT_EQ(Property(window, Rollup), 240);
    EXPECT_EQ(SendFeature(window, Rollup, 4), 1);
    EXPECT_TRUE(RollupChecked(target, window));

    // On again: nothing changes, the saved height stays.
    EXPECT_EQ(SendFeature(window, Rollup, 1), 1);
    EXPECT_EQ(GetPlacement(target, window).NormalHeight(), RolledUpHeight());
    EXPECT_EQ(Property(window, Rollup), 240);

    EXPECT_EQ(SendFeature(window, Rollup, 2), 1);
    const Placement after = GetPlacement(target, window);
    EXPECT_EQ(after.NormalHeight(), 240);
    EXPECT_EQ(WindowHeight(window), 240);
    ExpectSameHorizontalEdgesAndTop(after.normal, before.normal);
    EXPECT_EQ(Property(window, Rollup), 0);
    EXPECT_EQ(SendFeature(window, Rollup, 4), 0);

    // Off again: nothing changes.
    EXPECT_EQ(SendFeature(window, Rollup, 2), 1);
    EXPECT_EQ(GetPlacement(target, window).NormalHeight(), 240);
}

TEST(Rollup, ToggleAndSystemMenuCommandSwitchBothWays)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Toggle rollup");
    EXPECT_EQ(SendFeature(window, Rollup, 3), 1);
    EXPECT_EQ(WindowHeight(window), RolledUpHeight());
    EXPECT_EQ(SendFeature(window, Rollup, 3), 1);
    EXPECT_EQ(WindowHeight(window), 240);

    EXPECT_EQ(SendMessageW(window, WM_SYSCOMMAND, 0xE020, 0), 0);
    EXPECT_EQ(WindowHeight(window), RolledUpHeight());
    SendMessageW(window, WM_SYSCOMMAND, 0xE020, 0);
    EXPECT_EQ(WindowHeight(window), 240);

    // Commands outside the protocol are claimed, answer 0 and change nothing.
    EXPECT_EQ(SendFeature(window, Rollup, 0), 0);
    EXPECT_EQ(SendFeature(window, Rollup, 5), 0);
    EXPECT_EQ(WindowHeight(window), 240);
    EXPECT_EQ(Property(window, Rollup), 0);
}

TEST(Rollup, AResizeEndsTheStateAndTheNextToggleSavesTheNewHeight)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Resized");
    SendFeature(window, Rollup, 1);
    ASSERT_TRUE(RollupChecked(target, window));

    ASSERT_EQ(target.Command("setpos " + Hex(window) + " 100 100 320 300"), "ok");
    EXPECT_EQ(Property(window, Rollup), 0);
    EXPECT_EQ(SendFeature(window, Rollup, 4), 0);
    EXPECT_FALSE(RollupChecked(target, window));
    // Off now keeps the size the window was given.
    EXPECT_EQ(SendFeature(window, Rollup, 2), 1);
    EXPECT_EQ(WindowHeight(window), 300);

    EXPECT_EQ(SendFeature(window, Rollup, 3), 1);
    EXPECT_EQ(Property(window, Rollup), 300);
    EXPECT_EQ(WindowHeight(window), RolledUpHeight());
    SendFeature(window, Rollup, 3);
    EXPECT_EQ(WindowHeight(window), 300);
}

void MoveMouse(int x, int y)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = (x * 65536 + GetSystemMetrics(SM_CXSCREEN) - 1) / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = (y * 65536 + GetSystemMetrics(SM_CYSCREEN) - 1) / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

void LeftButton(DWORD flag)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    SendInput(1, &input, sizeof input);
}

TEST(Rollup, DraggingTheBottomEdgeEndsTheState)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Dragged");
    SetForegroundWindow(window);
    SendFeature(window, Rollup, 1);
    RECT rect = {};
    GetWindowRect(window, &rect);
    ASSERT_EQ(rect.bottom - rect.top, RolledUpHeight());
    const int x = (rect.left + rect.right) / 2;
    ASSERT_EQ(SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, rect.bottom - 2)), HTBOTTOM);

    MoveMouse(x, rect.bottom - 2);
    LeftButton(MOUSEEVENTF_LEFTDOWN);
    for (int y = rect.bottom; y <= rect.top + 200; y += 20) {
        Sleep(20);
        MoveMouse(x, y);
    }
    LeftButton(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitFor([&] { return WindowHeight(window) > 150; })) << "the drag did not resize the window";
    EXPECT_TRUE(WaitFor([&] { return Property(window, Rollup) == 0; }));
    EXPECT_FALSE(RollupChecked(target, window));
    const LONG dragged = WindowHeight(window);
    EXPECT_EQ(SendFeature(window, Rollup, 3), 1);
    EXPECT_EQ(Property(window, Rollup), dragged);
    EXPECT_EQ(WindowHeight(window), RolledUpHeight());
    SendFeature(window, Rollup, 3);
    EXPECT_EQ(WindowHeight(window), dragged);
}

// Whether a maximized window stays maximized when its own placement is
// written back unchanged. Wine 8 restores it (and moves its restored
// rectangle to the screen's corner), so nothing can be observed there.
bool PlacementKeepsMaximized(TargetProcess& target)
{
    const HWND probe = target.Create(OverlappedWindow, "Placement probe");
    target.Command("showwindow " + Hex(probe) + " " + std::to_string(SW_MAXIMIZE));
    target.Command("replace " + Hex(probe));
    // Wine restores the window when it handles the display's answer, a moment later.
    const bool kept = !WaitFor([&] { return !IsZoomed(probe) || GetPlacement(target, probe).normal.top != 100; }, 2000);
    target.Command("destroy " + Hex(probe));
    return kept;
}

TEST(Rollup, MaximizedWindowStaysMaximizedWhileItsRestoredRectangleShrinks)
{
    HookSession session;
    TargetProcess target;
    if (!PlacementKeepsMaximized(target)) {
        GTEST_SKIP() << "SetWindowPlacement restores maximized windows on this platform";
    }
    const HWND window = target.Create(OverlappedWindow, "Maximized");
    target.Command("showwindow " + Hex(window) + " " + std::to_string(SW_MAXIMIZE));
    ASSERT_TRUE(IsZoomed(window));
    RECT maximized = {};
    GetWindowRect(window, &maximized);
    const Placement before = GetPlacement(target, window);
    ASSERT_EQ(before.NormalHeight(), 240);

    EXPECT_EQ(SendFeature(window, Rollup, 1), 1);
    const Placement rolled = GetPlacement(target, window);
    EXPECT_EQ(rolled.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    EXPECT_EQ(rolled.NormalHeight(), RolledUpHeight());
    ExpectSameHorizontalEdgesAndTop(rolled.normal, before.normal);
    EXPECT_TRUE(IsZoomed(window));
    RECT still = {};
    GetWindowRect(window, &still);
    EXPECT_TRUE(EqualRect(&still, &maximized));
    EXPECT_EQ(SendFeature(window, Rollup, 4), 1);
    EXPECT_EQ(Property(window, Rollup), 240);

    // Restoring resizes the window: the state ends and the window comes back rolled up.
    target.Command("showwindow " + Hex(window) + " " + std::to_string(SW_RESTORE));
    EXPECT_FALSE(IsZoomed(window));
    EXPECT_EQ(SendFeature(window, Rollup, 4), 0);
    EXPECT_EQ(WindowHeight(window), RolledUpHeight());
}

TEST(Rollup, WindowWithoutTheWholeCaptionIsLeftAlone)
{
    HookSession session;
    TargetProcess target;
    // Admitted while captioned, then the program takes one caption bit away.
    const HWND window = target.Create(OverlappedWindow, "Caption lost");
    SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) & ~WS_DLGFRAME);
    target.ClearMessages(window);
    EXPECT_EQ(SendFeature(window, Rollup, 1), 0);
    EXPECT_EQ(Property(window, Rollup), 0);
    const std::vector<UINT> received = target.Messages(window);
    EXPECT_NE(std::find(received.begin(), received.end(), RegisterWindowMessageW(Rollup)), received.end())
        << "the message reaches the window's own procedure";
}

TEST(Rollup, StopUnrollsEveryRolledUpWindow)
{
    TargetProcess first;
    TargetProcess second;
    HWND a = nullptr, b = nullptr, c = nullptr;
    {
        HookSession session;
        a = first.Create(OverlappedWindow, "First");
        b = second.Create(OverlappedWindow, "Second");
        c = second.Create(OverlappedWindow, "Not rolled");
        second.Command("setpos " + Hex(b) + " 150 120 300 280");
        SendFeature(a, Rollup, 1);
        SendFeature(b, Rollup, 1);
        ASSERT_EQ(WindowHeight(a), RolledUpHeight());
        ASSERT_EQ(WindowHeight(b), RolledUpHeight());
    }
    EXPECT_EQ(WindowHeight(a), 240);
    EXPECT_EQ(WindowHeight(b), 280);
    EXPECT_EQ(WindowHeight(c), 240);
    EXPECT_EQ(Property(a, Rollup), 0);
    EXPECT_EQ(Property(b, Rollup), 0);
    RECT rect = {};
    GetWindowRect(b, &rect);
    EXPECT_EQ(rect.left, 150);
    EXPECT_EQ(rect.top, 120);
}

} // namespace
