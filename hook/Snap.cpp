// Edge snapping while a window is moved or sized with Alt held. The targets
// are collected once per move/size loop into a fixed per-process table of
// rectangles: first the work area of every monitor, the primary's first, then
// the visible captioned top-level windows from the top of the Z order down.
#include "FeatureProtocol.h"
#include "MessageHandlers.h"
#include "MonitorGeometry.h"
#include "MouseBinding.h"
#include "SnapArithmetic.h"

namespace {

// Packed rectangles: the handler scans nothing else.
RECT snapTargets[MaxSnapTargets];
std::size_t snapCount = 0;
HWND snapWindow = nullptr;  // the window whose loop filled the table; never a target

BOOL CALLBACK AddSnapTarget(HWND window, LPARAM)
{
    // The enumeration runs to its end; windows beyond the capacity are skipped.
    if (snapCount < MaxSnapTargets && window != snapWindow && IsWindowVisible(window) && HasCaption(window)) {
        if (GetWindowRect(window, &snapTargets[snapCount])) ++snapCount;
    }
    return TRUE;
}

struct MonitorList {
    static constexpr std::size_t Capacity = 32;
    MonitorArea items[Capacity];
    std::size_t count;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data)
{
    MonitorList& list = *reinterpret_cast<MonitorList*>(data);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (list.count < MonitorList::Capacity && GetMonitorInfoW(monitor, &info)) {
        list.items[list.count++] = {info.rcMonitor, info.rcWork, (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
    }
    return TRUE;
}

void CollectSnapTargets(HWND window)
{
    snapCount = 0;
    snapWindow = window;
    MonitorList monitors;
    monitors.count = 0;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    PutPrimaryFirst(monitors.items, monitors.count);
    for (std::size_t i = 0; i < monitors.count; ++i) snapTargets[i] = monitors.items[i].work;
    snapCount = monitors.count;
    if (snapCount == 0) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &snapTargets[0], 0);
        snapCount = 1;
    }
    EnumWindows(AddSnapTarget, 0);
}

bool AltHeld()
{
    return ReadModifierState(GetAsyncKeyState, ModifierAlt) != 0;
}

} // namespace

bool SnapWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT&)
{
    switch (message) {
    case WM_MOVING:
    case WM_SIZING:
        // Only a loop that collected targets snaps: otherwise nothing is read
        // at all. Any program may send these; a null rectangle is left alone.
        if (snapCount == 0 || lParam == 0 || !AltHeld() || !HasCaption(window)) return false;
        if (message == WM_MOVING) {
            SnapMovingRect(*reinterpret_cast<RECT*>(lParam), snapTargets, snapCount);
        } else {
            SnapSizingRect(*reinterpret_cast<RECT*>(lParam), wParam, snapTargets, snapCount);
        }
        return false;
    case WM_ENTERSIZEMOVE:
        if (HasCaption(window)) CollectSnapTargets(window);
        return false;
    case WM_EXITSIZEMOVE:
        if (HasCaption(window)) snapCount = 0;
        return false;
    default:
        return false;
    }
}
