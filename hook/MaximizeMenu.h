// The "Maximize" popup menu of fixed window sizes.
#pragma once

#include <windows.h>

#include "MaximizeMenuIds.h"

// Shows the popup at the cursor position in `cursor` (signed x in the low
// word, signed y in the high word) and applies the chosen size to the window.
// Every failure ends the action silently.
void ShowMaximizeMenu(HWND window, LPARAM cursor);

// The window rectangle that a command of the menu gives a window whose
// rectangle is `rect`; "Horizontal" and "Vertical" fill `area`, the client
// area of a full-screen window on the window's monitor, across or down. Any
// other command keeps the rectangle.
inline RECT MaximizeMenuRect(RECT rect, UINT command, const RECT& area)
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
        rect.left = area.left;
        rect.right = area.right;
        break;
    case ID_MAXIMIZE_VERTICAL:
        rect.top = area.top;
        rect.bottom = area.bottom;
        break;
    default:
        break;
    }
    return rect;
}
