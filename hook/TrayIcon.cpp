// Minimize to tray: hides a window behind a notification-area icon of its own.
#include "MessageHandlers.h"

bool TrayWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
