// The text of a message box of any process: its static control 0xFFFF.
#pragma once

#include <windows.h>

#include <string>

namespace harness {
std::wstring MessageBoxText(HWND box);
}
