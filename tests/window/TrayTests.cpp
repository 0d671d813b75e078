// Minimize to tray through the real hook, on windows of the target program.
// The test owns the notification area: a "Shell_TrayWnd" that records what
// Shell_NotifyIconW hands it.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <algorithm>

#include "FeatureHarness.h"
#include "Harness.h"

using namespace harness;

namespace {

const wchar_t* const Tray = L"MOX_TRAY";

UINT TrayNotify()
{
    return RegisterWindowMessageW(L"MOX_TRAY_MSG");
}

bool TrayChecked(TargetProcess& target, HWND window)
{
    const std::vector<MenuItem> items = FeatureItems(target.Menu(window));
    return items.size() == 4 && items[2].checked;
}

void ExpectDeletion(const TrayEvent& event, HWND window)
{
    EXPECT_EQ(event.command, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(event.window, window);
    EXPECT_EQ(event.id, 1000u);
    EXPECT_EQ(event.flags, 0u);
}

// Bringing a window back deletes its icon, and showing the window deletes it
// once more before the state is cleared; the second deletion finds nothing.
void ExpectBroughtBackDeletions(const TestTray& tray, HWND window)
{
    const std::vector<DWORD> expected = {NIM_DELETE, NIM_DELETE};
    EXPECT_EQ(tray.Commands(), expected);
    for (const TrayEvent& event : tray.Events()) ExpectDeletion(event, window);
}

// The record layout the test tray reads, checked with a call of our own.
TEST(TestTray, ReadsWhatShellNotifyIconSends)
{
    TestTray tray;
    ASSERT_EQ(FindWindowW(L"Shell_TrayWnd", nullptr), tray.Window());
    const HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    BYTE mask[2 * 16] = {};
    const HICON icon = CreateIcon(nullptr, 16, 16, 1, 1, mask, mask);
    NOTIFYICONDATAW record = {};
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = owner;
    record.uID = 4321;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = 0xC123;
    record.hIcon = icon;
    wcscpy(record.szTip, L"A tip");
    EXPECT_TRUE(Shell_NotifyIconW(NIM_ADD, &record));
    ASSERT_EQ(tray.Events().size(), 1u);
    const TrayEvent& added = tray.Events()[0];
    EXPECT_EQ(added.command, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(added.window, owner);
    EXPECT_EQ(added.id, 4321u);
    EXPECT_EQ(added.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(added.callbackMessage, 0xC123u);
    EXPECT_EQ(added.tip, L"A tip");
    EXPECT_EQ(added.iconWidth, 16u);
    EXPECT_EQ(added.iconHeight, 16u);
    EXPECT_GT(added.size, sizeof(ShellIconRecord)) << "the icon's bits follow the record";

    NOTIFYICONDATAW removal = {};
    removal.cbSize = NOTIFYICONDATAW_V1_SIZE;
    removal.hWnd = owner;
    removal.uID = 4321;
    EXPECT_TRUE(Shell_NotifyIconW(NIM_DELETE, &removal));
    ASSERT_EQ(tray.Events().size(), 2u);
    EXPECT_EQ(tray.Events()[1].command, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(tray.Events()[1].window, owner);
    EXPECT_EQ(tray.Events()[1].id, 4321u);
    EXPECT_EQ(tray.Events()[1].size, sizeof(ShellIconRecord)) << "no icon, no bits";
    DestroyIcon(icon);
    DestroyWindow(owner);
}

TEST(MinimizeToTray, HidesTheWindowBehindAnIconOfItsOwn)
{
    HookSession session;
    TestTray tray;
    TargetProcess target;
    const std::string title = "A window title that is rather longer than the sixty-two characters a tip can hold";
    const HWND window = target.Create(OverlappedWindow, title);
    target.Command("seticon " + Hex(window) + " 0 16");
    EXPECT_EQ(SendFeature(window, Tray, 4), 0);

    EXPECT_EQ(SendFeature(window, Tray, 1), 1);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(IsIconic(window));
    EXPECT_EQ(Property(window, Tray), 1);
    EXPECT_EQ(SendFeature(window, Tray, 4), 1);
    ASSERT_EQ(tray.Events().size(), 1u);
    const TrayEvent& added = tray.Events()[0];
    EXPECT_EQ(added.command, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(added.window, window);
    EXPECT_EQ(added.id, 1000u);
    EXPECT_EQ(added.flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(added.callbackMessage, TrayNotify());
    EXPECT_EQ(added.tip, std::wstring(title.begin(), title.begin() + 62));
    EXPECT_EQ(added.iconWidth, 16u);

    // On again: no second icon, nothing changes.
    EXPECT_EQ(SendFeature(window, Tray, 1), 1);
    EXPECT_EQ(tray.Events().size(), 1u);
    EXPECT_FALSE(IsWindowVisible(window));

    // Off brings it back and takes the icon away.
    tray.Clear();
    EXPECT_EQ(SendFeature(window, Tray, 2), 1);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(Property(window, Tray), 0);
    ExpectBroughtBackDeletions(tray, window);

    // Off again: nothing happens.
    tray.Clear();
    EXPECT_EQ(SendFeature(window, Tray, 2), 1);
    EXPECT_TRUE(tray.Events().empty());
    EXPECT_TRUE(IsWindowVisible(window));

    // Commands outside the protocol are claimed, answer 0 and change nothing.
    EXPECT_EQ(SendFeature(window, Tray, 0), 0);
    EXPECT_EQ(SendFeature(window, Tray, 5), 0);
    EXPECT_TRUE(tray.Events().empty());
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST(MinimizeToTray, ToggleAndSystemMenuCommand)
{
    HookSession session;
    TestTray tray;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Toggled");
    EXPECT_EQ(SendFeature(window, Tray, 3), 1);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(SendFeature(window, Tray, 3), 1);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(SendMessageW(window, WM_SYSCOMMAND, 0xE030, 0), 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(Property(window, Tray), 1);
    SendMessageW(window, WM_SYSCOMMAND, 0xE030, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(Property(window, Tray), 0);
}

TEST(MinimizeToTray, TheIconIsTheWindowsSmallIconElseItsLargeOne)
{
    HookSession session;
    TestTray tray;
    TargetProcess target;
    // The target's class has no icons: a window without icons gets an icon-less entry.
    const HWND bare = target.Create(OverlappedWindow, "No icon");
    SendFeature(bare, Tray, 1);
    ASSERT_EQ(tray.Events().size(), 1u);
    EXPECT_EQ(tray.Events()[0].iconWidth, 0u);
    EXPECT_EQ(tray.Events()[0].size, sizeof(ShellIconRecord));

    const HWND large = target.Create(OverlappedWindow, "Large icon");
    target.Command("seticon " + Hex(large) + " 1 32");
    tray.Clear();
    SendFeature(large, Tray, 1);
    ASSERT_EQ(tray.Events().size(), 1u);
    EXPECT_EQ(tray.Events()[0].iconWidth, 32u);

    const HWND both = target.Create(OverlappedWindow, "Both icons");
    target.Command("seticon " + Hex(both) + " 1 32");
    target.Command("seticon " + Hex(both) + " 0 16");
    tray.Clear();
    SendFeature(both, Tray, 1);
    ASSERT_EQ(tray.Events().size(), 1u);
    EXPECT_EQ(tray.Events()[0].iconWidth, 16u);
}

TEST(MinimizeToTray, LeftButtonReleaseOnTheIconBringsTheWindowBack)
{
    HookSession session;
    TestTray tray;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Clicked");
    SendFeature(window, Tray, 1);
    ASSERT_FALSE(IsWindowVisible(window));
    tray.Clear();
    target.ClearMessages(window);
    // Other mouse events of the icon do nothing.
    SendMessageW(window, TrayNotify(), 1000, WM_MOUSEMOVE);
    SendMessageW(window, TrayNotify(), 1000, WM_LBUTTONDOWN);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(tray.Events().empty());

    SendMessageW(window, TrayNotify(), 1000, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(Property(window, Tray), 0);
    ExpectBroughtBackDeletions(tray, window);
    // The icon's messages also reach the window's own procedure.
    const std::vector<UINT> received = target.Messages(window);
    EXPECT_EQ(std::count(received.begin(), received.end(), TrayNotify()), 3);

    // A double click's second release finds the window already back.
    tray.Clear();
    SendMessageW(window, TrayNotify(), 1000, WM_LBUTTONDBLCLK);
    SendMessageW(window, TrayNotify(), 1000, WM_LBUTTONUP);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(tray.Events().empty());
}

TEST(MinimizeToTray, RightButtonPressOnTheIconOpensTheSystemMenuAtTheCursor)
{
    HookSession session;
    TestTray tray;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Menu from the icon");
    SendFeature(window, Tray, 1);
    ASSERT_FALSE(IsWindowVisible(window));

    // A posted message carries the cursor position of its posting.
    ASSERT_TRUE(SetCursorPos(300, 200));
    PostMessageW(window, TrayNotify(), 1000, WM_RBUTTONDOWN);
    std::vector<HWND> menus;
    ASSERT_TRUE(WaitFor([&] { return !(menus = OpenMenus(target.ProcessId())).empty(); }));
    RECT rect = {};
    GetWindowRect(menus[0], &rect);
    EXPECT_EQ(rect.left, 300);
    EXPECT_EQ(rect.top, 200);
    EXPECT_TRUE(TrayChecked(target, window));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(target.Command("endmenu"), "ok");
    EXPECT_TRUE(WaitFor([&] { return OpenMenus(target.ProcessId()).empty(); }));
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(Property(window, Tray), 1);
}

TEST(MinimizeToTray, TheProgramShowingItsHiddenWindowDropsTheIcon)
{
    HookSession session;
    TestTray tray;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Shown by its program");
    SendFeature(window, Tray, 1);
    tray.Clear();
    target.Command("showwindow " + Hex(window) + " " + std::to_string(SW_SHOWNA));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsIconic(window)) << "left as its program showed it";
    EXPECT_EQ(Property(window, Tray), 0);
    ASSERT_EQ(tray.Events().size(), 1u);
    ExpectDeletion(tray.Events()[0], window);

    // Back to the tray from there, and out again by its program once more.
    tray.Clear();
    EXPECT_EQ(SendFeature(window, Tray, 1), 1);
    EXPECT_FALSE(IsWindowVisible(window));
    ASSERT_EQ(tray.Events().size(), 1u);
    EXPECT_EQ(tray.Events()[0].command, static_cast<DWORD>(NIM_ADD));
}

TEST(MinimizeToTray, DestroyingAWindowInTheTrayRemovesItsIcon)
{
    HookSession session;
    TestTray tray;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Destroyed in the tray");
    SendFeature(window, Tray, 1);
    tray.Clear();
    EXPECT_EQ(target.Command("destroy " + Hex(window)), "ok");
    ASSERT_EQ(tray.Events().size(), 1u);
    ExpectDeletion(tray.Events()[0], window);
}

TEST(MinimizeToTray, WindowStaysWhenTheNotificationAreaRefusesTheIcon)
{
    HookSession session;
    TestTray tray(false);
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "No place for an icon");
    EXPECT_EQ(SendFeature(window, Tray, 1), 0);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_EQ(Property(window, Tray), 0);
    EXPECT_EQ(SendFeature(window, Tray, 4), 0);
}

TEST(MinimizeToTray, WorksWithTheDesktopsOwnNotificationArea)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Into the shell's tray");
    // The window only hides when the shell took its icon.
    EXPECT_EQ(SendFeature(window, Tray, 1), 1);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(Property(window, Tray), 1);
    EXPECT_EQ(SendFeature(window, Tray, 2), 1);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(Property(window, Tray), 0);
}

TEST(MinimizeToTray, StopBringsEveryHiddenWindowBack)
{
    TestTray tray;
    TargetProcess first;
    TargetProcess second;
    HWND a = nullptr, b = nullptr;
    {
        HookSession session;
        a = first.Create(OverlappedWindow, "First hidden");
        b = second.Create(OverlappedWindow, "Second hidden");
        SendFeature(a, Tray, 1);
        SendFeature(b, Tray, 1);
        ASSERT_FALSE(IsWindowVisible(a));
        ASSERT_FALSE(IsWindowVisible(b));
        tray.Clear();
    }
    for (HWND window : {a, b}) {
        EXPECT_TRUE(IsWindowVisible(window));
        EXPECT_FALSE(IsIconic(window));
        EXPECT_EQ(Property(window, Tray), 0);
        EXPECT_EQ(SendFeature(window, Tray, 4), 0) << "no longer managed";
    }
    std::vector<HWND> deleted;
    for (const TrayEvent& event : tray.Events()) {
        EXPECT_EQ(event.command, static_cast<DWORD>(NIM_DELETE));
        deleted.push_back(event.window);
    }
    EXPECT_NE(std::find(deleted.begin(), deleted.end(), a), deleted.end());
    EXPECT_NE(std::find(deleted.begin(), deleted.end(), b), deleted.end());
}

} // namespace
