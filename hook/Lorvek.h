// The exported interface of the hook library Lorvek.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "BindingTable.h"

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

// One table of bound actions: button x modifier row x hit-test code.
using BindingTable = MoxAction[MoxButtonCount][MoxModifierRowCount][MoxHitTestCount];

// Registered messages other programs send to windows: the first asks the
// hook to admit a window that was open before the start (wParam and lParam
// 0); the second switches always on top of a managed window (wParam 1 on,
// 2 off, 3 toggle, 4 query; a managed window answers 1 to the first three).
constexpr wchar_t MoxManageMessageName[] = L"MOX_WINDOWMANAGER_MANAGE";
constexpr wchar_t MoxOnTopMessageName[] = L"MOX_ON_TOP";

// What WM_ENDSESSION says: true only when the session really ends, not for a
// cancelled log-off (wParam FALSE) nor for one program that the Restart
// Manager closes (ENDSESSION_CLOSEAPP).
inline bool SessionEnds(WPARAM wParam, LPARAM lParam)
{
    return wParam != FALSE && (lParam & ENDSESSION_CLOSEAPP) == 0;
}

extern "C" {
void SetMouseAction(MoxButton button, int modifier, int hitTest, MoxAction action);
MoxAction GetMouseAction(MoxButton button, int modifier, int hitTest);
void SetMouseActionDblClk(MoxButton button, int modifier, int hitTest, MoxAction action);
MoxAction GetMouseActionDblClk(MoxButton button, int modifier, int hitTest);
// The ignore lists are rewritten while admission goes on: an admission reads
// either the whole old list or the whole new one.
void WindowManagerSetIgnoreTitle(const std::vector<std::wstring>& patterns);
void WindowManagerSetIgnoreClass(const std::vector<std::wstring>& patterns);
void WindowManagerStart();
void WindowManagerStop();
// Brings back every window hidden in the notification area, as the stop
// does, and leaves everything else running.
void WindowManagerRestoreHiddenWindows();
void WindowManagerManageWindow(HWND window);
}
