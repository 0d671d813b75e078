// Move/size notification to the tray program's overlay window.
#pragma once

#include <windows.h>

// Finds and caches the overlay window of the tray program (class
// "HovelleMoveSizeWnd", title "MoveSize"); answers the cached handle, null
// while there is none. The handle is kept until a report to it fails or a
// move/size loop finds it names another window.
HWND FindMoveSizeWindow();

// The lParam of a "MOX_MOVESIZE" position or size report: the low 16 bits of
// `low` in the low word and of `high` in the high word, so a receiver reads
// both back as signed 16-bit values.
inline LPARAM PackMoveSizeWords(LONG low, LONG high)
{
    return static_cast<LPARAM>((static_cast<DWORD>(high) & 0xFFFF) << 16 | (static_cast<DWORD>(low) & 0xFFFF));
}
