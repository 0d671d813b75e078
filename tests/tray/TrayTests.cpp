// The tray program: one end-to-end test per story through the real Hovelle.exe,
// and in this process the settings, the dialog framework and Exit's order.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <fstream>
#include "AboutDlg.h"
#include "Harness.h"
#include "Hotkey.h"
#include "MainWnd.h"
#include "MoveSizeWnd.h"
#include "Program.h"
#include "Screenshot.h"
#include "Settings.h"
#include "TrayHarness.h"
#include "WindowsError.h"

using namespace harness;
using namespace std::string_literals;

// While set, freed memory is kept and filled with this window's handle: a read of a deleted object's window
// handle then posts to it.
HWND poison = nullptr;
void operator delete(void* block) noexcept {
    for (size_t i = 0; poison && block && i + sizeof poison <= _msize(block); i += sizeof poison)
        std::memcpy(static_cast<char*>(block) + i, &poison, sizeof poison);
    if (!poison) std::free(block);
}
void operator delete(void* block, size_t) noexcept { operator delete(block); }

namespace {
const wchar_t* const Key = L"Software\\Tenvale\\Hovelle";

// Each test starts with the hook stopped, no bindings and no settings key.
struct TrayTest : ::testing::Test {
    void SetUp() override { TearDown(); }
    void TearDown() override { WindowManagerStop(), ResetSharedSettings(), RegDeleteTreeW(HKEY_CURRENT_USER, Key); }
};
using OverlayTest = TrayTest;
bool Answered(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &answer) != 0;
}
using Stored = std::pair<DWORD, std::string>;  // a value's type and bytes; ~0u: none
const wchar_t* const Names[6] = {L"EnableSendToBack", L"EnableMinimizeWindowToTray", L"EnableRollupToggle",
                                 L"EnableInteractiveMove", L"IgnoreTitles", L"IgnoreClasses"};
// Loaded ("1" or "0" for a switch, "|pattern" for each pattern of a list) and stored.
const std::wstring Defaults[6] = {L"1", L"1", L"1", L"1", L"|QuickTimePlayer", L"|JWinproj*"};
const std::wstring DefaultUnits[6] = {L"\1\0"s, L"\1\0"s, L"\1\0"s, L"\1\0"s,
                                      L"QuickTimePlayer\0\0"s, L"JWinproj*\0\0"s};
Stored Units(int index, const std::wstring& units) {
    const char* bytes = reinterpret_cast<const char*>(units.data());
    return {index < 4 ? REG_DWORD : REG_MULTI_SZ, std::string(bytes, units.size() * 2)};
}
Stored ReadStored(int index) {
    DWORD type = 0, size = 8192;
    std::string data(size, '\0');
    if (RegGetValueW(HKEY_CURRENT_USER, Key, Names[index], RRF_RT_ANY, &type, &data[0], &size)) return {~0u, ""};
    return {type, data.substr(0, size)};
}

