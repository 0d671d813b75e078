// The least any global WH_CALLWNDPROC hook and any subclass cost: the floor
// the bench compares the hook library with.
#include <windows.h>

#include <commctrl.h>

namespace {

LRESULT CALLBACK FloorSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, FloorSubclass, id);
    return DefSubclassProc(window, message, wParam, lParam);
}

} // namespace

extern "C" {

__declspec(dllexport) LRESULT CALLBACK FloorHook(int code, WPARAM wParam, LPARAM lParam)
{
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The floor hook that also subclasses every window it sees created.
__declspec(dllexport) LRESULT CALLBACK FloorSubclassingHook(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CREATE) SetWindowSubclass(call->hwnd, FloorSubclass, 1, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

__declspec(dllexport) void FloorSubclassWindow(HWND window, BOOL on)
{
    if (on) {
        SetWindowSubclass(window, FloorSubclass, 1, 0);
    } else {
        RemoveWindowSubclass(window, FloorSubclass, 1);
    }
}
}
