// The Settings window, one copy a session, windows open before the start and the hotkey, through Hovelle.exe.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <thread>
#include "Lorvek.h"
#include "Process.h"
#include "Resource.h"
#include "Screenshot.h"
#include "SettingsResource.h"
#include "TrayHarness.h"

using namespace harness;
namespace {
const wchar_t SettingsKey[] = L"Software\\Tenvale\\Hovelle";
const wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring FullItems = L"|Always on top|Rollup|Minimize To Tray|Transparent|pin", Program = L"Hovelle.exe\"";

// The data of a value with NULs shown as '|', or "absent".
std::wstring ReadValue(const wchar_t* key, const wchar_t* name) {
    wchar_t data[1100] = {};
    DWORD size = sizeof data - 2;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, data, &size)) return L"absent";
    std::wstring text(data, size / 2);
    for (wchar_t& unit : text) unit = unit == 0 ? L'|' : unit;
    return text;
}
DWORD ReadWord(const wchar_t* name) {
    DWORD word = 0xFFFFFFFF, size = sizeof word;
    return RegGetValueW(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_REG_DWORD, nullptr, &word, &size), word;
}// The feature items of the window's system menu, and "pin" for its title button.
std::wstring Items(HWND window) {
    std::wstring items;
    const HMENU menu = GetSystemMenu(window, FALSE);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        for (const wchar_t* item : {L"Always on top", L"Rollup", L"Minimize To Tray", L"Transparent"})
            if (std::wstring(text) == item) items += std::wstring(L"|") + item;
    }
    return GetPropW(window, L"MOX_TITLEBUTTONS") != nullptr ? items + L"|pin" : items;
}
// A shown captioned window of this thread, whose messages every wait pumps.
HWND Open(const wchar_t* title) {
    static const WNDCLASSW windowClass = {0, DefWindowProcW, 0, 0, 0, 0, 0, 0, 0, L"SettingsTest"};
    static const ATOM atom = RegisterClassW(&windowClass);
    return CreateWindowExW(0, MAKEINTATOM(atom), title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200, 0, 0, 0, 0);
}
void Activate(HWND window) {
    SetForegroundWindow(window);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
    PumpFor(200);
}
// Real input: keys with scan codes (the hotkey control reads them) down in order, up in reverse; a left click.
void Keys(std::initializer_list<BYTE> keys) {
    const auto scan = [](BYTE key) { return static_cast<BYTE>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)); };
    for (const BYTE key : keys) keybd_event(key, scan(key), 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) keybd_event(*key, scan(*key), KEYEVENTF_KEYUP, 0);
    PumpFor(200);
}
void Click(HWND dialog, int control) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, control), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0), mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0), PumpFor(200);
}

