// The "Maximize" popup menu of fixed window sizes.
#pragma once

#include <windows.h>

#include "MaximizeMenuIds.h"

// Shows the popup at the cursor position in `cursor` (signed x in the low
// word, signed y in the high word) and applies the chosen size to the window.
// Every failure ends the action silently.
void ShowMaximizeMenu(HWND window, LPARAM cursor);

// The window rectangle that a command of the menu gives a window whose
// rectangle is `rect`; `fullWidth` and `fullHeight` are the full-screen
// client size. Any other command keeps the rectangle.
inline RECT MaximizeMenuRect(RECT rect, UINT command, int fullWidth, int fullHeight)
{
    switch (command) {
    case ID_MAXIMIZE_640X480:
        rect.right = rect.left + 640;
        rect.bottom = rect.top + 480;
        break;
    case ID_MAXIMIZE_800X600:
        rect.right = rect.left + 800;
        rect.bottom = rect.top + 600;
        break;
    case ID_MAXIMIZE_HORIZONTAL:
        rect.left = 0;
        rect.right = fullWidth;
        break;
    case ID_MAXIMIZE_VERTICAL:
        rect.top = 0;
        rect.bottom = fullHeight;
        break;
    default:
        break;
    }
    return rect;
}
