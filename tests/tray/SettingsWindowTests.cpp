// The Settings window, one copy per session, windows open before the start and the hotkey,
// through the real Hovelle.exe; the windows it manages are this process's, on a thread of their own.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "Lorvek.h"
#include "Process.h"
#include "Resource.h"
#include "SettingsResource.h"

using namespace harness;

namespace {

const wchar_t SettingsKey[] = L"Software\\Tenvale\\Hovelle";
const wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring FullItems = L"|Always on top|Rollup|Minimize To Tray|Transparent|pin";

// The data of a value with NULs shown as '|', or "absent".
std::wstring ReadValue(const wchar_t* key, const wchar_t* name)
{
    wchar_t data[1100] = {};
    DWORD size = sizeof data - 2;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, nullptr, data, &size)) return L"absent";
    std::wstring text(data, size / 2);
    for (wchar_t& unit : text) unit = unit == 0 ? L'|' : unit;
    return text;
}

DWORD ReadWord(const wchar_t* name)
{
    DWORD word = 0xFFFFFFFF, size = sizeof word;
    RegGetValueW(HKEY_CURRENT_USER, SettingsKey, name, RRF_RT_REG_DWORD, nullptr, &word, &size);
    return word;
}

// The feature items of the window's system menu, and "pin" for its title button.
std::wstring Items(HWND window)
{
    std::wstring items;
    const HMENU menu = GetSystemMenu(window, FALSE);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        for (const wchar_t* item : {L"Always on top", L"Rollup", L"Minimize To Tray", L"Transparent"}) {
            if (std::wstring(text) == item) items += std::wstring(L"|") + item;
        }
    }
    return GetPropW(window, L"MOX_TITLEBUTTONS") != nullptr ? items + L"|pin" : items;
}

// A shown captioned window of this thread; every wait pumps its messages. Each test runs on a
// thread of its own (Wine may not call a hook set after a thread's last hook went on that thread).
HWND Open(const wchar_t* title)
{
    static const WNDCLASSW windowClass = {0, DefWindowProcW, 0, 0, 0, 0, 0, 0, 0, L"SettingsTest"};
    static const ATOM atom = RegisterClassW(&windowClass);
    return CreateWindowExW(0, MAKEINTATOM(atom), title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200, 0, 0, 0, 0);
}

// Real input: the keys pressed in order and released in reverse; a left click in a control.
void Keys(std::initializer_list<WORD> keys)
{
    for (const DWORD up : {0, KEYEVENTF_KEYUP}) {
        for (size_t i = 0; i < keys.size(); ++i) {
            INPUT input = {INPUT_KEYBOARD, {}};
            input.ki = {keys.begin()[up ? keys.size() - 1 - i : i], 0, up, 0, 0};
            SendInput(1, &input, sizeof input);
        }
        PumpFor(100);
    }
}

void Click(HWND dialog, int control)
{
    RECT r = {};
    GetWindowRect(GetDlgItem(dialog, control), &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT input[2] = {{INPUT_MOUSE, {}}, {INPUT_MOUSE, {}}};
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN, input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
    PumpFor(200);
}

void Activate(HWND window)
{
    SetForegroundWindow(window);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
    PumpFor(200);
}

std::wstring Text(HWND window)
{
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    return text;
}

// The running tray program; its Settings window is opened by a second start, which ends at once.
struct Hovelle {
    ChildProcess process{L"\"" + ExecutableDirectory() + L"Hovelle.exe\""};
    HWND main = nullptr;
    DWORD owner = 0;
    Hovelle()
    {
        EXPECT_TRUE(WaitFor([this] {
            return GetWindowThreadProcessId(main = FindWindowW(L"HovelleWnd", nullptr), &owner), owner == process.Id();
        }));
    }
    ~Hovelle()
    {
        PostMessageW(main, WM_COMMAND, IDC_EXIT, 0);
        EXPECT_EQ(0u, process.WaitForExit());
    }
    HWND OpenSettings()
    {
        EXPECT_EQ(0u, ChildProcess(L"\"" + ExecutableDirectory() + L"Hovelle.exe\"").WaitForExit());
        HWND dialog = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (dialog = FindWindowW(L"#32770", L"Window Manager Settings")) != nullptr; }));
        Activate(dialog);
        return dialog;
    }
};

