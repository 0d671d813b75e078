#include "WindowCommands.h"

#include <cwchar>

#include "Hotkey.h"
#include "Lorvek.h"

namespace {

// A window that takes longer than this to answer is left as it is.
constexpr UINT AnswerTimeout = 200;

unsigned long hotkeyValue = 0;
HotkeyState hotkeyState = HotkeyState::None;

// The id HotkeyAvailable tries a value under, beside the real one.
constexpr int ProbeHotkeyId = 0xBFFF;

// Systems before Windows 7 refuse MOD_NOREPEAT; the hotkey then repeats.
bool Register(HWND window, int id, unsigned long value)
{
    const UINT modifiers = (value >> 16) & 0xFF;
    const UINT key = value & 0xFF;
    if (RegisterHotKey(window, id, modifiers | MOD_NOREPEAT, key)) return true;
    return GetLastError() != ERROR_HOTKEY_ALREADY_REGISTERED && RegisterHotKey(window, id, modifiers, key);
}

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

HotkeyState RegisterOnTopHotkey(HWND owner, unsigned long value)
{
    UnregisterHotKey(owner, OnTopHotkeyId);
    hotkeyValue = value;
    if (value == 0) hotkeyState = HotkeyState::None;
    else if (HotkeyWithoutModifier(value)) hotkeyState = HotkeyState::WithoutModifier;
    else hotkeyState = Register(owner, OnTopHotkeyId, value) ? HotkeyState::Registered : HotkeyState::Held;
    return hotkeyState;
}

unsigned long OnTopHotkeyValue()
{
    return hotkeyValue;
}

HotkeyState OnTopHotkeyState()
{
    return hotkeyState;
}

bool HotkeyAvailable(HWND window, unsigned long value)
{
    if (!Register(window, ProbeHotkeyId, value)) return false;
    UnregisterHotKey(window, ProbeHotkeyId);
    return true;
}

std::wstring HotkeyName(unsigned long value)
{
    const UINT key = value & 0xFF;
    LONG scan = static_cast<LONG>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    if (IsExtendedKey(key)) scan |= 1 << 24;
    wchar_t name[64] = {};
    if (GetKeyNameTextW(scan, name, 64) <= 0) std::swprintf(name, 64, L"Key %02X", key);
    return HotkeyText(value, name);
}

std::wstring HotkeyStateText(unsigned long value, HotkeyState state, bool inEffect)
{
    if (value == 0) return L"No hotkey: press a key with Ctrl or Alt in the box, or tick Win, to have one.";
    const std::wstring keys = HotkeyName(value);
    if (HotkeyWithoutModifier(value)) {
        return keys + L" alone would be taken from every program: the always-on-top hotkey needs Ctrl, Alt or Win.";
    }
    if (state == HotkeyState::Held) {
        return L"Another program holds " + keys + L", so it cannot pin windows here; choose another hotkey.";
    }
    return keys + (inEffect ? L" pins or unpins the window in front." : L" will pin or unpin the window in front "
                                                                        L"once you press OK or Apply.");
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
