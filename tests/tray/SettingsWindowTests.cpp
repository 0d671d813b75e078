// The Settings window, one copy a session, windows open before the start and the hotkey, through Hovelle.exe.
#include <gtest/gtest.h>
#include <windows.h>
#include <thread>
#include "DialogDriver.h"
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
// Real input: keys pressed in order and released in reverse; a left click in a dialog's control.
void Keys(std::initializer_list<BYTE> keys) {
    for (const BYTE key : keys) keybd_event(key, 0, 0, 0);
    for (auto key = std::rbegin(keys); key != std::rend(keys); ++key) keybd_event(*key, 0, KEYEVENTF_KEYUP, 0);
    PumpFor(200);
}
void Click(HWND dialog, int control) {
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, control), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0), mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0), PumpFor(200);
}

// The running tray program; a second start opens its Settings window and ends at once.
struct Hovelle : HovelleProcess {
    Hovelle() { EXPECT_TRUE(Ready()); }
    HWND OpenSettings() {
        EXPECT_EQ(0u, ChildProcess(L"\"" + ExecutableDirectory() + Program).WaitForExit());
        HWND dialog = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (dialog = FindWindowW(L"#32770", L"Window Manager Settings")) != nullptr; }));
        return Activate(dialog), dialog;
    }
};
// Each test runs on a new thread: Wine may not call a new hook on a thread that saw an earlier one go.
class SettingsWindow : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        WindowManagerStop(), RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKey, L"Hovelle");
    }
    template <typename Body> static void OnNewThread(Body body) { std::thread([&] { PumpFor(1), body(); }).join(); }
};
TEST_F(SettingsWindow, WritesAppliesRefusesCancelsAndOpensFromASecondStart) {
    OnNewThread([] {
        Hovelle hovelle;
        const HWND old = Open(L"Old");
        EXPECT_TRUE(WaitFor([&] { return Items(old) == FullItems; }));
        HWND dialog = hovelle.OpenSettings();
        // The first binding off by keyboard, one more title pattern, Apply clicked: in effect at once.
        Keys({VK_MENU, 'S'}), SetDlgItemTextW(dialog, IDC_SET_TITLES, L"QuickTimePlayer\r\nSkip*");
        Click(dialog, IDC_SET_APPLY);
        EXPECT_TRUE(WaitFor([] { return GetMouseAction(MoxButtonRight, 0, HTCAPTION) == MoxActionNone; }));
        EXPECT_TRUE(WaitFor([] { return Items(Open(L"Skip this one")).empty(); }));  // the lists go last
        EXPECT_EQ(L"QuickTimePlayer|Skip*||", ReadValue(SettingsKey, L"IgnoreTitles"));
        EXPECT_EQ(FullItems, Items(old));
        EXPECT_EQ(FullItems, Items(Open(L"New")));
        // "Start with Windows" on with Apply.
        Click(dialog, IDC_SET_AUTOSTART), Click(dialog, IDC_SET_APPLY);
        const std::wstring run = L"\"" + ExecutableDirectory() + Program + L"|";
        EXPECT_TRUE(WaitFor([&] { return ReadValue(RunKey, L"Hovelle") == run; }));
        // A list over its store is refused by name and nothing is saved; Cancel then changes nothing.
        Keys({VK_MENU, 'M'}), Click(dialog, IDC_SET_AUTOSTART);
        SetDlgItemTextW(dialog, IDC_SET_CLASSES, std::wstring(600, L'c').c_str());
        Click(dialog, IDC_SET_APPLY);
        HWND box = nullptr;  // a message box, whose text control is 0xFFFF
        ASSERT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"Window Manager")) != nullptr; }));
        EXPECT_NE(std::wstring::npos, MessageBoxText(box).find(L"IgnoreClasses")) << MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        Click(dialog, IDCANCEL);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(run, ReadValue(RunKey, L"Hovelle"));
        EXPECT_EQ(L"JWinproj*||", ReadValue(SettingsKey, L"IgnoreClasses"));
        // Opened again: "Start with Windows", the Rollup and Move switches off and "Manage ... open" on with Enter (OK).
        SavePng(CaptureWindow(dialog = hovelle.OpenSettings()), ExecutableDirectory() + L"settings-window.png");
        for (int box : {IDC_SET_AUTOSTART, IDC_SET_ROLLUP, IDC_SET_MOVE, IDC_SET_MANAGEOPEN}) Click(dialog, box);
        Keys({VK_RETURN});
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog) && ReadValue(RunKey, L"Hovelle") == L"absent"; }));
        EXPECT_TRUE(WaitFor([] { return !GetMouseActionDblClk(MoxButtonLeft, 0, HTCAPTION) &&
                                        !GetMouseAction(MoxButtonLeft, 1, HTLEFT); })) << "no rollup, no move with Ctrl";
        const struct { const wchar_t* name; DWORD stored; } rows[] = {
            {L"EnableSendToBack", 0}, {L"EnableMinimizeWindowToTray", 1}, {L"EnableRollupToggle", 0},
            {L"EnableInteractiveMove", 0}, {L"ManageExistingWindows", 1}, {L"OnTopHotkey", 0x000A0054}};
        for (const auto& row : rows) EXPECT_EQ(row.stored, ReadWord(row.name)) << row.name;
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
