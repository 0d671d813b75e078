// Buttons in the caption of a managed window.
#pragma once

#include <windows.h>

void AddOnTopTitleButton(HWND window);
int RemoveTitleButtons(HWND window);
