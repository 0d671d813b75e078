#include "DialogDriver.h"

std::wstring harness::MessageBoxText(HWND box)
{
    wchar_t text[1024] = {};
    GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 1024);
    return text;
}
