#include "WindowCommands.h"

#include "Lorvek.h"

namespace {

// A window that takes longer than this to answer is left as it is.
constexpr UINT AnswerTimeout = 200;

unsigned long hotkeyValue = 0;
bool hotkeyRefused = false;

bool IsWow64(HANDLE process)
{
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64;
}

// True when the window's process runs with this program's bitness; a
// process that cannot be asked counts as another.
bool SameBitness(HWND window)
{
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (id == GetCurrentProcessId()) return true;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr) return false;
    const bool same = IsWow64(process) == IsWow64(GetCurrentProcess());
    CloseHandle(process);
    return same;
}

BOOL CALLBACK AskToManage(HWND window, LPARAM message)
{
    if (SameBitness(window)) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, static_cast<UINT>(message), 0, 0, SMTO_ABORTIFHUNG, AnswerTimeout, &answer);
    }
    return TRUE;
}

} // namespace

void ManageOpenWindows()
{
    EnumWindows(AskToManage, RegisterWindowMessageW(MoxManageMessageName));
}

bool RegisterOnTopHotkey(HWND owner, unsigned long value)
{
    UnregisterHotKey(owner, OnTopHotkeyId);
    hotkeyValue = value;
    hotkeyRefused = false;
    if (value == 0) return true;
    const UINT modifiers = (value >> 16) & 0xFF;
    const UINT key = value & 0xFF;
    // Systems before Windows 7 refuse MOD_NOREPEAT; the hotkey then repeats.
    bool registered = RegisterHotKey(owner, OnTopHotkeyId, modifiers | MOD_NOREPEAT, key) != FALSE;
    if (!registered && GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED) {
        registered = RegisterHotKey(owner, OnTopHotkeyId, modifiers, key) != FALSE;
    }
    hotkeyRefused = !registered;
    return !hotkeyRefused;
}

unsigned long OnTopHotkeyValue()
{
    return hotkeyValue;
}

bool OnTopHotkeyRefused()
{
    return hotkeyRefused;
}

void ToggleForegroundOnTop()
{
    const HWND window = GetForegroundWindow();
    if (window == nullptr) return;
    // A managed window answers 1 to the toggle and keeps its menu check
    // mark and pin button in step; any other window answers 0.
    DWORD_PTR answer = 0;
    const UINT onTop = RegisterWindowMessageW(MoxOnTopMessageName);
    const bool answered =
        SendMessageTimeoutW(window, onTop, 3, 0, SMTO_ABORTIFHUNG, AnswerTimeout, &answer) != 0;
    if (answered && answer == 1) return;
    const bool topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    // A window that did not answer is not waited for.
    SetWindowPos(window, topmost ? HWND_NOTOPMOST : HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | (answered ? 0 : SWP_ASYNCWINDOWPOS));
}
