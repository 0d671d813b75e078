// Transparency: makes a window partly see-through.
#include "MessageHandlers.h"

bool TransparentWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
