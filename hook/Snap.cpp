// Edge snapping while a window is moved or sized with Alt held.
#include "MessageHandlers.h"

bool SnapWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
