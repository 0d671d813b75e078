// A stand-in dwmapi.dll for a program's own folder: a composed desktop with Windows 10's caption buttons at 100 %,
// three of 46 x 30 at the right edge inside an 8-pixel border. Every other attribute is unknown.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled) { return *enabled = TRUE, S_OK; }

extern "C" __declspec(dllexport) HRESULT WINAPI DwmGetWindowAttribute(HWND window, DWORD attribute, void* value, DWORD size) {
    RECT r = {};
    if (attribute != 5 /* DWMWA_CAPTION_BUTTON_BOUNDS */ || size != sizeof r || !GetWindowRect(window, &r)) return E_INVALIDARG;
    return *static_cast<RECT*>(value) = {r.right - r.left - 8 - 3 * 46, 8, r.right - r.left - 8, 38}, S_OK;
}
