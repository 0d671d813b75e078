// Move/size notification to the tray program's overlay window.
#pragma once

#include <windows.h>

// Finds and caches the overlay window of the tray program.
HWND FindMoveSizeWindow();
