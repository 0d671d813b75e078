// The title or text of a window of any process, and the text of a message box: its static control 0xFFFF.
#pragma once
#include <windows.h>
#include <string>

namespace harness {
std::wstring Text(HWND window);
std::wstring MessageBoxText(HWND box);
}
