// The global hook, window admission and the start and stop of the library.
#include "DebugLog.h"
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "HookOwner.h"
#include "KernelHandle.h"
#include "LibraryModule.h"
#include "MessageHandlers.h"
#include "ManagedWindow.h"
#include "MoveSize.h"
#include "PatternList.h"
#include "RulesState.h"
#include "SharedState.h"
#include "TitleButtons.h"

namespace {

// This process's handle of the library, set at process attach.
HINSTANCE libraryModule = nullptr;
bool libraryPinned = false;

// A stop waits this long for each window; a window whose thread does not
// answer in time is left its messages to take in when it wakes up.
const UINT StopMessageTimeout = 500;
const int MaxSlowThreads = 64;

using NameReader = int(WINAPI*)(HWND, LPWSTR, int);

// True when the window's name, as `readName` gives it, matches a pattern of
// the list. An empty list (its first unit the closing NUL) matches nothing,
// and the name is then not read at all.
bool MatchesList(const DoubleBuffered<PatternListBuffer>& list, HWND window, NameReader readName)
{
    wchar_t name[MoxPatternListUnits];
    bool read = false, matched = false;
    list.Read([&](const PatternListBuffer& patterns) {
        matched = false;
        if (patterns.units[0] == 0) return;
        if (!read) {
            name[0] = 0;
            readName(window, name, MoxPatternListUnits);
            read = true;
        }
        matched = MatchPatternList<wchar_t>(name, patterns.units, MoxPatternListUnits);
    });
    return matched;
}

// The title is read without a message: GetWindowTextW would send WM_GETTEXT
// to a window whose own WM_CREATE has not run yet.
bool IsIgnoredWindow(HWND window)
{
    return MatchesList(Shared.IgnoreTitlePatterns, window, InternalGetWindowText) ||
           MatchesList(Shared.IgnoreClassPatterns, window, GetClassNameW);
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

// One message of a stop, and the threads that have not answered it in time:
// their windows get it without any wait.
struct StopBroadcast {
    UINT message;
    WPARAM wParam;
    const wchar_t* onlyWith;  // a property the window must carry; null: every window
    DWORD slowThreads[MaxSlowThreads];
    int slowCount;

    bool IsSlow(DWORD thread) const
    {
        for (int i = 0; i < slowCount; ++i) {
            if (slowThreads[i] == thread) return true;
        }
        return false;
    }
};

void SendStopMessage(HWND window, StopBroadcast& stop)
{
    // A property is read without a message: a window not in that state is
    // not asked at all, which makes a stop over many windows cheap.
    if (stop.onlyWith != nullptr && GetPropW(window, stop.onlyWith) == nullptr) return;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    DWORD_PTR result = 0;
    if (!stop.IsSlow(thread)) {
        if (SendMessageTimeoutW(window, stop.message, stop.wParam, 0, SMTO_ABORTIFHUNG, StopMessageTimeout,
                                &result) ||
            GetLastError() != ERROR_TIMEOUT) {
            return;  // answered, or gone
        }
    }
    // Queued for when the thread wakes up. (A message that timed out may come
    // a second time then; every stop message is harmless the second time.)
    SendNotifyMessageW(window, stop.message, stop.wParam, 0);
    if (!stop.IsSlow(thread) && stop.slowCount < MaxSlowThreads) stop.slowThreads[stop.slowCount++] = thread;
}

BOOL CALLBACK SendToTopLevel(HWND window, LPARAM data)
{
    SendStopMessage(window, *reinterpret_cast<StopBroadcast*>(data));
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
void BroadcastMessage(StopBroadcast& stop, UINT message, WPARAM wParam, const wchar_t* onlyWith = nullptr)
{
    stop.message = message;
    stop.wParam = wParam;
    stop.onlyWith = onlyWith;
    EnumWindows(SendToTopLevel, reinterpret_cast<LPARAM>(&stop));
    EnumWindows(SendToCaptionedChildrenOf, reinterpret_cast<LPARAM>(&stop));
}

// Admits the window if it qualifies; true when it did.
bool Admit(HWND window)
{
    // A window is managed on the thread that owns it: the subclass, the menu
    // and the features all live there. Windows of other threads, and of
    // other processes, are left untouched; so is a window that this or
    // another copy of the library manages already. Without the slot that
    // keeps a release from running twice, nothing is admitted.
    if (!MessageFrameSlotReady() || !HasStyle(window, WS_CAPTION | WS_SYSMENU) ||
        GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId() || IsManagedByAnyCopy(window) ||
        IsIgnoredWindow(window)) {
        return false;
    }
    try {
        PinLibrary();
        new ManagedWindow(window);  // deletes itself when the window is released
        ApplyRulesAtAdmission(window);
        return true;
    } catch (...) {
        return false;  // out of memory: the window simply stays unmanaged
    }
}

// The creation time of a running process, for the hook's owner.
unsigned long long RunningProcessStart(unsigned long id)
{
    const CKernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id));
    if (!process.IsOpen()) return GetLastError() == ERROR_ACCESS_DENIED ? ProcessNotAsked : 0;
    if (WaitForSingleObject(process.Handle(), 0) != WAIT_TIMEOUT) return 0;  // ended, still held open
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!GetProcessTimes(process.Handle(), &created, &exited, &kernel, &user)) return ProcessNotAsked;
    return static_cast<unsigned long long>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

LRESULT CALLBACK CallWndProcHook(int code, WPARAM wParam, LPARAM lParam)
{
    // The hook runs in front of every sent message of the program: it leaves
    // the thread's last error as it found it.
    const DWORD error = GetLastError();
    if (code == HC_ACTION) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (call->message == WM_CREATE) {
            if (__atomic_load_n(&Shared.ManageEnabled, __ATOMIC_ACQUIRE)) Admit(call->hwnd);
        } else if (call->message >= 0xC000 && call->message == MsgManage()) {
            // The tray program's request to admit a window that was open
            // before the start goes through the same test as a new window.
            if (__atomic_load_n(&Shared.ManageEnabled, __ATOMIC_ACQUIRE)) WindowManagerManageWindow(call->hwnd);
        } else if (call->message == WM_ENDSESSION && SessionEnds(call->wParam, call->lParam)) {
            // Only the real end of the session: a cancelled log-off, or one
            // program closed by an installer, leaves admission on.
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

// An open window admitted now has its frame painted again, so its title
// button shows at once. (A new window is admitted before it paints anything.)
void WindowManagerManageWindow(HWND window)
{
    const DWORD error = GetLastError();
    if (Admit(window)) RepaintFrame(window);
    SetLastError(error);
}

void WindowManagerStart()
{
    LogMessage(L"WindowManagerStart");
    const HookOwner owner = {Shared.HookOwnerProcess, Shared.HookOwnerStarted};
    if (HookNeedsInstall(Shared.HookHandle != nullptr, owner, RunningProcessStart)) {
        // The hook of an owner that has ended is gone already (Wine alone
        // keeps calling it: it goes here).
        if (Shared.HookHandle != nullptr) UnhookWindowsHookEx(Shared.HookHandle);
        Shared.HookHandle = SetWindowsHookExW(WH_CALLWNDPROC, CallWndProcHook, libraryModule, 0);
        Shared.HookOwnerProcess = GetCurrentProcessId();
        Shared.HookOwnerStarted = RunningProcessStart(GetCurrentProcessId());
    }
    Shared.ManageEnabled = true;
}

void WindowManagerRestoreHiddenWindows()
{
    StopBroadcast broadcast = {};
    BroadcastMessage(broadcast, MsgTray(), FeatureOff, TrayProperty);
}

void WindowManagerStop()
{
    try {
        LogMessage(L"WindowManagerStop");
        Shared.ManageEnabled = false;
        StopBroadcast stop = {};
        BroadcastMessage(stop, MsgRollup(), FeatureOff, RollupProperty);
        BroadcastMessage(stop, MsgTray(), FeatureOff, TrayProperty);
        BroadcastMessage(stop, MsgUnsubclass(), 0);
        Sleep(0);
        if (Shared.HookHandle != nullptr) {
            UnhookWindowsHookEx(Shared.HookHandle);
            Shared.HookHandle = nullptr;
        }
    } catch (...) {
        LogMessage(L"WindowManagerStop - Unknown Exception");
    }
}
