// System functions newer than the oldest Windows the library loads on, looked
// up at run time: where one is missing its pointer stays null.
#pragma once

#include <windows.h>

template <typename Function>
void Look(Function& function, HMODULE module, const char* name)
{
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
