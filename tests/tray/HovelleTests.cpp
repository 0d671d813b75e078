// The user's stories through the real Hovelle.exe: the icon's menu, the
// read-out while a window of another program moves, About, and the ways out.
#include <algorithm>
#include <fstream>

#include "AboutDlg.h"
#include "Screenshot.h"
#include "TrayTest.h"

using namespace harness;

namespace {

bool Answered(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &answer) != 0;
}

std::wstring Text(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

TEST_F(TrayTest, IconMenuOpensOnTheRightButtonWithAboutAndExit)
{
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    // Answered at once, and no menu: the other buttons, and the right one while
    // the main window is disabled (by the modal About dialog).
    for (UINT mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                       WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_RBUTTONDOWN}) {
        EnableWindow(hovelle.main, mouse != WM_RBUTTONDOWN);
        EXPECT_TRUE(Answered(hovelle.main, WM_USER, 0, mouse)) << mouse;
        EXPECT_EQ(hovelle.Find(L"#32768", true), nullptr) << mouse;
    }
    EnableWindow(hovelle.main, TRUE);
    // At the cursor: "About..." in the upper half, "Exit" in the lower one.
    for (int item = 0; item < 2; ++item) {
        SetCursorPos(400, 300);
        PostMessageW(hovelle.main, WM_USER, 0, WM_RBUTTONDOWN);
        HWND menu = nullptr, about = nullptr;
        ASSERT_TRUE(WaitFor([&] { return (menu = hovelle.Find(L"#32768", true)) != nullptr; }, 10000));
        RECT rect = {};
        GetWindowRect(menu, &rect);
        EXPECT_EQ(std::make_pair(rect.left, rect.top), std::make_pair(400L, 300L));
        SetCursorPos((rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) * (1 + 2 * item) / 4);
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, click, sizeof(INPUT));
        if (item == 1) break;
        ASSERT_TRUE(WaitFor([&] { return (about = hovelle.Find(L"#32770", true)) != nullptr; }, 10000));
        EXPECT_EQ(Text(about), L"About ");
        PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));
    }
    EXPECT_EQ(hovelle.WaitForExit(), 0u);
}

// The box: the text's size plus (10, 5), centred on the full-screen area, not
// active, with text-coloured pixels.
void ExpectShowing(HWND overlay, const wchar_t* text)
{
    const HDC dc = GetDC(nullptr);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT size = {};
    DrawTextW(dc, text, -1, &size, DT_CALCRECT | DT_SINGLELINE);
    ReleaseDC(nullptr, dc);
    const int left = (GetSystemMetrics(SM_CXFULLSCREEN) - size.right - 10) / 2;
    const int top = (GetSystemMetrics(SM_CYFULLSCREEN) - size.bottom - 5) / 2;
    RECT box = {};
    EXPECT_TRUE(WaitFor([&] {
        return GetWindowRect(overlay, &box) && IsWindowVisible(overlay) && box.left == left && box.top == top &&
               box.right == left + size.right + 10 && box.bottom == top + size.bottom + 5;
    })) << box.left << "," << box.top << " to " << box.right << "," << box.bottom;
    EXPECT_NE(GetForegroundWindow(), overlay);
    const COLORREF ink = GetSysColor(COLOR_INFOTEXT);
    const uint32_t rgb = GetRValue(ink) << 16 | GetGValue(ink) << 8 | GetBValue(ink);
    EXPECT_TRUE(WaitFor([&] {
        const Image shot = CaptureWindow(overlay);
        return std::count(shot.pixels.begin(), shot.pixels.end(), rgb) > 10;
    })) << "the text is drawn";
}

using OverlayTest = TrayTest;

TEST_F(OverlayTest, ManagedWindowOfAnotherProgramDrivesTheBox)
{
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
    const UINT moveSize = RegisterWindowMessageW(L"MOX_MOVESIZE");
    PostMessageW(hovelle.overlay, moveSize, WM_MOVE, MAKELPARAM(1, 2));
    PostMessageW(hovelle.overlay, moveSize, WM_ENTERSIZEMOVE, 0);
    ExpectShowing(hovelle.overlay, L"300 x 200");
}

// The "open" command of both link schemes, to write each link to a file and, at the end, Wine's own again.
struct OpenCommands {
    explicit OpenCommands(const std::wstring& command) { Set(command); }
    ~OpenCommands() { Set(L"\"C:\\windows\\system32\\winebrowser.exe\" \"%1\""); }
    static void Set(const std::wstring& command)
    {
        for (const wchar_t* scheme : {L"https\\shell\\open\\command", L"mailto\\shell\\open\\command"}) {
            RegSetKeyValueW(HKEY_CLASSES_ROOT, scheme, nullptr, REG_SZ, command.c_str(),
                            static_cast<DWORD>(command.size() * 2 + 2));
        }
    }
};