// A second start opens the Settings window of the running copy and ends at once.
HWND OpenSettings() {
    EXPECT_EQ(0u, ChildProcess(L"\"" + ExecutableDirectory() + Program).WaitForExit());
    HWND dialog = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (dialog = FindWindowW(L"#32770", L"Window Manager Settings")) != nullptr; }));
    return Activate(dialog), dialog;
}
struct Hovelle : HovelleProcess { Hovelle() { EXPECT_TRUE(Ready()); } };
std::wstring BoxText() {  // of the message box that comes, which is then closed
    HWND box = nullptr;  // a message box, whose text control is 0xFFFF
    EXPECT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"Window Manager")) != nullptr; }));
    const std::wstring text = MessageBoxText(box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    return text;
}
// Each test runs on a new thread: Wine may not call a new hook on a thread that saw an earlier one go.
class SettingsWindow : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        WindowManagerStop(), RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale");
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKey, L"Hovelle");
    }
    template <typename Body> static void OnNewThread(Body body) { std::thread([&] { PumpFor(1), body(); }).join(); }
};
TEST_F(SettingsWindow, WritesAppliesRefusesCancelsAndOpensFromASecondStart) {
    OnNewThread([] {
        Hovelle hovelle;
        const HWND old = Open(L"Old");
        EXPECT_TRUE(WaitFor([&] { return Items(old) == FullItems; }));
        const std::wstring other = L"\"" + ExecutableDirectory() + L"target.exe\" /x";
        RegSetKeyValueW(HKEY_CURRENT_USER, RunKey, L"Hovelle", REG_SZ, other.c_str(), other.size() * 2 + 2);
        HWND dialog = OpenSettings();
        // Own taskbar button, centred; Apply only after a change; "Start with Windows" ticked only for this program.
        const auto applyOn = [&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_SET_APPLY)) != FALSE; };
        RECT at = {};
        GetWindowRect(dialog, &at);
        EXPECT_LE(std::abs(at.left + at.right - 1024) + std::abs(at.top + at.bottom - 768), 2);
        EXPECT_TRUE(GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_APPWINDOW && !applyOn());
        EXPECT_FALSE(IsDlgButtonChecked(dialog, IDC_SET_AUTOSTART));
        // The first binding off by keyboard, one more title pattern, Apply clicked: in effect at once.
        Keys({VK_MENU, 'S'}), SetDlgItemTextW(dialog, IDC_SET_TITLES, L"QuickTimePlayer\r\nSkip*");
        EXPECT_TRUE(applyOn());
        Click(dialog, IDC_SET_APPLY);
        EXPECT_TRUE(WaitFor([] { return GetMouseAction(MoxButtonRight, 0, HTCAPTION) == MoxActionNone; }));
        EXPECT_TRUE(WaitFor([] { return Items(Open(L"Skip this one")).empty(); }));  // the lists go last
        EXPECT_EQ(L"QuickTimePlayer|Skip*||", ReadValue(SettingsKey, L"IgnoreTitles"));
        EXPECT_FALSE(applyOn());
        EXPECT_EQ(FullItems, Items(old));
        EXPECT_EQ(FullItems, Items(Open(L"New")));
        Click(dialog, IDC_SET_AUTOSTART), Click(dialog, IDC_SET_APPLY);  // "Start with Windows" on
        const std::wstring run = L"\"" + ExecutableDirectory() + Program + L"|";
        EXPECT_TRUE(WaitFor([&] { return ReadValue(RunKey, L"Hovelle") == run; }));
        // A list over its store is refused by name and nothing is saved; Cancel then changes nothing.
        Keys({VK_MENU, 'M'}), Click(dialog, IDC_SET_AUTOSTART);
        SetDlgItemTextW(dialog, IDC_SET_CLASSES, std::wstring(600, L'c').c_str());
        Click(dialog, IDC_SET_APPLY);
        EXPECT_NE(std::wstring::npos, BoxText().find(L"IgnoreClasses"));
        Click(dialog, IDCANCEL);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(run, ReadValue(RunKey, L"Hovelle"));
        EXPECT_EQ(L"JWinproj*||", ReadValue(SettingsKey, L"IgnoreClasses"));
        // Opened again, Win unticked: the keys typed are said beside the box; taken by another program (this one)
        // before OK, they are refused there, and Win+Ctrl+T keeps working.
        SavePng(CaptureWindow(dialog = OpenSettings()), ExecutableDirectory() + L"settings-window.png");
        Click(dialog, IDC_SET_WIN), Click(dialog, IDC_SET_HOTKEY), Keys({VK_CONTROL, VK_F7});
        const auto state = [&] { return Text(GetDlgItem(dialog, IDC_SET_HOTKEYSTATE)); };
        EXPECT_EQ(L"Ctrl+F7 will pin or unpin the window in front once you press OK or Apply.", state());
        RegisterHotKey(nullptr, 9, MOD_CONTROL, VK_F7), Click(dialog, IDOK);
        EXPECT_EQ(L"Another program holds Ctrl+F7, so it cannot pin windows here; choose another hotkey.", state());
        Activate(old), Keys({VK_LWIN, VK_CONTROL, 'T'});
        EXPECT_TRUE(WaitFor([&] { return GetWindowLongW(old, GWL_EXSTYLE) & WS_EX_TOPMOST; }));
        EXPECT_TRUE(IsWindow(dialog));
        Activate(dialog), UnregisterHotKey(nullptr, 9);
        // An arrow with Ctrl; "Start with Windows", the Rollup and Move switches off and "Manage ... open" on; Enter
        // (OK): taken, the bindings go, and the new hotkey unpins.
        Click(dialog, IDC_SET_HOTKEY), Keys({VK_CONTROL, VK_UP});
        for (int box : {IDC_SET_AUTOSTART, IDC_SET_ROLLUP, IDC_SET_MOVE, IDC_SET_MANAGEOPEN}) Click(dialog, box);
        Keys({VK_RETURN});
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog) && ReadValue(RunKey, L"Hovelle") == L"absent"; }));
        EXPECT_TRUE(WaitFor([] { return !GetMouseActionDblClk(MoxButtonLeft, 0, HTCAPTION) &&
                                        !GetMouseAction(MoxButtonLeft, 1, HTLEFT); })) << "no rollup, no move with Ctrl";
        Activate(old), Keys({VK_CONTROL, VK_UP});
        EXPECT_TRUE(WaitFor([&] { return !(GetWindowLongW(old, GWL_EXSTYLE) & WS_EX_TOPMOST); }));
        const struct { const wchar_t* name; DWORD stored; } rows[] = {
            {L"EnableSendToBack", 0}, {L"EnableMinimizeWindowToTray", 1}, {L"EnableRollupToggle", 0},
            {L"EnableInteractiveMove", 0}, {L"ManageExistingWindows", 1}, {L"OnTopHotkey", 0x00020026},
            {L"TransparentOpacity", 75}};
        for (const auto& row : rows) EXPECT_EQ(row.stored, ReadWord(row.name)) << row.name;
        // A write that fails (the key under a volatile one) is reported by name, and the window stays.
        HKEY key = nullptr;
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale");
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Tenvale", 0, 0, REG_OPTION_VOLATILE, KEY_READ, 0, &key, 0);
        RegCloseKey(key), Click(dialog = OpenSettings(), IDOK);
        EXPECT_NE(std::wstring::npos, BoxText().find(L"\"ManageExistingWindows\" could not be saved"));
        EXPECT_TRUE(IsWindow(dialog));
        Click(dialog, IDCANCEL);
    });
}

