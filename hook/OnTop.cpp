// Always on top: the window's own WS_EX_TOPMOST is the state.
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "MessageHandlers.h"

namespace {

bool IsOnTop(HWND window)
{
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void SetOnTop(HWND window, bool on)
{
    SetWindowPos(window, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

} // namespace

bool OnTopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != MsgOnTop()) return false;
    return HandleFeatureMessage(window, message, wParam, result, IsOnTop, SetOnTop);
}
