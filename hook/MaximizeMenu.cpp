// The "Maximize" popup menu of fixed window sizes, loaded from the library's
// own resources.
#include "MaximizeMenu.h"

#include <windowsx.h>

#include "LibraryModule.h"
#include "MenuHandle.h"
#include "MonitorGeometry.h"
#include "WndProxy.h"

namespace {

// The client area of a full-screen window on the monitor that holds the
// window; on the primary monitor, or when a monitor cannot be read, (0, 0)
// and the system's full-screen size.
RECT FullScreenAreaOf(HWND window)
{
    const int fullWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    const int fullHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    MONITORINFO held = {};
    held.cbSize = sizeof held;
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &held) ||
        (held.dwFlags & MONITORINFOF_PRIMARY) != 0 ||
        !GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary)) {
        return {0, 0, fullWidth, fullHeight};
    }
    return FullScreenArea({held.rcMonitor, held.rcWork, false}, primary.rcWork, fullWidth, fullHeight);
}

} // namespace

void ShowMaximizeMenu(HWND window, LPARAM cursor)
{
    try {
        const CWndProxy proxy(window);
        CMenuHandle menu(LoadMenuW(LibraryModule(), MAKEINTRESOURCEW(IDR_MAXIMIZE_MENU)), true);
        if (menu.Handle() == nullptr) return;
        const CMenuHandle popup = menu.GetSubMenu(0);
        const int command =
            TrackPopupMenu(popup.Handle(), TPM_RETURNCMD, GET_X_LPARAM(cursor), GET_Y_LPARAM(cursor), 0, window, nullptr);
        if (command > 0) {
            RECT rect = {};
            proxy.GetWindowRect(rect);
            const RECT area = FullScreenAreaOf(window);
            rect = MaximizeMenuRect(rect, static_cast<UINT>(command), area);
            proxy.MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, true);
        }
        menu.Destroy();
    } catch (...) {
        // The menu's failures end the action without a message; the holder
        // destroys a menu still loaded.
    }
}