// Stores one value, loads and saves: it must load as `loaded` and be stored as `saved`, the others as the
// defaults; but more than the 1024 bytes a load reads ends the load there, and it and the values after it
// stay as they were.
void ExpectRoundTrip(int index, DWORD type, const std::string& data, const std::wstring& loaded,
                     const std::wstring& saved) {
    RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    RegSetKeyValueW(HKEY_CURRENT_USER, Key, Names[index], type, data.data(), static_cast<DWORD>(data.size()));
    const Stored stored = ReadStored(index);  // Wine adds a terminator to a string type
    Settings settings;
    LoadSettings(settings);
    SaveSettings(settings);
    const bool unreadable = stored.second.size() > 1024;
    const bool on[4] = {settings.enableSendToBack, settings.enableMinimizeWindowToTray, settings.enableRollupToggle,
                        settings.enableInteractiveMove};
    for (int other = 0; other < 6; ++other) {
        std::wstring list = other < 4 ? (on[other] ? L"1" : L"0") : L"";
        for (const auto& pattern : other == 4 ? settings.ignoreTitles : settings.ignoreClasses)
            list += other < 4 ? L"" : L"|" + pattern;
        const bool own = other == index && !unreadable;
        EXPECT_EQ(list, own ? loaded : Defaults[other]) << "value " << other;
        const Stored kept = other == index ? stored : Stored{~0u, ""};
        const Stored want = Units(other, own ? saved : DefaultUnits[other]);
        EXPECT_EQ(ReadStored(other), unreadable && other >= index ? kept : want);
    }
}
TEST_F(TrayTest, StoredValuesAreReadAndRewrittenWhateverTheirTypeAndSize) {
    const std::wstring t510(510, L'T'), A2(2, L'\x4141'), A512(512, L'\x4141');  // "AAAA", 1024 bytes of 'A'
    const struct { int index; DWORD type; std::wstring data, loaded, saved; } rows[] = {
        {2, REG_DWORD, L"\0\0"s, L"0", L"\0\0"s},
        {0, REG_SZ, L"0\0"s, L"1", L"\1\0"s},          // the text "0": its first unit is not zero
        {3, REG_BINARY, L"\0"s, L"0", L"\0\0"s},       // two bytes: the missing two count as zero
        {1, REG_QWORD, L"\0\0\1\0"s, L"0", L"\0\0"s},  // only the first four bytes count
        {1, REG_BINARY, L"\0\x100"s, L"1", L"\1\0"s},  // the fourth byte counts
        {4, REG_MULTI_SZ, L"\0"s, L"", L"\0"s},
        {5, REG_MULTI_SZ, L"a\0\0b\0\0"s, L"|a", L"a\0\0"s},
        {5, REG_MULTI_SZ, L"One\0Two"s, L"|One|Two", L"One\0Two\0\0"s},  // the last one unterminated
        {4, REG_MULTI_SZ, t510 + L"\0\0"s, L"|" + t510, t510 + L"\0\0"s},
        {4, REG_MULTI_SZ, t510 + L"T\0\0"s, L"", L""},  // 1026 bytes
        {5, REG_SZ, std::wstring(513, L'C'), L"", L""},
        // Cells of the model below, written out: a switch or a list from any type.
        {4, REG_DWORD, A2, L"|" + A2, A2 + L"\0\0"s}, {0, REG_NONE, A2, L"1", L"\1\0"s}, {3, REG_BINARY, A512, L"1", L"\1\0"s},
        {2, REG_BINARY, std::wstring(512, L'\0'), L"0", L"\0\0"s}, {5, REG_QWORD, A512 + A512 + A512 + A512, L"", L""}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "value " << row.index << " of " << row.data.size() << " units");
        ExpectRoundTrip(row.index, row.type, Units(0, row.data).second, row.loaded, row.saved);
    }
    // Every value with every type and size, of 0x41 or 0 bytes: a switch is on when one of
    // its first four bytes is not zero; a list is one pattern, up to a zero unit.
    const DWORD types[] = {REG_SZ, REG_BINARY, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_NONE};
    const DWORD sizes[] = {0, 1, 3, 4, 1023, 1024, 1025, 4096};
    for (int cell = 0; cell < 6 * 6 * 8 * 2; ++cell) {
        const int index = cell / 96;
        const DWORD type = types[cell / 16 % 6];
        const std::string data(sizes[cell / 2 % 8], cell % 2 ? 'A' : '\0');
        SCOPED_TRACE(testing::Message() << "value " << index << ", type " << type << ", " << data.size() << " bytes");
        RegSetKeyValueW(HKEY_CURRENT_USER, Key, Names[index], type, data.data(), static_cast<DWORD>(data.size()));
        const std::string stored = ReadStored(index).second;
        std::wstring units(stored.size() / 2, L'\0');
        CopyMemory(&units[0], stored.data(), units.size() * 2);
        units.resize(std::min(units.find(L'\0'), units.size()));
        const bool on = stored.find_first_not_of('\0') < 4;
        ExpectRoundTrip(index, type, data, index < 4 ? (on ? L"1" : L"0") : units.empty() ? L"" : L"|" + units,
                        index < 4 ? (on ? L"\1\0"s : L"\0\0"s) : units + (units.empty() ? L"\0"s : L"\0\0"s));
    }
}

