// Move/size notification: every move and size of a managed window, and the
// start and end of its move/size loop, are posted as "MOX_MOVESIZE" to the
// tray program's overlay window.
#include "MoveSize.h"

#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "MessageHandlers.h"

namespace {

HWND moveSizeWindow = nullptr;
const wchar_t MoveSizeClass[] = L"HovelleMoveSizeWnd";

// A post that finds no window forgets the handle: the tray program has ended,
// and the next report looks for the window of the next run.
void Notify(HWND overlay, WPARAM cause, LPARAM data)
{
    if (!PostMessageW(overlay, MsgMoveSize(), cause, data) && moveSizeWindow == overlay) moveSizeWindow = nullptr;
}

// At the start of each move/size loop: the handle may by now name another
// window (handles are reused), so it must still be the read-out window.
void CheckMoveSizeWindow()
{
    wchar_t className[32] = {};
    if (moveSizeWindow != nullptr &&
        (GetClassNameW(moveSizeWindow, className, 32) == 0 || lstrcmpW(className, MoveSizeClass) != 0)) {
        moveSizeWindow = nullptr;
    }
}

LPARAM WindowPosition(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return PackMoveSizeWords(rect.left, rect.top);
}

LPARAM WindowSize(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return PackMoveSizeWords(rect.right - rect.left, rect.bottom - rect.top);
}

} // namespace

HWND FindMoveSizeWindow()
{
    if (moveSizeWindow == nullptr) moveSizeWindow = FindWindowExW(nullptr, nullptr, MoveSizeClass, L"MoveSize");
    return moveSizeWindow;
}

bool MoveSizeNotifyWindowProc(HWND window, UINT message, WPARAM, LPARAM, LRESULT&)
{
    if (message != WM_MOVE && message != WM_SIZE && message != WM_ENTERSIZEMOVE && message != WM_EXITSIZEMOVE) {
        return false;
    }
    if (message == WM_ENTERSIZEMOVE) CheckMoveSizeWindow();
    const HWND overlay = FindMoveSizeWindow();
    if (overlay == nullptr || !HasCaption(window)) return false;
    switch (message) {
    case WM_ENTERSIZEMOVE:
        Notify(overlay, WM_ENTERSIZEMOVE, 0);
        Notify(overlay, WM_MOVE, WindowPosition(window));
        break;
    case WM_MOVE:
        Notify(overlay, WM_MOVE, WindowPosition(window));
        break;
    case WM_SIZE:
        Notify(overlay, WM_SIZE, WindowSize(window));
        break;
    case WM_EXITSIZEMOVE:
        Notify(overlay, WM_EXITSIZEMOVE, 0);
        break;
    }
    return false;
}
