// Mouse bindings in the non-client area: a bound press, release or
// double-click runs one of six window actions and is claimed, so the
// window's own handling of it never runs.
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "MaximizeMenu.h"
#include "MessageHandlers.h"
#include "MouseBinding.h"
#include "SharedState.h"

namespace {

bool HasMinimizeBox(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_MINIMIZEBOX) != 0;
}

// Each action gets the window, whether the message is a press, and the cursor
// position in screen coordinates.
using MouseActionFunction = void (*)(HWND window, bool press, LPARAM cursor);

void Minimize(HWND window, bool press, LPARAM)
{
    if (!press && HasMinimizeBox(window)) CloseWindow(window);
}

void SendToBack(HWND window, bool press, LPARAM)
{
    if (!press) SetWindowPos(window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void Rollup(HWND window, bool press, LPARAM)
{
    if (!press) SendMessageW(window, MsgRollup(), FeatureToggle, 0);
}

void MinimizeToTray(HWND window, bool press, LPARAM)
{
    if (!press && HasMinimizeBox(window)) SendMessageW(window, MsgTray(), FeatureOn, 0);
}

// The system's modal move loop, as if the caption had been grabbed at the cursor.
void Move(HWND window, bool press, LPARAM cursor)
{
    if (press) SendMessageW(window, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, cursor);
}

void MaximizeMenu(HWND window, bool press, LPARAM cursor)
{
    if (!press) ShowMaximizeMenu(window, cursor);
}

// Indexed by MoxAction.
const MouseActionFunction ActionTable[] = {
    nullptr, Minimize, SendToBack, Rollup, MinimizeToTray, Move, MaximizeMenu,
};
static_assert(sizeof ActionTable / sizeof ActionTable[0] == MoxActionMaximizeMenu + 1, "one entry per action");

} // namespace

bool MouseActionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    NcButtonEvent event;
    if (!DecodeNcButtonMessage(message, event)) return false;
    const MoxAction action = LookupBinding(event.doubleClick ? Shared.MouseActionsDblClk : Shared.MouseActions,
                                           event.button, ReadModifierState(GetAsyncKeyState), wParam);
    if (action == MoxActionNone) return false;
    ActionTable[action](window, event.press, lParam);
    result = 0;
    return true;
}