// The hotkey control's value and "Win" <-> the stored value, and the program a Run value starts.
TEST(Hotkey, ControlAndStoredValuesAndRunValues) {
    const struct { WORD control; bool win; DWORD stored; WORD shown; bool withoutModifier; } rows[] = {
        {MAKEWORD('T', HOTKEYF_CONTROL), true, 0x000A0054, MAKEWORD('T', HOTKEYF_CONTROL), false},
        {MAKEWORD(VK_UP, HOTKEYF_EXT | HOTKEYF_ALT | HOTKEYF_SHIFT), false, 0x00050026, 0x0D26, false},
        {MAKEWORD(VK_F8, HOTKEYF_SHIFT), false, 0x00040077, MAKEWORD(VK_F8, HOTKEYF_SHIFT), true},
        {MAKEWORD('5', 0), true, 0x00080035, MAKEWORD('5', 0), false},
        {MAKEWORD(0, HOTKEYF_CONTROL), true, 0, 0, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(HotkeyFromControl(row.control, row.win), row.stored) << row.control;
        EXPECT_EQ(std::make_tuple(HotkeyToControl(row.stored), HotkeyHasWin(row.stored), HotkeyWithoutModifier(
            row.stored)), std::make_tuple(row.shown, row.win && row.stored, row.withoutModifier)) << row.stored;
    }
    for (const auto& [command, program] : std::vector<std::pair<std::wstring, std::wstring>>{
             {L"\"C:\\A b\\Hovelle.exe\" /x", L"C:\\A b\\Hovelle.exe"}, {L"C:\\A b\\H.EXE /x", L"C:\\A b\\H.EXE"},
             {L"C:\\A.exes\\H.exe", L"C:\\A.exes\\H.exe"}, {L"\"C:\\H.exe", L"C:\\H.exe"}})
        EXPECT_EQ(CommandProgram(command), program);
}

TEST_F(TrayTest, FirstStartWritesTheDefaultsSetsTheBindingsAndShowsTheIconWithItsMenu) {
    TargetProcess target;
    const HWND early = target.Create(OverlappedWindow, "Open before the start");
    {  // a first start that ends without a stop (a crash, Task Manager): its hook goes, the next start hooks again
        HovelleProcess crashed;
        ASSERT_TRUE(crashed.Ready());
        crashed.main = nullptr;  // so the end of the scope ends the process, without "Exit"
    }
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(ReadStored(i), Units(i, DefaultUnits[i]));
    // [double click][button][modifier][hit test]: the thirteen bindings, and nothing else bound.
    MoxAction bound[2][3][3][22] = {};
    bound[0][MoxButtonRight][0][HTCAPTION] = MoxActionSendToBack;
    bound[0][MoxButtonRight][0][HTMINBUTTON] = MoxActionMinimizeToTray;
    bound[1][MoxButtonLeft][0][HTCAPTION] = MoxActionRollup;
    bound[0][MoxButtonRight][0][HTMAXBUTTON] = MoxActionMaximizeMenu;
    for (int hit = HTLEFT; hit <= HTBORDER; ++hit) bound[0][MoxButtonLeft][1][hit] = MoxActionMove;
    for (int cell = 0; cell < 2 * 3 * 3 * 22; ++cell) {
        const int twice = cell / 198, button = cell / 66 % 3, modifier = cell / 22 % 3, hit = cell % 22;
        const auto mouse = static_cast<MoxButton>(button);
        EXPECT_EQ(twice ? GetMouseActionDblClk(mouse, modifier, hit) : GetMouseAction(mouse, modifier, hit),
                  bound[twice][button][modifier][hit]) << twice << " " << button << " " << modifier << " " << hit;
    }
    // The icon (the hook library also manages the main window, with icons of other ids).
    ASSERT_FALSE(tray.notifications.empty());
    const IconNotification& icon = tray.notifications[0];
    EXPECT_EQ(std::vector<UINT>({icon.command, icon.window, icon.id, icon.flags, icon.callbackMessage, icon.iconWidth,
                                 icon.iconHeight}),
              std::vector<UINT>({NIM_ADD, static_cast<UINT>(reinterpret_cast<UINT_PTR>(hovelle.main)), 0,
                                 NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP, WM_USER, 16, 16}));
    EXPECT_EQ(icon.tip, L"Window Manager");
    // The icon's images: (size, bits per pixel) from the resource's directory.
    const auto* group = static_cast<BYTE*>(LockResource(LoadResource(0, FindResourceW(0, L"#102", RT_GROUP_ICON))));
    std::vector<std::pair<int, int>> images;
    for (int i = 0; group && i < group[4]; ++i) images.emplace_back(group[6 + 14 * i], group[12 + 14 * i]);
    EXPECT_EQ(images, (std::vector<std::pair<int, int>>{{16, 32}, {20, 32}, {24, 32}, {32, 32}}));
    // The hook runs in a program started afterwards, with the default ignore pattern; a window open before is left alone.
    TargetProcess later;
    EXPECT_EQ(FeatureItems(later.Menu(later.Create(OverlappedWindow, "Any window"))).size(), 4u);
    EXPECT_TRUE(FeatureItems(later.Menu(later.Create(OverlappedWindow, "QuickTimePlayer"))).empty());
    EXPECT_TRUE(FeatureItems(target.Menu(early)).empty());
    // Answered at once and no menu: the buttons, and the release while About disables the main window.
    for (UINT mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                       WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_CONTEXTMENU}) {
        EnableWindow(hovelle.main, mouse != WM_CONTEXTMENU);
        EXPECT_TRUE(Answered(hovelle.main, WM_USER, 0, mouse) && !hovelle.Find(L"#32768", true)) << mouse;
    }
    EnableWindow(hovelle.main, TRUE);
    // The menu opens on the release (version 4: WM_CONTEXTMENU, at the place it gives), five items high, each
    // clicked: "Manage open windows", "Restore hidden windows" (the hook goes on), "Settings...", "About...", "Exit".
    const HWND hidden = later.Create(OverlappedWindow, "Hidden");
    HWND menu = nullptr, dialog = nullptr;
    RECT rect = {};
    for (const int tenth : {1, 3, 5, 7, 9}) {
        ASSERT_TRUE(tenth != 3 || (SendFeature(hidden, L"MOX_TRAY", 1) && !IsWindowVisible(hidden)));
        SetCursorPos(10, 10);
        PostMessageW(hovelle.main, WM_USER, MAKEWPARAM(400, 300), WM_CONTEXTMENU);
        ASSERT_TRUE(WaitFor([&] { return (menu = hovelle.Find(L"#32768", true)) && GetWindowRect(menu, &rect); }));
        EXPECT_EQ(std::make_pair(rect.left, rect.top), std::make_pair(400L, 300L));
        SetCursorPos((rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) * tenth / 10);
        mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
        if (tenth == 9) break;
        EXPECT_TRUE(tenth != 1 || WaitFor([&] { return FeatureItems(target.Menu(early)).size() == 4; })) << "managed";
        EXPECT_TRUE(tenth != 3 ||
                    WaitFor([&] { return IsWindowVisible(hidden) && !FeatureItems(later.Menu(hidden)).empty(); }));
        if (tenth < 5) continue;
        ASSERT_TRUE(WaitFor([&] { return (dialog = hovelle.Find(L"#32770", true)) != nullptr; }));
        EXPECT_EQ(Text(dialog), tenth == 5 ? L"Window Manager Settings" : L"About ");
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    }
    EXPECT_EQ(hovelle.WaitForExit(), 0u);
}

