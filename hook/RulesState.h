// Rules inside each process: applied when a window is admitted, and the pin's
// Shift + click.
#pragma once

#include <windows.h>

// Applies the first rule that matches the newly admitted window, through its
// feature messages. Nothing is read from the window while no rule is set.
void ApplyRulesAtAdmission(HWND window);

// For a click on the title button of `message`: with Shift held on the pin,
// switches always on top, asks the tray program to add or remove the rule
// "this program opens on top", and answers true. Otherwise does nothing.
bool PinClickedWithShift(HWND window, UINT message);

// The alpha of "Transparent" (191 until the tray program sets another).
BYTE TransparentAlphaNow();
