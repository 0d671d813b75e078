// The tray program's hidden main window, its notification-area icon, its
// menu and the ways out, seen from another process.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "DialogDriver.h"
#include "TrayFixture.h"

using namespace harness;

namespace {

std::wstring WindowText(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// The notifications about the program's own icon (id 0). The hook library
// also manages the main window itself, and its minimize-to-tray feature
// removes that window's icon (another id) when the window is destroyed.
std::vector<IconNotification> OwnIcon(const FakeTray& tray)
{
    std::vector<IconNotification> own;
    for (const IconNotification& note : tray.notifications) {
        if (note.id == 0) own.push_back(note);
    }
    return own;
}

size_t CountCommands(const FakeTray& tray, DWORD command)
{
    const std::vector<IconNotification> own = OwnIcon(tray);
    return static_cast<size_t>(std::count_if(own.begin(), own.end(),
                                             [&](const IconNotification& note) { return note.command == command; }));
}

void ExpectOurIcon(const IconNotification& note, HWND main)
{
    EXPECT_EQ(note.window, static_cast<DWORD>(reinterpret_cast<UINT_PTR>(main)));
    EXPECT_EQ(note.id, 0u);
    EXPECT_EQ(note.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(note.callbackMessage, static_cast<UINT>(WM_USER));
    EXPECT_EQ(note.tip, L"Window Manager");
    EXPECT_EQ(note.iconWidth, 32u);
    EXPECT_EQ(note.iconHeight, 32u);
    // The program's own picture: a blue title bar in front, a white client
    // area, a transparent corner.
    EXPECT_EQ(note.IconColour(12, 9), 0x0000FFu);
    EXPECT_EQ(note.IconColour(12, 14), 0xFFFFFFu);
    EXPECT_EQ(note.IconColour(5, 10), 0xC0C0C0u);
    EXPECT_TRUE(note.IconTransparent(0, 0));
    EXPECT_FALSE(note.IconTransparent(12, 9));
}

TEST_F(TrayTest, HiddenMainWindowAndOverlayWithTheIcon)
{
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());
    const HWND main = hovelle.MainWindow();
    const HWND overlay = hovelle.Overlay();

    EXPECT_EQ(WindowText(main), L"Window Manager");
    EXPECT_FALSE(IsWindowVisible(main));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE)) & WS_OVERLAPPEDWINDOW,
              static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE)) & WS_EX_OVERLAPPEDWINDOW,
              static_cast<DWORD>(WS_EX_OVERLAPPEDWINDOW));
    EXPECT_EQ(GetClassLongPtrW(main, GCL_STYLE) & CS_DBLCLKS, static_cast<ULONG_PTR>(CS_DBLCLKS));

    // The overlay is what the hook library looks for, owned by the main window.
    EXPECT_EQ(FindWindowExW(nullptr, nullptr, L"HovelleMoveSizeWnd", L"MoveSize"), overlay);
    EXPECT_EQ(GetWindow(overlay, GW_OWNER), main);
    EXPECT_FALSE(IsWindowVisible(overlay));
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(overlay, GWL_STYLE)) & (WS_POPUP | WS_BORDER),
              static_cast<DWORD>(WS_POPUP | WS_BORDER));
    EXPECT_TRUE(GetWindowLongW(overlay, GWL_EXSTYLE) & WS_EX_TOPMOST);

    ASSERT_EQ(OwnIcon(tray).size(), 1u);
    EXPECT_EQ(OwnIcon(tray)[0].command, static_cast<DWORD>(NIM_ADD));
    ExpectOurIcon(OwnIcon(tray)[0], main);

    // "Exit" removes the icon, takes the overlay with the main window, stops
    // the hook library and ends the program with 0.
    PostMessageW(main, WM_COMMAND, 1003, 0);
    EXPECT_EQ(hovelle.WaitForExit(), 0u);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(IsWindow(overlay));
    ASSERT_EQ(OwnIcon(tray).size(), 2u);
    EXPECT_EQ(OwnIcon(tray)[1].command, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(FindSharedSection().data->HookHandle, nullptr);
    EXPECT_FALSE(FindSharedSection().data->ManageEnabled);
}

TEST_F(TrayTest, TaskbarCreatedAddsTheIconAgain)
{
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());
    ASSERT_EQ(OwnIcon(tray).size(), 1u);
    const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(hovelle.MainWindow(), taskbarCreated, 0, 0, SMTO_NORMAL, 10000, &answer));
    ASSERT_EQ(OwnIcon(tray).size(), 2u);
    EXPECT_EQ(OwnIcon(tray)[1].command, static_cast<DWORD>(NIM_ADD));
    ExpectOurIcon(OwnIcon(tray)[1], hovelle.MainWindow());
    EXPECT_TRUE(hovelle.Running());
}

TEST_F(TrayTest, EndSessionStopsTheHookLibraryButTheProgramStays)
{
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());
    ASSERT_NE(FindSharedSection().data->HookHandle, nullptr);
    ASSERT_TRUE(FindSharedSection().data->ManageEnabled);

    // The log-off was cancelled (wParam FALSE): the library stops all the same.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(hovelle.MainWindow(), WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(FindSharedSection().data->HookHandle, nullptr);
    EXPECT_FALSE(FindSharedSection().data->ManageEnabled);
    EXPECT_TRUE(hovelle.Running());
    EXPECT_TRUE(IsWindow(hovelle.MainWindow()));
    EXPECT_EQ(CountCommands(tray, NIM_DELETE), 0u);

    // The exit path stops the library once more, which finds nothing to do.
    PostMessageW(hovelle.MainWindow(), WM_COMMAND, 1003, 0);
    EXPECT_EQ(hovelle.WaitForExit(), 0u);
    EXPECT_EQ(CountCommands(tray, NIM_DELETE), 1u);
}

