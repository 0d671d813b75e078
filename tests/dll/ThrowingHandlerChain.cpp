// The handler chain of the test build: a first member that throws when it
// receives "MOX_TEST_THROW" (wParam 1: a failing toolkit wrapper; any other
// wParam: an exception of no known type), then the nine members.
#include "MessageHandlers.h"
#include "WndProxy.h"

namespace {

bool ThrowingWindowProc(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT&)
{
    static const UINT throwMessage = RegisterWindowMessageW(L"MOX_TEST_THROW");
    if (message != throwMessage) return false;
    if (wParam == 1) {
        RECT rect;
        CWndProxy().GetClientRect(rect);  // no window: ERROR_INVALID_WINDOW_HANDLE
    }
    throw 42;
}

} // namespace

const MessageHandler MessageHandlers[] = {
    ThrowingWindowProc,
    TitleButtonsWindowProc,
    RollupWindowProc,
    TrayWindowProc,
    OnTopWindowProc,
    SystemMenuWindowProc,
    MoveSizeNotifyWindowProc,
    MouseActionWindowProc,
    TransparentWindowProc,
    SnapWindowProc,
    nullptr,
};
