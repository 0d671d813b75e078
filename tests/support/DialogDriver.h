// Finding and driving dialogs and message boxes of a process (this one or
// another) the way a user would: real keystrokes and clicks through
// SendInput, window texts and owners read from outside.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// The visible top-level dialogs (class "#32770") of the process, in Z order.
std::vector<HWND> ProcessDialogs(DWORD processId);

// Waits for a visible dialog of the process titled `title` that is not
// `exclude`; null when none came.
HWND WaitForDialog(DWORD processId, const std::wstring& title, HWND exclude = nullptr, DWORD milliseconds = 20000);

// Waits until the window no longer exists (true) or gives up.
bool WaitForGone(HWND window, DWORD milliseconds = 20000);

std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
// The text of a message box (its static text control).
std::wstring MessageBoxText(HWND box);

// Brings the window to the front and gives it the keyboard.
void BringToFront(HWND window);
// Presses and releases a key for the foreground window.
void PressKey(WORD virtualKey);
// Moves the cursor to the screen point and clicks the left button there.
void ClickAt(POINT point);
// Clicks the middle of a window (a control).
void ClickCentre(HWND window);
// The centre of the part of the window's caption strip whose WM_NCHITTEST
// answers `code` (HTCLOSE: the close box); {-1, -1} when there is none.
POINT FindHitTest(HWND window, LRESULT code);

} // namespace harness