// The window as on screen, saved as an uncompressed RGB PNG.
void SavePicture(HWND window, const std::wstring& path)
{
    RECT r = {};
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    std::string raw, z = "\x78\x01", png = "\x89PNG\r\n\x1a\n";
    std::vector<DWORD> pixels(width * height);
    const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
    for (int at = 0; at < width * height; ++at) {
        if (at % width == 0) raw += '\0';
        raw += {char(pixels[at] >> 16), char(pixels[at] >> 8), char(pixels[at])};
    }
    unsigned long a = 1, b = 0;
    for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
    const auto be32 = [](size_t v) { return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; };
    for (size_t at = 0, n = 0; at < raw.size(); at += n) {
        n = std::min<size_t>(65535, raw.size() - at);
        z += std::string{char(at + n == raw.size()), char(n), char(n >> 8), char(~n), char(~n >> 8)} + raw.substr(at, n);
    }
    for (const std::string& body : {"IHDR" + be32(width) + be32(height) + std::string("\x08\x02\0\0\0", 5),
                                    "IDAT" + z + be32(b << 16 | a), std::string("IEND")}) {
        unsigned long crc = 0xFFFFFFFF;
        for (unsigned char c : body)
            for (int k = 0; k < 8; ++k, c >>= 1) crc = (crc >> 1) ^ (0xEDB88320 & (0 - ((crc ^ c) & 1)));
        png += be32(body.size() - 4) + body + be32(crc ^ 0xFFFFFFFF);
    }
    if (FILE* file = _wfopen(path.c_str(), L"wb")) fwrite(png.data(), 1, png.size(), file), fclose(file);
}

class SettingsWindow : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        WindowManagerStop();
        RegDeleteTreeW(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, RunKey, L"Hovelle");
    }
    template <typename Body>
    static void OnNewThread(Body body)
    {
        std::thread([&] { PumpFor(1), body(); }).join();  // the thread's message queue first
    }
};

