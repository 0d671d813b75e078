// Transparency: makes a window partly see-through. The window's own layered
// attributes are the state; nothing else is kept.
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "MessageHandlers.h"
#include "RulesState.h"

namespace {

const BYTE OpaqueAlpha = 255;

bool IsLayered(HWND window)
{
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

bool IsTransparent(HWND window)
{
    if (!IsLayered(window)) return false;
    BYTE alpha = 0;
    DWORD flags = 0;
    // Fails for a window that paints with per-pixel alpha; the zero flags then read as opaque.
    GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    return (flags & LWA_ALPHA) != 0 && alpha != OpaqueAlpha;
}

void SetTransparent(HWND window, bool on)
{
    if (on) {
        const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
        if ((exStyle & WS_EX_LAYERED) == 0) SetWindowLongW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
    }
    // Switching off keeps the window layered, fully opaque.
    SetLayeredWindowAttributes(window, 0, on ? TransparentAlphaNow() : OpaqueAlpha, LWA_ALPHA);
}

} // namespace

bool TransparentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != MsgTransparent()) return false;
    return HandleFeatureMessage(window, message, wParam, result, IsTransparent, SetTransparent);
}