// The text as the box draws it, at the size of its client area: the default GUI font in the tooltip colours, centred.
Image Drawn(const wchar_t* text, int width, int height) {
    Image image{width, height, std::vector<uint32_t>(size_t(width) * height)};
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_INFOBK)), SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkColor(dc, GetSysColor(COLOR_INFOBK)), SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    DrawTextW(dc, text, -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE), GdiFlush();
    for (size_t i = 0; bits && i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint32_t*>(bits)[i] & 0xFFFFFF;
    return SelectObject(dc, old), DeleteObject(bitmap), DeleteDC(dc), image;
}
// Waits for the box to show the text, centred on the full-screen area and not active.
void ExpectShowing(HWND box, const wchar_t* text) {
    RECT at = {};
    EXPECT_TRUE(WaitFor([&] {
        if (!IsWindowVisible(box) || !GetClientRect(box, &at) || IsRectEmpty(&at)) return false;
        MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&at), 2);
        return CaptureScreen(at).pixels == Drawn(text, at.right - at.left, at.bottom - at.top).pixels;
    })) << "the box shows " << std::string(text, text + wcslen(text));
    EXPECT_LE(std::abs(at.left + at.right - GetSystemMetrics(SM_CXFULLSCREEN)), 1) << at.left << " " << at.right;
    EXPECT_LE(std::abs(at.top + at.bottom - GetSystemMetrics(SM_CYFULLSCREEN)), 1) << at.top << " " << at.bottom;
    EXPECT_NE(GetForegroundWindow(), box);
}

