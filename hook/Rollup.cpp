// Rollup: shrinks a window to its title bar.
#include "MessageHandlers.h"

bool RollupWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