TEST_F(TrayTest, AboutShowsTheProgramIconNameAndVersion)
{
    const std::wstring log = ExecutableDirectory() + L"shell-open.log";
    DeleteFileW(log.c_str());
    const OpenCommands commands(L"C:\\windows\\system32\\cmd.exe /c echo %1>>\"" + log + L"\"");
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    PostMessageW(hovelle.main, WM_COMMAND, 1002, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (dialog = hovelle.Find(L"#32770", true)) != nullptr; }, 10000));
    const std::vector<std::wstring> texts = {L"About ", L"Tenvale Window Manager", L"1, 5, 0, 0",
                                             L"https://www.example.com/tenvale/", L"mailto:hovelle@example.com"};
    EXPECT_EQ(texts, (std::vector<std::wstring>{Text(dialog), Text(GetDlgItem(dialog, 1004)),
                                                Text(GetDlgItem(dialog, 1005)), Text(GetDlgItem(dialog, 1002)),
                                                Text(GetDlgItem(dialog, 1003))}));
    EXPECT_NE(SendMessageW(GetDlgItem(dialog, 1000), STM_GETICON, 0, 0), 0) << "the program icon";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), hovelle.main);
    EXPECT_FALSE(IsWindowEnabled(hovelle.main));
    SetForegroundWindow(dialog);
    WaitFor([] { return false; }, 300);
    EXPECT_TRUE(SavePng(CaptureWindow(dialog), ExecutableDirectory() + L"about-dialog.png"));
    // Each link button hands its caption to the shell; the dialog stays.
    std::string opened;
    for (const int button : {1002, 1003}) {
        const size_t before = opened.size();
        EXPECT_TRUE(Answered(GetDlgItem(dialog, button), BM_CLICK));
        WaitFor([&] { return (opened = std::string(std::istreambuf_iterator<char>(std::ifstream(std::string(log.begin(), log.end())).rdbuf()), {})).size() > before; }, 10000);
    }
    EXPECT_EQ(opened, "https://www.example.com/tenvale/\nmailto:hovelle@example.com\n");
    EXPECT_TRUE(Answered(GetDlgItem(dialog, IDCANCEL), BM_CLICK));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
    EXPECT_TRUE(IsWindowEnabled(hovelle.main));
    EXPECT_TRUE(hovelle.Running());
    // A program file without a version resource (or none at all) reads as "Unknown".
    EXPECT_EQ(ReadVersionTexts((ExecutableDirectory() + L"target.exe").c_str()).version, L"Unknown");
}

// Exit and the end of the session both release every window (a rolled-up one
// comes down, the items go) and stop the hook; Exit also removes the icon and
// ends the program.
TEST_F(TrayTest, ExitAndEndSessionReleaseEveryWindow)
{
    for (const UINT message : {WM_COMMAND, WM_ENDSESSION}) {
        SCOPED_TRACE(message);
        FakeTray tray;
        HovelleProcess hovelle;
        ASSERT_TRUE(hovelle.Ready());
        TargetProcess target;
        const HWND window = target.Create(OverlappedWindow, "Rolled up");
        const std::vector<MenuItem> items = FeatureItems(target.Menu(window));
        const auto rollup = std::find_if(items.begin(), items.end(), [](const MenuItem& i) { return i.text == "Rollup"; });
        ASSERT_NE(rollup, items.end());
        RECT open = {}, now = {};
        GetWindowRect(window, &open);
        PostMessageW(window, WM_SYSCOMMAND, rollup->id, 0);
        ASSERT_TRUE(WaitFor([&] { return GetWindowRect(window, &now) && now.bottom < open.bottom; }));
        PostMessageW(hovelle.main, message, message == WM_COMMAND ? 1003 : FALSE, 0);
        EXPECT_EQ(message == WM_COMMAND ? hovelle.WaitForExit() : 0u, 0u);
        EXPECT_TRUE(WaitFor([&] { return GetWindowRect(window, &now) && now.bottom == open.bottom; }));
        EXPECT_TRUE(WaitFor([&] { return FeatureItems(target.Menu(window)).empty(); }));
        EXPECT_TRUE(FeatureItems(target.Menu(target.Create(OverlappedWindow, "Afterwards"))).empty());
        EXPECT_EQ(hovelle.Running(), message == WM_ENDSESSION);
        std::vector<DWORD> icon;
        for (const IconNotification& note : tray.notifications) {
            if (note.id == 0) icon.push_back(note.command);
        }
        EXPECT_EQ(icon, (message == WM_COMMAND ? std::vector<DWORD>{NIM_ADD, NIM_DELETE} : std::vector<DWORD>{NIM_ADD}));
    }
}

} // namespace
