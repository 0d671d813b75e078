// Rollup: shrinks a window to its title bar. The property "MOX_ROLLUP" holds
// the height of the restored rectangle from before the window was rolled up
// and the height the window got rolled up; no property means the window is
// not rolled up.
#include "Rollup.h"

#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "MessageHandlers.h"

const wchar_t RollupProperty[] = L"MOX_ROLLUP";

namespace {

RollupState ReadState(HWND window)
{
    return UnpackRollupState(reinterpret_cast<INT_PTR>(GetPropW(window, RollupProperty)));
}

// A window that is not rolled up carries no property at all.
void WriteState(HWND window, RollupState state)
{
    if (state.savedHeight != 0) {
        SetPropW(window, RollupProperty, reinterpret_cast<HANDLE>(PackRollupState(state)));
    } else {
        RemovePropW(window, RollupProperty);
    }
}

LONG RolledUpHeightNow()
{
    return RolledUpHeight(GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYFRAME));
}

LONG WindowHeight(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return HeightOf(rect);
}

// Writes the restored rectangle. A hidden window (one in the notification
// area, say) stays hidden, and a minimized one minimized.
void WritePlacement(HWND window, WINDOWPLACEMENT& placement)
{
    if (!IsWindowVisible(window)) placement.showCmd = SW_HIDE;
    SetWindowPlacement(window, &placement);
}

WINDOWPLACEMENT ReadPlacement(HWND window)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return placement;
}

void RollUp(HWND window)
{
    if (ReadState(window).savedHeight != 0) return;
    WINDOWPLACEMENT placement = ReadPlacement(window);
    const LONG height = HeightOf(placement.rcNormalPosition);
    placement.rcNormalPosition = WithHeight(placement.rcNormalPosition, RolledUpHeightNow());
    // Resizing sends WM_SIZE, which may end the state: store it afterwards.
    WritePlacement(window, placement);
    // The system and the program may keep the window taller than asked. A
    // minimized or maximized window gets its height only when restored.
    const bool sized = !IsIconic(window) && !IsZoomed(window);
    WriteState(window, {height, sized ? WindowHeight(window) : 0});
}

void Unroll(HWND window)
{
    const LONG height = ReadState(window).savedHeight;
    if (height == 0) return;
    WINDOWPLACEMENT placement = ReadPlacement(window);
    placement.rcNormalPosition = WithHeight(placement.rcNormalPosition, height);
    WritePlacement(window, placement);
    WriteState(window, {});
}

bool IsRolledUp(HWND window)
{
    return ReadState(window).savedHeight != 0;
}

void SwitchRollup(HWND window, bool on)
{
    if (on) {
        RollUp(window);
    } else {
        Unroll(window);
    }
}

} // namespace

bool RollupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message == WM_SIZE) {
        // A real resize, by whatever means, ends the rolled-up state and keeps
        // the new size; a minimize, and the restore back to the rolled-up
        // height, do not.
        const RollupState state = ReadState(window);
        if (state.savedHeight != 0 && HasCaption(window)) {
            const RollupState next = RollupStateAfterSize(state, wParam, WindowHeight(window));
            if (next.savedHeight != state.savedHeight || next.rolledHeight != state.rolledHeight) WriteState(window, next);
        }
        return false;
    }
    if (message != MsgRollup()) return false;
    return HandleFeatureMessage(window, message, wParam, result, IsRolledUp, SwitchRollup);
}
