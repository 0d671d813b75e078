// A picture for people: a managed window with its pin button and its system
// menu open on the four feature items, saved as a PNG file of the test run.
#include <gtest/gtest.h>

#include "FeatureHarness.h"
#include "Harness.h"
#include "Input.h"
#include "Screenshot.h"

using namespace harness;

namespace {

TEST(Screenshot, ManagedWindowWithItsSystemMenuOpen)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Untitled - Editor");
    SendFeature(window, L"MOX_ON_TOP", 1);  // the pin shows pushed and the item checked
    ParkCursor();
    ASSERT_TRUE(Activate(window));
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    std::vector<HWND> menus;
    ASSERT_TRUE(WaitFor([&] { return !(menus = OpenMenus(target.ProcessId())).empty(); }));
    WaitFor([] { return false; }, 300);  // lets the menu finish painting
    RECT area = {};
    GetWindowRect(window, &area);
    RECT menu = {};
    GetWindowRect(menus[0], &menu);
    UnionRect(&area, &area, &menu);
    const Image image = CaptureScreen(area);
    ASSERT_GT(image.width, 0);
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder(program);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(SavePng(image, folder + L"\\managed-window-menu.png"));
    // The open menu lists the items with "Always on top" checked.
    const std::vector<MenuItem> items = FeatureItems(target.Menu(window));
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].checked);
    for (int i = 0; i < 2; ++i) {
        Key(VK_ESCAPE, true);
        Key(VK_ESCAPE, false);
    }
}

} // namespace
