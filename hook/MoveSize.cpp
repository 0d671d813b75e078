// Move/size notification to the tray program's overlay window.
#include "MoveSize.h"

#include "MessageHandlers.h"

HWND FindMoveSizeWindow()
{
    return nullptr;
}

bool MoveSizeNotifyWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
