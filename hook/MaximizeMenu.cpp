// The "Maximize" popup menu of fixed window sizes, loaded from the library's
// own resources.
#include "MaximizeMenu.h"

#include <windowsx.h>

#include "LibraryModule.h"
#include "MenuHandle.h"
#include "WndProxy.h"

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
            rect = MaximizeMenuRect(rect, static_cast<UINT>(command), GetSystemMetrics(SM_CXFULLSCREEN),
                                    GetSystemMetrics(SM_CYFULLSCREEN));
            proxy.MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, true);
        }
        menu.Destroy();
    } catch (...) {
        // The menu's failures end the action without a message; the holder
        // destroys a menu still loaded.
    }
}
