// Edge snapping while a window is moved or sized with Alt held. The targets
// are collected once per move/size loop into a fixed per-process table:
// entry 0 the work area, then the visible captioned top-level windows from the
// top of the Z order down.
#include "FeatureProtocol.h"
#include "MessageHandlers.h"
#include "SnapArithmetic.h"

namespace {

const HWND WorkAreaMarker = reinterpret_cast<HWND>(static_cast<INT_PTR>(-1));

SnapTarget snapTargets[MaxSnapTargets];
std::size_t snapCount = 0;
HWND snapWindow = nullptr;  // the window whose loop filled the table; never a target

BOOL CALLBACK AddSnapTarget(HWND window, LPARAM)
{
    // The enumeration runs to its end; windows beyond the capacity are skipped.
    if (snapCount < MaxSnapTargets && window != snapWindow && IsWindowVisible(window) && HasCaption(window)) {
        SnapTarget& target = snapTargets[snapCount];
        if (GetWindowRect(window, &target.rect)) {
            target.window = window;
            ++snapCount;
        }
    }
    return TRUE;
}

void CollectSnapTargets(HWND window)
{
    snapCount = 0;
    snapWindow = window;
    RECT workArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    snapTargets[0].window = WorkAreaMarker;
    snapTargets[0].rect = workArea;
    snapCount = 1;
    EnumWindows(AddSnapTarget, 0);
}

bool AltHeld()
{
    return GetAsyncKeyState(VK_MENU) != 0;
}

} // namespace

bool SnapWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    if (message != WM_MOVING && message != WM_SIZING && message != WM_ENTERSIZEMOVE && message != WM_EXITSIZEMOVE) {
        return false;
    }
    if (!HasCaption(window)) return false;
    switch (message) {
    case WM_ENTERSIZEMOVE:
        CollectSnapTargets(window);
        break;
    case WM_EXITSIZEMOVE:
        snapCount = 0;
        break;
    case WM_MOVING:
        // Any program may send these; a null rectangle is left alone.
        if (lParam != 0 && AltHeld()) SnapMovingRect(*reinterpret_cast<RECT*>(lParam), snapTargets, snapCount);
        break;
    case WM_SIZING:
        if (lParam != 0 && AltHeld()) SnapSizingRect(*reinterpret_cast<RECT*>(lParam), wParam, snapTargets, snapCount);
        break;
    }
    return false;
}
