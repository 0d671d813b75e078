// Mouse bindings in the non-client area.
#include "MessageHandlers.h"

bool MouseActionWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
