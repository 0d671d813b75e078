#include "DialogDriver.h"
std::wstring harness::Text(HWND window) { wchar_t text[1024] = {}; return GetWindowTextW(window, text, 1024), text; }
std::wstring harness::MessageBoxText(HWND box) { return Text(GetDlgItem(box, 0xFFFF)); }
