// How the subclass procedure reports an exception of a chain member, against the test build of the library
// (tests/dll): a box owned by the window, titled with its title, and the window stays managed.
#include <gtest/gtest.h>

#include <thread>

#include "Harness.h"

using namespace harness;

TEST(SubclassErrors, ExceptionOfAChainMemberIsReportedInABoxOwnedByTheWindow) {
    const struct { WPARAM kind; std::wstring text; } rows[] = {
        {1, L"CWndProxy::GetClientRect "}, {2, L"Unknown Exception. Caught in WindowSubclassed::WindowSubclassProc"}};
    HookSession session;
    TargetProcess target("LorvekTest.dll");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.kind);
        const HWND window = target.Create(OverlappedWindow, "Failing window");
        DWORD_PTR answer = 99;
        const UINT message = RegisterWindowMessageW(L"MOX_TEST_THROW");
        std::thread sender([&] { SendMessageTimeoutW(window, message, row.kind, 0, SMTO_NORMAL, 30000, &answer); });
        HWND box = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"Failing window")) != nullptr; }, 15000));
        PumpFor(300);
        EXPECT_EQ(GetWindow(box, GW_OWNER), window);
        EXPECT_EQ(MessageBoxText(box).substr(0, row.text.size()), row.text);
        if (box != nullptr) PostMessageW(box, WM_COMMAND, IDOK, 0);
        sender.join();
        EXPECT_EQ(answer, 0u);
        EXPECT_EQ(FeatureItems(target.Menu(window)).size(), 4u);
    }
}
