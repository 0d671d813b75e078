// The exported interface of the hook library Lorvek.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The mouse button of a non-client button message.
enum MoxButton : int {
    MoxButtonLeft = 0,
    MoxButtonMiddle = 1,
    MoxButtonRight = 2,
};

// What a bound non-client press does to the window under the cursor.
enum MoxAction : int {
    MoxActionNone = 0,
    MoxActionMinimize = 1,
    MoxActionSendToBack = 2,
    MoxActionRollup = 3,
    MoxActionMinimizeToTray = 4,
    MoxActionMove = 5,
    MoxActionMaximizeMenu = 6,
};

// Table dimensions: button x modifier row (Ctrl = 1, Alt = 2) x hit-test code.
constexpr int MoxButtonCount = 3;
constexpr int MoxModifierRowCount = 3;
constexpr int MoxHitTestCount = 22;
// Capacity of each stored ignore-pattern list, terminators included.
constexpr int MoxPatternListUnits = 1024;

extern "C" {
void SetMouseAction(MoxButton button, int modifier, int hitTest, MoxAction action);
MoxAction GetMouseAction(MoxButton button, int modifier, int hitTest);
void SetMouseActionDblClk(MoxButton button, int modifier, int hitTest, MoxAction action);
MoxAction GetMouseActionDblClk(MoxButton button, int modifier, int hitTest);
void WindowManagerSetIgnoreTitle(const std::vector<std::wstring>& patterns);
void WindowManagerSetIgnoreClass(const std::vector<std::wstring>& patterns);
void WindowManagerStart();
void WindowManagerStop();
void WindowManagerManageWindow(HWND window);
}