TEST_F(SettingsWindow, WritesAppliesRefusesCancelsAndOpensFromASecondStart)
{
    OnNewThread([] {
        ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_WIN | MOD_CONTROL, 'T'));  // held here when Hovelle starts
        Hovelle hovelle;
        const HWND old = Open(L"Old");
        EXPECT_TRUE(WaitFor([&] { return Items(old) == FullItems; }));
        HWND dialog = hovelle.OpenSettings();
        const auto refused = [&] { return Text(GetDlgItem(dialog, IDC_SET_HOTKEYSTATE)).find(L"Another") != std::wstring::npos; };
        EXPECT_TRUE(refused());
        UnregisterHotKey(nullptr, 7);
        // The first binding off by keyboard, one more title pattern, Apply clicked: in effect at once.
        Keys({VK_MENU, 'S'});
        SendDlgItemMessageW(dialog, IDC_SET_TITLES, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"QuickTimePlayer\r\nSkip*"));
        Click(dialog, IDC_SET_APPLY);
        EXPECT_TRUE(WaitFor([] { return ReadWord(L"EnableSendToBack") == 0; }));
        EXPECT_EQ(L"QuickTimePlayer|Skip*||", ReadValue(SettingsKey, L"IgnoreTitles"));
        EXPECT_EQ(MoxActionNone, GetMouseAction(MoxButtonRight, 0, HTCAPTION));
        EXPECT_EQ(MoxActionMinimizeToTray, GetMouseAction(MoxButtonRight, 0, HTMINBUTTON));
        EXPECT_EQ(FullItems, Items(old));
        EXPECT_EQ(L"", Items(Open(L"Skip this one")));
        EXPECT_EQ(FullItems, Items(Open(L"New")));
        EXPECT_FALSE(refused());
        // A list over its store is refused by name; the switch changed with it is not saved either.
        Activate(dialog);
        Keys({VK_MENU, 'M'});
        SendDlgItemMessageW(dialog, IDC_SET_CLASSES, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(std::wstring(600, L'c').c_str()));
        Click(dialog, IDC_SET_APPLY);
        HWND box = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"Window Manager")) != nullptr; }));
        std::wstring message;
        for (HWND text = nullptr; (text = FindWindowExW(box, text, L"Static", nullptr)) != nullptr;) message += Text(text);
        EXPECT_NE(std::wstring::npos, message.find(L"IgnoreClasses")) << message;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
        EXPECT_EQ(1u, ReadWord(L"EnableMinimizeWindowToTray"));
        EXPECT_EQ(L"JWinproj*||", ReadValue(SettingsKey, L"IgnoreClasses"));
        // "Start with Windows" on with Apply, off again with Enter (OK).
        SendDlgItemMessageW(dialog, IDC_SET_CLASSES, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"JWinproj*"));
        Click(dialog, IDC_SET_AUTOSTART);
        Click(dialog, IDC_SET_APPLY);
        EXPECT_TRUE(WaitFor([] { return ReadValue(RunKey, L"Hovelle") != L"absent"; }));
        EXPECT_EQ(L"\"" + ExecutableDirectory() + L"Hovelle.exe\"|", ReadValue(RunKey, L"Hovelle"));
        Click(dialog, IDC_SET_AUTOSTART);
        Keys({VK_RETURN});
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
        EXPECT_EQ(L"absent", ReadValue(RunKey, L"Hovelle"));
        // Cancel keeps what is stored.
        dialog = hovelle.OpenSettings();
        SavePicture(dialog, ExecutableDirectory() + L"settings-window.png");
        Keys({VK_MENU, 'V'});
        Keys({VK_MENU, 'O'});
        Click(dialog, IDCANCEL);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
        const struct { const wchar_t* name; DWORD stored; } rows[] = {
            {L"EnableSendToBack", 0}, {L"EnableMinimizeWindowToTray", 0}, {L"EnableRollupToggle", 1},
            {L"EnableInteractiveMove", 1}, {L"ManageExistingWindows", 0}, {L"OnTopHotkey", 0x000A0054}};
        for (const auto& row : rows) EXPECT_EQ(row.stored, ReadWord(row.name)) << row.name;
    });
}

TEST_F(SettingsWindow, WindowsOpenBeforeTheStartAreAdmittedOnce)
{
    OnNewThread([] {
        const HWND early = Open(L"Early");
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
        EXPECT_TRUE(WaitFor([&] { return Items(early) == FullItems; }));
    });
}

TEST_F(SettingsWindow, HotkeyPinsAndUnpinsTheForegroundWindow)
{
    OnNewThread([] {
        Hovelle hovelle;
        const HWND managed = Open(L"Managed"), plain = Open(L"QuickTimePlayer");
        EXPECT_TRUE(WaitFor([&] { return Items(managed) == FullItems; })) << Items(managed) << " " << Items(plain);
        EXPECT_EQ(L"", Items(plain));
        // Hovelle has registered it once this process cannot.
        EXPECT_TRUE(WaitFor([] { return !RegisterHotKey(nullptr, 8, MOD_WIN | MOD_CONTROL, 'T') || !UnregisterHotKey(nullptr, 8); }));
        for (const HWND window : {managed, plain}) {
            for (const bool pinned : {true, false}) {
                SCOPED_TRACE(Text(window) + (pinned ? L" pin" : L" unpin"));
                Activate(window);
                Keys({VK_LWIN, VK_CONTROL, 'T'});
                EXPECT_TRUE(WaitFor([&] { return ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) == pinned; }));
            }
        }
    });
}

} // namespace