TEST_F(OverlayTest, ManagedWindowOfAnotherProgramDrivesTheBox) {
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Moved window");
    ASSERT_TRUE(Answered(window, WM_ENTERSIZEMOVE));
    SetWindowPos(window, nullptr, -8, -3, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectShowing(hovelle.overlay, L"-8, -3");
    SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectShowing(hovelle.overlay, L"300 x 200");
    CreateDirectoryW((ExecutableDirectory() + L"screenshots").c_str(), nullptr);
    EXPECT_TRUE(SavePng(CaptureWindow(hovelle.overlay), ExecutableDirectory() + L"screenshots\\move-size-readout.png"));
    ASSERT_TRUE(Answered(window, WM_EXITSIZEMOVE));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(hovelle.overlay); }));
    // A position that comes outside a move or size loop changes nothing.
    PostMessageW(hovelle.overlay, RegisterWindowMessageW(L"MOX_MOVESIZE"), WM_MOVE, MAKELPARAM(1, 2));
    PostMessageW(hovelle.overlay, RegisterWindowMessageW(L"MOX_MOVESIZE"), WM_ENTERSIZEMOVE, 0);
    ExpectShowing(hovelle.overlay, L"300 x 200");
}

TEST_F(TrayTest, AboutShowsTheProgramIconNameAndVersion) {
    // The shell hands the links to a command that writes them to a file; Wine's own again at the end.
    const std::wstring log = ExecutableDirectory() + L"shell-open.log";
    const auto setOpen = [](const std::wstring& command) {
        for (const wchar_t* scheme : {L"https\\shell\\open\\command", L"mailto\\shell\\open\\command"})
            RegSetKeyValueW(HKEY_CLASSES_ROOT, scheme, nullptr, REG_SZ, command.c_str(), command.size() * 2 + 2);
    };
    const std::shared_ptr<void> restore(nullptr, [&](void*) { setOpen(L"\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""); });
    DeleteFileW(log.c_str());
    setOpen(L"C:\\windows\\system32\\cmd.exe /c echo %1>>\"" + log + L"\"");
    const auto opened = [&] {
        std::ifstream file(std::string(log.begin(), log.end()));
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    PostMessageW(hovelle.main, WM_COMMAND, 1002, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = hovelle.Find(L"#32770", true)) != nullptr; }));
    std::vector<std::wstring> texts = {Text(dialog)};
    for (int control : {1004, 1005, 1002, 1003}) texts.push_back(Text(GetDlgItem(dialog, control)));
    EXPECT_EQ(texts, (std::vector<std::wstring>{L"About ", L"Tenvale Window Manager", L"1, 5, 0, 0",
                                                L"https://www.example.com/tenvale/", L"mailto:hovelle@example.com"}));
    EXPECT_TRUE(SendMessageW(GetDlgItem(dialog, 1000), STM_GETICON, 0, 0)) << "the program icon";
    EXPECT_TRUE(GetWindow(dialog, GW_OWNER) == hovelle.main && !IsWindowEnabled(hovelle.main)) << "modal";
    SetForegroundWindow(dialog);
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(SavePng(CaptureWindow(dialog), ExecutableDirectory() + L"about-dialog.png"));
    // Each link button hands its caption to the shell; the dialog stays.
    for (const int button : {1002, 1003}) {
        const size_t before = opened().size();
        EXPECT_TRUE(Answered(GetDlgItem(dialog, button), BM_CLICK));
        EXPECT_TRUE(WaitFor([&] { const std::string s = opened(); return s.size() > before && s.back() == '\n'; }, 10000));
    }
    EXPECT_EQ(opened(), "https://www.example.com/tenvale/\nmailto:hovelle@example.com\n");
    EXPECT_TRUE(Answered(GetDlgItem(dialog, IDCANCEL), BM_CLICK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog) && IsWindowEnabled(hovelle.main) && hovelle.Running(); }));
    // A program file without a version resource, or none at all, shows "Unknown".
    EXPECT_EQ(ReadVersionTexts((ExecutableDirectory() + L"target.exe").c_str()).version, L"Unknown");
}

