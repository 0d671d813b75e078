// The chain of the test build: a first member that throws on "MOX_TEST_THROW"
// (wParam 1: a failing toolkit wrapper, else an exception of no known type).
#include "MessageHandlers.h"
#include "WndProxy.h"

namespace {

bool ThrowingWindowProc(HWND, UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message != RegisterWindowMessageW(L"MOX_TEST_THROW")) return false;
    RECT rect;
    if (wParam == 1) CWndProxy().GetClientRect(rect);  // no window: ERROR_INVALID_WINDOW_HANDLE
    throw 42;
}

} // namespace

const MessageHandler MessageHandlers[] = {
    ThrowingWindowProc,       TitleButtonsWindowProc, RollupWindowProc,      TrayWindowProc,
    OnTopWindowProc,          SystemMenuWindowProc,   MoveSizeNotifyWindowProc, MouseActionWindowProc,
    TransparentWindowProc,    SnapWindowProc,         nullptr,
};