TEST_F(TrayTest, OnlyTheRightButtonPressOpensTheMenu)
{
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());
    const HWND main = hovelle.MainWindow();

    // Each notification is sent and answered: one that opened a menu would
    // not come back until the menu closed.
    for (UINT mouse : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                       WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK, WM_USER}) {
        DWORD_PTR answer = 1;
        EXPECT_TRUE(SendMessageTimeoutW(main, WM_USER, 0, mouse, SMTO_NORMAL, 10000, &answer)) << mouse;
        EXPECT_EQ(answer, 0u) << mouse;
        EXPECT_EQ(FindProcessWindow(hovelle.ProcessId(), L"#32768", true), nullptr) << mouse;
    }
    EXPECT_TRUE(hovelle.Running());

    // While the main window is disabled (a modal About dialog owns it), the
    // right button does nothing either.
    EnableWindow(main, FALSE);
    DWORD_PTR answer = 1;
    EXPECT_TRUE(SendMessageTimeoutW(main, WM_USER, 0, WM_RBUTTONDOWN, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(answer, 0u);
    EXPECT_EQ(FindProcessWindow(hovelle.ProcessId(), L"#32768", true), nullptr);
    EnableWindow(main, TRUE);

    // The right button pressed on the icon opens the menu at the cursor.
    SetCursorPos(400, 300);
    PostMessageW(main, WM_USER, 0, WM_RBUTTONDOWN);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindProcessWindow(hovelle.ProcessId(), L"#32768", true)) != nullptr; },
                        15000));
    RECT rect = {};
    GetWindowRect(menu, &rect);
    EXPECT_EQ(rect.left, 400);
    EXPECT_EQ(rect.top, 300);

    // Its second item, "Exit", chosen with the mouse ends the program.
    SetCursorPos((rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) * 3 / 4);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
    EXPECT_EQ(hovelle.WaitForExit(), 0u);
    EXPECT_EQ(CountCommands(tray, NIM_DELETE), 1u);
}

TEST_F(TrayTest, RefusedIconIsReportedAndTheProgramRunsWithoutIt)
{
    FakeTray tray;
    tray.refuse = true;
    HovelleProcess hovelle;
    // The refusal while the main window is created shows an error box
    // captioned with the window's title; creation goes on once it is closed.
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindProcessWindow(hovelle.ProcessId(), L"#32770", true)) != nullptr; },
                        20000));
    EXPECT_EQ(WindowText(box), L"Window Manager");
    const HWND main = FindProcessWindow(hovelle.ProcessId(), L"HovelleWnd", false);
    EXPECT_EQ(GetWindow(box, GW_OWNER), main);
    const std::wstring text = MessageBoxText(box);
    EXPECT_EQ(text.rfind(L"Windows Error : ", 0), 0u) << std::string(text.begin(), text.end());
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    ASSERT_TRUE(hovelle.WaitUntilReady());
    EXPECT_EQ(hovelle.MainWindow(), main);
    ASSERT_EQ(OwnIcon(tray).size(), 1u);
    PostMessageW(hovelle.MainWindow(), WM_COMMAND, 1003, 0);
    // The removal is refused as well and reported; the program still ends.
    ASSERT_TRUE(WaitFor([&] { return (box = FindProcessWindow(hovelle.ProcessId(), L"#32770", true)) != nullptr; },
                        20000));
    EXPECT_EQ(WindowText(box), L"Window Manager");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(hovelle.WaitForExit(), 0u);
}

// The resources another program sees in Hovelle.exe: the menu and the icon.
TEST(HovelleResources, MenuAndIcon)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path);
    program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"Hovelle.exe";
    const HMODULE image = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(image, nullptr);

    const HMENU menu = LoadMenuW(image, MAKEINTRESOURCEW(104));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    wchar_t text[64] = {};
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"HovelleTray");
    const HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), 2);
    EXPECT_EQ(GetMenuItemID(popup, 0), 1002u);
    GetMenuStringW(popup, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"About...");
    EXPECT_EQ(GetMenuItemID(popup, 1), 1003u);
    GetMenuStringW(popup, 1, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, L"Exit");
    DestroyMenu(menu);

    // Icon group 102: one 32 x 32 image with 16 colours.
    const HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(102), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
    ASSERT_NE(bytes, nullptr);
    ASSERT_GE(SizeofResource(image, group), 20u);
    EXPECT_EQ(bytes[4] | bytes[5] << 8, 1) << "image count";
    EXPECT_EQ(bytes[6], 32) << "width";
    EXPECT_EQ(bytes[7], 32) << "height";
    EXPECT_EQ(bytes[8], 16) << "colours";
    EXPECT_EQ(bytes[12] | bytes[13] << 8, 4) << "bits per pixel";
    FreeLibrary(image);
}

} // namespace