// Exit, the session's end and the Restart Manager closing this program release every window (a rolled-up one
// comes down, the items go) and stop the hook; Exit and the Restart Manager end it. A cancelled log-off does nothing.
TEST_F(TrayTest, ExitAndEndSessionReleaseEveryWindow) {
    const struct { UINT message; WPARAM wParam; LPARAM lParam; bool stops, exits; } rows[] = {
        {WM_COMMAND, 1003, 0, true, true}, {WM_ENDSESSION, TRUE, 0, true, false},
        {WM_ENDSESSION, FALSE, 0, false, false}, {WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, true, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(Hex(row.message) + " " + Hex(row.wParam) + " " + Hex(row.lParam));
        FakeTray tray;
        HovelleProcess hovelle;
        ASSERT_TRUE(hovelle.Ready());
        TargetProcess target;
        const HWND window = target.Create(OverlappedWindow, "Rolled up");
        PostMessageW(window, WM_SYSCOMMAND, 0xE020, 0);  // the second feature item, "Rollup"
        ASSERT_TRUE(WaitFor([&] { return Height(window) < 240; }));
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(hovelle.main, row.message, row.wParam, row.lParam, SMTO_ABORTIFHUNG, 10000, &answer);
        EXPECT_EQ(row.exits ? hovelle.WaitForExit() : 0u, 0u);
        EXPECT_TRUE(WaitFor([&] {
            return (Height(window) == 240) == row.stops && FeatureItems(target.Menu(window)).empty() == row.stops;
        }));
        EXPECT_EQ(FeatureItems(target.Menu(target.Create(OverlappedWindow, "Afterwards"))).empty(), row.stops);
        EXPECT_EQ(hovelle.Running(), !row.exits);
        EXPECT_EQ(tray.Commands(), (row.exits ? std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_DELETE}
                                              : std::vector<DWORD>{NIM_ADD, NIM_SETVERSION}));
    }
}

std::vector<std::string> trace;  // what reached the dialogs, and the error boxes

// A dialog (template 104) that sends itself a command as it starts, may then throw (1: a CWindowsError,
// 2: something else), runs `inner` on command 1002 and traces what reaches it; 3: OnDestroy without the base's.
struct ScriptedDlg : CDlgHandler {
    ScriptedDlg(std::string name, WORD command, int fault = 0, ScriptedDlg* inner = nullptr)
        : name(name), command(command), fault(fault), inner(inner) {}
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        const std::string bound = FindDlgHandler(window = m_hwnd) == this ? "" : " unbound";
        if (message == WM_INITDIALOG) trace.push_back(name + " init" + bound);
        if (message == WM_COMMAND) trace.push_back(name + " command " + std::to_string(LOWORD(wParam)) + bound);
        if (message == WM_DESTROY) trace.push_back(name + " destroy" + bound);
        return CDlgHandler::OnMessage(message, wParam, lParam);
    }
    INT_PTR OnInitDialog(WPARAM focus) override {
        SendMessageW(m_hwnd, WM_COMMAND, command, 0);
        if (fault == 1) throw CWindowsError(0x20001234, L"Init failed");
        return fault == 2 ? throw 42 : CDlgHandler::OnInitDialog(focus);
    }
    INT_PTR OnCommand(UINT code, WPARAM wParam, LPARAM control) override {
        if (LOWORD(wParam) != 1002) return CDlgHandler::OnCommand(code, wParam, control);
        trace.push_back("inner ended " + std::to_string(inner->RunModal(m_hwnd, 104, GetModuleHandleW(nullptr))));
        return OnCancel();
    }
    INT_PTR OnDestroy() override { return fault == 3 ? 1 : CDlgHandler::OnDestroy(); }
    std::string name; WORD command; int fault; ScriptedDlg* inner; HWND window = nullptr;
};

