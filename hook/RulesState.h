// Rules inside each process: applied when a window is admitted, and the pin's
// Shift + click.
#pragma once

#include <windows.h>

// Applies the first rule that matches the newly admitted window, through its
// feature messages. Nothing is read from the window while no rule is set.
void ApplyRulesAtAdmission(HWND window);

// After a Shift + click on the pin: asks the tray program to add (the window
// is now on top) or remove the rule "this program opens on top".
void AskForOnTopRule(bool onTop);

// The alpha of "Transparent" (191 until the tray program sets another).
BYTE TransparentAlphaNow();
