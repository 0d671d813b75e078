// Edge snapping in the system's move and size loops, driven by real input.
#include <gtest/gtest.h>

#include <string>

#include "Harness.h"
#include "Input.h"

using namespace harness;

namespace {

struct TwoWindows {
    HWND moved;
    HWND still;
};

// A window to move at (100, 100) and a second one at (500, 100), both 320 x 240.
TwoWindows CreateTwoWindows(TargetProcess& target)
{
    TwoWindows windows;
    windows.still = target.Create(OverlappedWindow, "Still");
    windows.moved = target.Create(OverlappedWindow, "Moved");
    target.Command("place " + Hex(windows.still) + " 500 100 320 240");
    target.Command("place " + Hex(windows.moved) + " 100 100 320 240");
    return windows;
}

TEST(Snap, AltMoveAlignsWithAnotherWindowsEdge)
{
    HookSession session;
    TargetProcess target;
    const TwoWindows windows = CreateTwoWindows(target);
    ASSERT_TRUE(Activate(windows.moved));
    const POINT caption = CaptionPoint(windows.moved);
    ASSERT_GE(caption.x, 0);
    {
        // The pointer entering a window makes Wine read the keyboard state
        // afresh, so the cursor goes there before Alt is pressed.
        MoveCursor(caption);
        HeldKeys alt({VK_MENU});
        ASSERT_TRUE(KeysHeldInTarget(target, {VK_MENU}));
        // In small steps the cursor stays on the moving caption. The proposed
        // left edge ends 5 pixels left of the other window's left edge.
        Drag(windows.moved, caption, 395, 7, 10);
    }
    // Alt released on its own opens keyboard menu mode: leave it.
    Key(VK_ESCAPE, true);
    Key(VK_ESCAPE, false);
    const RECT moved = WindowRect(windows.moved);
    EXPECT_EQ(moved.left, 500);
    EXPECT_EQ(moved.right, 820) << "the size is kept";
    EXPECT_EQ(moved.top, 100) << "the top edge snaps to the other window's top";
    EXPECT_EQ(moved.bottom, 340);
}

TEST(Snap, MoveWithoutAltDoesNotSnap)
{
    HookSession session;
    TargetProcess target;
    const TwoWindows windows = CreateTwoWindows(target);
    ASSERT_TRUE(Activate(windows.moved));
    const POINT caption = CaptionPoint(windows.moved);
    ASSERT_GE(caption.x, 0);
    Drag(windows.moved, caption, 395, 7, 10);
    const RECT moved = WindowRect(windows.moved);
    EXPECT_EQ(moved.left, 495);
    EXPECT_EQ(moved.top, 107);
}

std::string Rect(LONG left, LONG top, LONG right, LONG bottom)
{
    return std::to_string(left) + " " + std::to_string(top) + " " + std::to_string(right) + " " + std::to_string(bottom);
}

std::string SendRect(TargetProcess& target, HWND window, UINT message, WPARAM wParam, const std::string& rect)
{
    return target.Command("sendrect " + Hex(window) + " " + Hex(message) + " " + Hex(wParam) + " " + rect);
}

TEST(Snap, SizingMovesOnlyTheDraggedEdgeAndOnlyDuringTheLoop)
{
    ParkCursor();
    HookSession session;
    TargetProcess target;
    const TwoWindows windows = CreateTwoWindows(target);
    HeldKeys alt({VK_MENU});
    ASSERT_TRUE(KeysHeldInTarget(target, {VK_MENU}));
    const HWND window = windows.moved;
    target.Command("send " + Hex(window) + " 231 0 0");
    // The right edge 6 pixels left of the other window's left edge.
    EXPECT_EQ(SendRect(target, window, WM_SIZING, WMSZ_RIGHT, Rect(100, 105, 494, 340)), Rect(100, 105, 500, 340));
    EXPECT_EQ(SendRect(target, window, WM_SIZING, WMSZ_BOTTOMRIGHT, Rect(100, 105, 494, 335)),
              Rect(100, 105, 500, 340));
    EXPECT_EQ(SendRect(target, window, WM_SIZING, WMSZ_LEFT, Rect(100, 105, 494, 340)), Rect(100, 105, 494, 340));
    EXPECT_EQ(SendRect(target, window, WM_MOVING, 0, Rect(182, 105, 502, 345)), Rect(180, 100, 500, 340));
    // The table holds what was there when the loop began: the window
    // itself is no target, and the other window is found where it was.
    target.Command("place " + Hex(windows.still) + " 600 100 320 240");
    EXPECT_EQ(SendRect(target, window, WM_MOVING, 0, Rect(182, 105, 502, 345)), Rect(180, 100, 500, 340));
    target.Command("send " + Hex(window) + " 232 0 0");
    // After the loop the table is empty: nothing snaps.
    EXPECT_EQ(SendRect(target, window, WM_MOVING, 0, Rect(182, 105, 502, 345)), Rect(182, 105, 502, 345));
    alt.Release();
    target.Command("send " + Hex(window) + " 231 0 0");
    EXPECT_EQ(SendRect(target, window, WM_MOVING, 0, Rect(4, 105, 324, 345)), Rect(4, 105, 324, 345)) << "no Alt";
    target.Command("send " + Hex(window) + " 232 0 0");
}

TEST(Snap, WindowsWithoutBothCaptionBitsAreNeitherSnappedNorTargets)
{
    ParkCursor();
    HookSession session;
    TargetProcess target;
    const TwoWindows windows = CreateTwoWindows(target);
    const DWORD borderOnly = OverlappedWindow & ~WS_DLGFRAME;
    target.Command("setstyle " + Hex(windows.still) + " " + Hex(borderOnly));
    HeldKeys alt({VK_MENU});
    ASSERT_TRUE(KeysHeldInTarget(target, {VK_MENU}));
    target.Command("send " + Hex(windows.moved) + " 231 0 0");
    EXPECT_EQ(SendRect(target, windows.moved, WM_MOVING, 0, Rect(182, 155, 502, 395)), Rect(182, 155, 502, 395));
    // The work area still is a target.
    EXPECT_EQ(SendRect(target, windows.moved, WM_MOVING, 0, Rect(6, 155, 326, 395)), Rect(0, 155, 320, 395));
    target.Command("send " + Hex(windows.moved) + " 232 0 0");
    // A window that lost a caption bit is not snapped at all.
    target.Command("setstyle " + Hex(windows.moved) + " " + Hex(borderOnly));
    target.Command("send " + Hex(windows.moved) + " 231 0 0");
    EXPECT_EQ(SendRect(target, windows.moved, WM_MOVING, 0, Rect(6, 155, 326, 395)), Rect(6, 155, 326, 395));
    target.Command("send " + Hex(windows.moved) + " 232 0 0");
}

TEST(Snap, MovingMessageWithoutARectangleIsLeftAlone)
{
    ParkCursor();
    HookSession session;
    TargetProcess target;
    const TwoWindows windows = CreateTwoWindows(target);
    HeldKeys alt({VK_MENU});
    ASSERT_TRUE(KeysHeldInTarget(target, {VK_MENU}));
    target.Command("send " + Hex(windows.moved) + " 231 0 0");
    EXPECT_EQ(target.Command("send " + Hex(windows.moved) + " 216 0 0"), "0");
    EXPECT_EQ(target.Command("send " + Hex(windows.moved) + " 214 2 0"), "0");
    target.Command("send " + Hex(windows.moved) + " 232 0 0");
    EXPECT_EQ(target.Command("pid"), std::to_string(target.ProcessId()));
}

BOOL CALLBACK CountQualifying(HWND window, LPARAM count)
{
    if (IsWindowVisible(window) && (GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

TEST(Snap, OnlyTheFirst999WindowsInZOrderAreTargets)
{
    ParkCursor();
    HookSession session;
    WindowManagerSetIgnoreClass({L"LorvekFiller"});
    TargetProcess target;
    // The window to snap to at the bottom of the Z order, fillers far away
    // above it, and the moved window on top.
    const HWND bottom = target.Create(OverlappedWindow, "Bottom");
    target.Command("place " + Hex(bottom) + " 500 100 320 240");
    int others = 0;
    EnumWindows(CountQualifying, reinterpret_cast<LPARAM>(&others));
    const int fillers = 999 - others;  // with the bottom window: 999 window targets
    ASSERT_GT(fillers, 0);
    for (int created = 0; created < fillers; created += 100) {  // each command well within its time limit
        const int count = fillers - created < 100 ? fillers - created : 100;
        ASSERT_EQ(target.Command("fill " + std::to_string(count) + " 900 600 100 100"), "ok");
    }
    const HWND moved = target.Create(OverlappedWindow, "Moved");
    HeldKeys alt({VK_MENU});
    ASSERT_TRUE(KeysHeldInTarget(target, {VK_MENU}));
    const std::string proposed = Rect(100, 105, 494, 340);
    target.Command("send " + Hex(moved) + " 231 0 0");
    EXPECT_EQ(SendRect(target, moved, WM_SIZING, WMSZ_RIGHT, proposed), Rect(100, 105, 500, 340)) << "999 targets";
    target.Command("send " + Hex(moved) + " 232 0 0");
    ASSERT_EQ(target.Command("fill 1 900 600 100 100"), "ok");
    target.Command("send " + Hex(moved) + " 231 0 0");
    EXPECT_EQ(SendRect(target, moved, WM_SIZING, WMSZ_RIGHT, proposed), proposed) << "the 1000th window is no target";
    target.Command("send " + Hex(moved) + " 232 0 0");
}

} // namespace
