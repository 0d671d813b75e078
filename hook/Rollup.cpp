// Rollup: shrinks a window to its title bar. The property "MOX_ROLLUP" holds
// the height of the restored rectangle from before the window was rolled up;
// 0 or no property means the window is not rolled up.
#include "Rollup.h"

#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "MessageHandlers.h"

namespace {

const wchar_t RollupProperty[] = L"MOX_ROLLUP";

LONG SavedHeight(HWND window)
{
    return static_cast<LONG>(reinterpret_cast<INT_PTR>(GetPropW(window, RollupProperty)));
}

// A window that is not rolled up carries no property at all.
void SaveHeight(HWND window, LONG height)
{
    if (height != 0) {
        SetPropW(window, RollupProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(height)));
    } else {
        RemovePropW(window, RollupProperty);
    }
}

LONG RolledUpHeightNow()
{
    return RolledUpHeight(GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CYFRAME));
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
    if (SavedHeight(window) != 0) return;
    WINDOWPLACEMENT placement = ReadPlacement(window);
    const LONG height = HeightOf(placement.rcNormalPosition);
    placement.rcNormalPosition = WithHeight(placement.rcNormalPosition, RolledUpHeightNow());
    // Resizing sends WM_SIZE, which clears the property: store it afterwards.
    WritePlacement(window, placement);
    SaveHeight(window, height);
}

void Unroll(HWND window)
{
    const LONG height = SavedHeight(window);
    if (height == 0) return;
    WINDOWPLACEMENT placement = ReadPlacement(window);
    placement.rcNormalPosition = WithHeight(placement.rcNormalPosition, height);
    WritePlacement(window, placement);
    SaveHeight(window, 0);
}

bool IsRolledUp(HWND window)
{
    return SavedHeight(window) != 0;
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
        // size, do not.
        if (SavedHeight(window) != 0 && HasCaption(window)) {
            RECT rect = {};
            GetWindowRect(window, &rect);
            if (RollupEndsAtSize(wParam, HeightOf(rect), RolledUpHeightNow())) SaveHeight(window, 0);
        }
        return false;
    }
    if (message != MsgRollup()) return false;
    return HandleFeatureMessage(window, message, wParam, result, IsRolledUp, SwitchRollup);
}
