// Program-wide state of the tray program.
#pragma once

#include <windows.h>

// The module instance handle, stored first thing on entry; every resource of
// the tray program is loaded from it.
HINSTANCE ProgramInstance();
void SetProgramInstance(HINSTANCE instance);

// GetMessageW / TranslateMessage / DispatchMessageW until WM_QUIT; returns
// the quit message's wParam. A failing GetMessageW (-1) also ends the loop.
WPARAM RunMessageLoop();
