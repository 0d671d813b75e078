// The global hook, window admission and the start and stop of the library.
#include "DebugLog.h"
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "LibraryModule.h"
#include "ManagedWindow.h"
#include "MoveSize.h"
#include "PatternList.h"
#include "SharedState.h"

namespace {

// This process's handle of the library, set at process attach.
HINSTANCE libraryModule = nullptr;

bool HasStyle(HWND window, LONG mask)
{
    return (GetWindowLongW(window, GWL_STYLE) & mask) == mask;
}

bool IsIgnoredWindow(HWND window)
{
    wchar_t className[MoxPatternListUnits];
    wchar_t title[MoxPatternListUnits];
    className[0] = 0;
    title[0] = 0;
    GetClassNameW(window, className, MoxPatternListUnits);
    GetWindowTextW(window, title, MoxPatternListUnits);
    return MatchPatternList<wchar_t>(title, Shared.IgnoreTitlePatterns, MoxPatternListUnits) ||
           MatchPatternList<wchar_t>(className, Shared.IgnoreClassPatterns, MoxPatternListUnits);
}

struct Broadcast {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

BOOL CALLBACK SendToWindow(HWND window, LPARAM data)
{
    const Broadcast& broadcast = *reinterpret_cast<const Broadcast*>(data);
    SendMessageW(window, broadcast.message, broadcast.wParam, broadcast.lParam);
    return TRUE;
}

// Sends the message to every top-level window, synchronously, in enumeration order.
void BroadcastMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    Broadcast broadcast = {message, wParam, lParam};
    EnumWindows(SendToWindow, reinterpret_cast<LPARAM>(&broadcast));
}

BOOL CALLBACK ReleaseCaptionedChild(HWND window, LPARAM)
{
    if (HasStyle(window, WS_CAPTION)) SendMessageW(window, MsgUnsubclass(), 0, 0);
    return TRUE;
}

BOOL CALLBACK ReleaseCaptionedChildrenOf(HWND window, LPARAM)
{
    EnumChildWindows(window, ReleaseCaptionedChild, 0);
    return TRUE;
}

// Captioned child windows (MDI children, for example) may be managed too but
// are not reached by a broadcast to top-level windows; they must let go of
// the library before the hook is removed and the library leaves their process.
void ReleaseCaptionedChildWindows()
{
    EnumWindows(ReleaseCaptionedChildrenOf, 0);
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == WM_CREATE) {
            if (Shared.ManageEnabled) WindowManagerManageWindow(call->hwnd);
        } else if (call->message == WM_ENDSESSION) {
            Shared.ManageEnabled = false;
        }
    }
    return CallNextHookEx(Shared.HookHandle, code, wParam, lParam);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        libraryModule = instance;
        FindMoveSizeWindow();
    }
    return TRUE;
}

HINSTANCE LibraryModule()
{
    return libraryModule;
}

void WindowManagerManageWindow(HWND window)
{
    if (!HasStyle(window, WS_CAPTION) || !HasStyle(window, WS_SYSMENU)) return;
    // A window is managed on the thread that owns it: the subclass, the menu and
    // the features all live there. Windows of other threads, and of other
    // processes, are left untouched.
    if (GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId()) return;
    if (IsIgnoredWindow(window)) return;
    if (WindowSubclassed::IsSubclassed(window)) return;
    try {
        new ManagedWindow(window);  // deletes itself when the window is released
    } catch (...) {
        // Out of memory: the window simply stays unmanaged.
    }
}

void WindowManagerStart()
{
    LogMessage(L"WindowManagerStart");
    if (Shared.HookHandle == nullptr) {
        Shared.HookHandle = SetWindowsHookExW(WH_CALLWNDPROC, CallWndProcHook, libraryModule, 0);
    }
    Shared.ManageEnabled = true;
}

void WindowManagerStop()
{
    try {
        LogMessage(L"WindowManagerStop");
        Shared.ManageEnabled = false;
        BroadcastMessage(MsgRollup(), FeatureOff, 0);
        BroadcastMessage(MsgTray(), FeatureOff, 0);
        BroadcastMessage(MsgUnsubclass(), 0, 0);
        ReleaseCaptionedChildWindows();
        Sleep(0);
        if (Shared.HookHandle != nullptr) {
            UnhookWindowsHookEx(Shared.HookHandle);
            Shared.HookHandle = nullptr;
        }
    } catch (...) {
        LogMessage(L"WindowManagerStop - Unknown Exception");
    }
}
