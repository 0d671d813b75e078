// Reading the message boxes of a process (this one or another) from outside.
#pragma once

#include <windows.h>

#include <string>

namespace harness {
std::wstring MessageBoxText(HWND box);  // the text of its static control 0xFFFF
}
