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
bool libraryPinned = false;

// A stop waits this long for each window; a window whose thread does not
// answer in time takes the message in when it wakes up.
const UINT StopMessageTimeout = 200;

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

// Once a window of this process points into the library, the library stays
// until the process ends, even if the hook goes without a stop.
void PinLibrary()
{
    if (libraryPinned) return;
    libraryPinned = true;
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&PinLibrary), &module);
}

// Sends and waits a little; a hung window is left the message to take in
// when it wakes up.
void SendStopMessage(HWND window, UINT message, WPARAM wParam)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, StopMessageTimeout, &result) &&
        IsHungAppWindow(window)) {
        SendNotifyMessageW(window, message, wParam, 0);
    }
}

struct StopMessage {
    UINT message;
    WPARAM wParam;
};

BOOL CALLBACK SendToTopLevel(HWND window, LPARAM data)
{
    const auto* stop = reinterpret_cast<const StopMessage*>(data);
    SendStopMessage(window, stop->message, stop->wParam);
    return TRUE;
}

BOOL CALLBACK SendToCaptionedChild(HWND window, LPARAM data)
{
    if (HasCaption(window)) SendToTopLevel(window, data);
    return TRUE;
}

BOOL CALLBACK SendToCaptionedChildrenOf(HWND window, LPARAM data)
{
    EnumChildWindows(window, SendToCaptionedChild, data);
    return TRUE;
}

// Sends the message to every top-level window in enumeration order, then to
// the captioned child windows (MDI children, for example), which may be
// managed too but are not reached through the top-level windows.
void BroadcastMessage(UINT message, WPARAM wParam)
{
    StopMessage stop = {message, wParam};
    EnumWindows(SendToTopLevel, reinterpret_cast<LPARAM>(&stop));
    EnumWindows(SendToCaptionedChildrenOf, reinterpret_cast<LPARAM>(&stop));
}

// Counted while it runs, so a rewrite of the ignore lists can wait until no
// admission reads them.
void AdmitFromHook(HWND window)
{
    InterlockedIncrement(&Shared.AdmissionsRunning);
    if (__atomic_load_n(&Shared.ManageEnabled, __ATOMIC_SEQ_CST)) WindowManagerManageWindow(window);
    InterlockedDecrement(&Shared.AdmissionsRunning);
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam)
{
    // The hook runs in front of every sent message of the program: it leaves
    // the thread's last error as it found it.
    const DWORD error = GetLastError();
    if (code == HC_ACTION) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        // The tray program's request to admit a window that was open before
        // the start goes through the same test as a new window.
        if (call->message == WM_CREATE || (call->message >= 0xC000 && call->message == MsgManage())) {
            AdmitFromHook(call->hwnd);
        } else if (call->message == WM_ENDSESSION) {
            Shared.ManageEnabled = false;
        }
    }
    const LRESULT result = CallNextHookEx(Shared.HookHandle, code, wParam, lParam);
    SetLastError(error);
    return result;
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        libraryModule = instance;
        AllocateMessageFrameSlot();
        FindMoveSizeWindow();
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        FreeMessageFrameSlot();
    }
    return TRUE;
}

HINSTANCE LibraryModule()
{
    return libraryModule;
}

void WindowManagerManageWindow(HWND window)
{
    const DWORD error = GetLastError();
    // A window is managed on the thread that owns it: the subclass, the menu and
    // the features all live there. Windows of other threads, and of other
    // processes, are left untouched.
    if (HasStyle(window, WS_CAPTION | WS_SYSMENU) && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId() &&
        !IsIgnoredWindow(window) && !WindowSubclassed::IsSubclassed(window)) {
        try {
            PinLibrary();
            new ManagedWindow(window);  // deletes itself when the window is released
        } catch (...) {
            // Out of memory: the window simply stays unmanaged.
        }
    }
    SetLastError(error);
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
        BroadcastMessage(MsgRollup(), FeatureOff);
        BroadcastMessage(MsgTray(), FeatureOff);
        BroadcastMessage(MsgUnsubclass(), 0);
        Sleep(0);
        if (Shared.HookHandle != nullptr) {
            UnhookWindowsHookEx(Shared.HookHandle);
            Shared.HookHandle = nullptr;
        }
    } catch (...) {
        LogMessage(L"WindowManagerStop - Unknown Exception");
    }
}
