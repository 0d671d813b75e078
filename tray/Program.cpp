#include "Program.h"

namespace {

HINSTANCE programInstance = nullptr;

} // namespace

HINSTANCE ProgramInstance()
{
    return programInstance;
}

void SetProgramInstance(HINSTANCE instance)
{
    programInstance = instance;
}

WPARAM RunMessageLoop()
{
    MSG message = {};
    for (;;) {
        const BOOL result = GetMessageW(&message, nullptr, 0, 0);
        // -1 means the call itself failed (it cannot for a null window
        // filter); retrying would spin, so the run ends as after WM_QUIT.
        if (result == 0 || result == -1) break;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return message.wParam;
}