// A start waits for a copy that is ending, keeps a hotkey without Ctrl, Alt or Win off and says so, points a Run
// value that names a missing file at itself, and keeps a list it could not read until it is edited.
TEST_F(SettingsWindow, StartWaitsForAnEndingCopyAndKeepsWhatItCannotUse)
{
    OnNewThread([] {
        const DWORD shiftT = 0x00040054;
        const std::wstring gone = L"\"C:\\gone\\Hovelle.exe\"", titles = std::wstring(600, L'T') + L'\0' + L'\0';
        RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"OnTopHotkey", REG_DWORD, &shiftT, sizeof shiftT);
        RegSetKeyValueW(HKEY_CURRENT_USER, RunKey, L"Hovelle", REG_SZ, gone.c_str(), gone.size() * 2 + 2);
        RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"IgnoreTitles", REG_MULTI_SZ, titles.data(), 1204);
        const std::wstring unread = ReadValue(SettingsKey, L"IgnoreTitles");
        FakeTray tray;
        const HANDLE ending = CreateMutexW(nullptr, TRUE, L"Local\\Tenvale.Hovelle.Running");
        HovelleProcess hovelle;
        EXPECT_FALSE(WaitFor([&] { return hovelle.Find(L"HovelleWnd") != nullptr; }, 1500)) << "beside the other";
        ReleaseMutex(ending), CloseHandle(ending);
        ASSERT_TRUE(hovelle.Ready());
        const auto said = [](const IconNotification& n) {
            return n.info == L"Shift+T alone would be taken from every program: the always-on-top hotkey needs Ctrl, "
                             L"Alt or Win.";
        };
        EXPECT_TRUE(WaitFor([&] { return std::count_if(tray.notifications.begin(), tray.notifications.end(), said); }));
        EXPECT_EQ(L"\"" + ExecutableDirectory() + Program + L"|", ReadValue(RunKey, L"Hovelle"));
        const HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 80, 0, 0, 0, 0);
        Activate(edit), keybd_event(VK_SHIFT, 0, 0, 0), keybd_event('T', 0, 0, 0);
        keybd_event('T', 0, KEYEVENTF_KEYUP, 0), keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
        EXPECT_TRUE(WaitFor([&] {
            for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&m), DispatchMessageW(&m);
            return Text(edit) == L"T";
        }));
        // Settings: "Start with Windows" ticked; OK refused until Backspace clears the key; the list stays as stored.
        const HWND dialog = OpenSettings();
        EXPECT_TRUE(IsDlgButtonChecked(dialog, IDC_SET_AUTOSTART));
        Click(dialog, IDOK);
        EXPECT_FALSE(WaitFor([&] { return !IsWindow(dialog); }, 500));
        Click(dialog, IDC_SET_HOTKEY), Keys({VK_BACK}), Click(dialog, IDOK);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(0u, ReadWord(L"OnTopHotkey"));
        EXPECT_EQ(unread, ReadValue(SettingsKey, L"IgnoreTitles"));
    });
}

TEST_F(SettingsWindow, OpenWindowsAreAdmittedOnceAndTheHotkeyPinsTheForegroundWindow) {
    OnNewThread([] {
        const HWND early = Open(L"Early"), plain = Open(L"QuickTimePlayer");
        {
            Hovelle hovelle;
            DWORD_PTR answer = 0;  // it has started once it answers
            SendMessageTimeoutW(hovelle.main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
            EXPECT_EQ(L"", Items(early));
            for (int round = 0; round < 2; ++round) {
                SendMessageTimeoutW(hovelle.main, WM_COMMAND, IDC_MANAGE_OPEN, 0, SMTO_NORMAL, 5000, &answer);
                EXPECT_EQ(FullItems, Items(early)) << round;
            }
        }
        EXPECT_TRUE(WaitFor([&] { return Items(early).empty(); }));
        const DWORD on = 1;
        RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey, L"ManageExistingWindows", REG_DWORD, &on, sizeof on);
        Hovelle hovelle;
        EXPECT_TRUE(WaitFor([&] { return Items(early) == FullItems && Items(plain).empty(); }));
        // The hotkey, once Hovelle holds it, on a managed and an unmanaged foreground window.
        const auto held = [] { return !RegisterHotKey(0, 8, MOD_WIN | MOD_CONTROL, 'T') || !UnregisterHotKey(0, 8); };
        EXPECT_TRUE(WaitFor(held));
        for (const auto& [window, pinned] : {std::pair{early, true}, {plain, true}, {early, false}, {plain, false}}) {
            SCOPED_TRACE(Text(window) + (pinned ? L" pin" : L" unpin"));
            Activate(window);
            Keys({VK_LWIN, VK_CONTROL, 'T'});
            EXPECT_TRUE(WaitFor([&] { return !(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != pinned; }));
        }
    });
}
} // namespace
