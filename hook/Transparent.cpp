// Transparency: makes a window partly see-through. The window's own layered
// attributes are the state; what its program had set is kept aside while the
// window is transparent.
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "ManagedWindow.h"
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

// Before the first switch on, the window's own attributes are noted (a
// colour key stays in force meanwhile); switching off gives them back, and
// takes the layered style off again when the window did not have it. A
// window noted nothing of (transparent by its own program, or managed only
// after it went transparent) is made fully opaque and stays layered.
void SwitchTransparent(HWND window, bool on, BYTE alpha)
{
    ManagedWindow* const managed = ManagedWindow::Find(window);
    OwnLayeredAttributes unknown = {};
    OwnLayeredAttributes& own = managed != nullptr ? managed->ownLayered : unknown;
    const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
    if (on) {
        if (!own.saved && managed != nullptr && !IsTransparent(window)) {
            own.styleAdded = (exStyle & WS_EX_LAYERED) == 0;
            // Fails for a window that paints with per-pixel alpha.
            own.saved = own.styleAdded || GetLayeredWindowAttributes(window, &own.key, &own.alpha, &own.flags);
        }
        if ((exStyle & WS_EX_LAYERED) == 0) SetWindowLongW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
        const bool keyed = own.saved && (own.flags & LWA_COLORKEY) != 0;
        SetLayeredWindowAttributes(window, keyed ? own.key : 0, alpha, LWA_ALPHA | (keyed ? LWA_COLORKEY : 0));
    } else if (!own.saved) {
        SetLayeredWindowAttributes(window, 0, OpaqueAlpha, LWA_ALPHA);
    } else if (own.styleAdded) {
        SetWindowLongW(window, GWL_EXSTYLE, exStyle & ~WS_EX_LAYERED);
    } else {
        SetLayeredWindowAttributes(window, own.key, own.alpha, own.flags);
    }
    if (!on) own.saved = false;
}

void SetTransparent(HWND window, bool on)
{
    SwitchTransparent(window, on, TransparentAlphaNow());
}

} // namespace

void MakeTransparent(HWND window, BYTE alpha)
{
    if (HasCaption(window)) SwitchTransparent(window, true, alpha);
}

bool TransparentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != MsgTransparent()) return false;
    return HandleFeatureMessage(window, message, wParam, result, IsTransparent, SetTransparent);
}
