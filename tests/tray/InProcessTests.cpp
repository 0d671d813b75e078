// The tray program's two windows created in this process, to see the order
// in which their messages arrive.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>

#include "MainWnd.h"
#include "MoveSizeWnd.h"
#include "Program.h"
#include "TrayFixture.h"

using namespace harness;

namespace {

std::vector<std::pair<HWND, UINT>> seen;

LRESULT CALLBACK RecordDestruction(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && (message->message == WM_DESTROY || message->message == WM_NCDESTROY)) {
        seen.emplace_back(message->hwnd, message->message);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(TrayTest, ExitDestroysTheOverlayBeforeTheMainWindowAndQuits)
{
    FakeTray tray;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    SetProgramInstance(instance);
    CMainWnd* main = CreateMainWindow(instance);
    CMoveSizeWnd* overlay = CreateMoveSizeWindow(main->Handle(), instance);
    const HWND mainWindow = main->Handle();
    const HWND overlayWindow = overlay->Handle();
    ASSERT_EQ(tray.notifications.size(), 1u);

    seen.clear();
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordDestruction, nullptr, GetCurrentThreadId());
    EXPECT_EQ(SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(1003, 0), 0), 0);
    UnhookWindowsHookEx(hook);

    const std::vector<std::pair<HWND, UINT>> expected = {
        {overlayWindow, static_cast<UINT>(WM_DESTROY)},
        {overlayWindow, static_cast<UINT>(WM_NCDESTROY)},
        {mainWindow, static_cast<UINT>(WM_DESTROY)},
        {mainWindow, static_cast<UINT>(WM_NCDESTROY)},
    };
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(FindWndHandler(mainWindow), nullptr);
    EXPECT_EQ(FindWndHandler(overlayWindow), nullptr);
    ASSERT_EQ(tray.notifications.size(), 2u);
    EXPECT_EQ(tray.notifications[1].command, static_cast<DWORD>(NIM_DELETE));
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

} // namespace