// Ends the message boxes of this thread as they come, tracing them.
BOOL CALLBACK EndBox(HWND box, LPARAM) {
    if (!IsWindowVisible(box) || FindDlgHandler(box) || !GetDlgItem(box, 0xFFFF)) return TRUE;
    const std::wstring text = MessageBoxText(box);
    trace.push_back((GetWindow(box, GW_OWNER) ? "owned box " : "box ") + std::string(text.begin(), text.end()));
    return EndDialog(box, IDOK);
}
void CALLBACK EndBoxes(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), EndBox, 0); }

TEST(DlgHandler, EndingsErrorsNestingAndBindings) {
    const std::vector<std::string> enter = {"d init", "d command 1", "d destroy"};
    const struct { WORD dialog, command; int fault; INT_PTR result; std::vector<std::string> trace; } rows[] = {
        {104, IDOK, 0, 1, enter},
        {104, IDCANCEL, 0, 0, {"d init", "d command 2", "d destroy"}},  // Escape
        {4711, IDOK, 0, -1, {}},                                        // no such template: nothing reported
        {104, IDOK, 1, 1, {"d init", "d command 1", "box Init failed", "d destroy"}},
        {104, IDOK, 2, 1, {"d init", "d command 1", "owned box Unknown Exception. Caught in CDlgHandler:OnMessage",
                           "d destroy"}},
        {104, 1002, 0, 0, {"d init", "d command 1002", "i init", "i command 1", "i destroy", "inner ended 1",
                           "d destroy"}},
        {104, IDOK, 3, 1, enter},
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, EndBoxes);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "command " << row.command << ", fault " << row.fault);
        trace.clear();
        ScriptedDlg inner("i", IDOK), dialog("d", row.command, row.fault, &inner);
        EXPECT_EQ(dialog.RunModal(nullptr, row.dialog, GetModuleHandleW(nullptr)), row.result);
        EXPECT_EQ(trace, row.trace);
        EXPECT_TRUE(!dialog.Handle() && !FindDlgHandler(dialog.window) && !FindDlgHandler(inner.window)) << "bound";
    }
    KillTimer(nullptr, timer);
}

std::vector<std::pair<HWND, UINT>> destroyed;

LRESULT CALLBACK RecordDestruction(int code, WPARAM wParam, LPARAM lParam) {
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent.message == WM_DESTROY || sent.message == WM_NCDESTROY) destroyed.emplace_back(sent.hwnd, sent.message);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Exit in this process, posted while the icon's menu is open (as the setup program may): the overlay goes
// before the main window, the icon goes, the message loop is asked to end with 0, and nothing reads the
// deleted handler after the menu. A restarted shell ("TaskbarCreated") gets the icon again.
TEST_F(TrayTest, ExitDestroysTheOverlayBeforeTheMainWindowAndQuits) {
    FakeTray tray;
    SetProgramInstance(GetModuleHandleW(nullptr));
    const HWND main = CreateMainWindow(GetModuleHandleW(nullptr))->Handle();
    const HWND overlay = CreateMoveSizeWindow(main, GetModuleHandleW(nullptr))->Handle();
    SendMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordDestruction, nullptr, GetCurrentThreadId());
    poison = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    PostMessageW(main, WM_COMMAND, 1003, 0);
    SendMessageW(main, WM_USER, 0, WM_CONTEXTMENU);
    MSG quit = {};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 0);
    for (MSG stray; PeekMessageW(&stray, poison, 0, 0, PM_REMOVE);) EXPECT_NE(stray.hwnd, poison) << "deleted, read";
    DestroyWindow(poison), poison = nullptr;
    UnhookWindowsHookEx(hook);
    destroyed.erase(std::remove_if(destroyed.begin(), destroyed.end(), [&](const auto& d) {
        return d.first != main && d.first != overlay;  // the menu's window
    }), destroyed.end());
    EXPECT_EQ(destroyed, (std::vector<std::pair<HWND, UINT>>{{overlay, WM_DESTROY}, {overlay, WM_NCDESTROY},
                                                              {main, WM_DESTROY}, {main, WM_NCDESTROY}}));
    EXPECT_EQ(tray.Commands(), (std::vector<DWORD>{NIM_ADD, NIM_SETVERSION, NIM_ADD, NIM_SETVERSION, NIM_DELETE}));
}
} // namespace
