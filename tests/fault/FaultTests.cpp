// How the subclass procedure reports an exception thrown by a chain member.
// Runs against the test build of the hook library, whose chain has an extra
// first member that throws on "MOX_TEST_THROW".
#include <gtest/gtest.h>

#include <thread>

#include "DialogDriver.h"
#include "Harness.h"
#include "WindowsError.h"

using namespace harness;

namespace {

struct Box {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
};

struct BoxSearch {
    DWORD processId;
    Box box;
};

BOOL CALLBACK FindBox(HWND window, LPARAM data)
{
    BoxSearch& search = *reinterpret_cast<BoxSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (processId != search.processId || lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
    wchar_t caption[1024] = {};
    GetWindowTextW(window, caption, 1024);
    search.box.window = window;
    search.box.caption = caption;
    search.box.text = MessageBoxText(window);
    return FALSE;
}

// Sends "MOX_TEST_THROW" from another thread, waits for the error box of the
// target process, reads it, closes it and returns what the message answered.
Box ThrowAndReadBox(TargetProcess& target, HWND window, WPARAM kind, LRESULT& answer)
{
    answer = -1;
    std::thread sender([&] {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, RegisterWindowMessageW(L"MOX_TEST_THROW"), kind, 0, SMTO_NORMAL, 30000, &result);
        answer = static_cast<LRESULT>(result);
    });
    BoxSearch search = {target.ProcessId(), {}};
    WaitFor([&] {
        search.box = Box();
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        return search.box.window != nullptr && !search.box.text.empty();
    }, 15000);
    if (search.box.window != nullptr) {
        EXPECT_EQ(GetWindow(search.box.window, GW_OWNER), window) << "the box is owned by the window";
        PostMessageW(search.box.window, WM_COMMAND, IDOK, 0);
    }
    sender.join();
    return search.box;
}

TEST(SubclassErrors, WindowsErrorIsShownWithTheWindowTitleAsCaption)
{
    HookSession session;
    TargetProcess target("LorvekTest.dll");
    const HWND window = target.Create(OverlappedWindow, "Failing window");
    LRESULT answer = 0;
    const Box box = ThrowAndReadBox(target, window, 1, answer);
    ASSERT_NE(box.window, nullptr) << "no error box appeared";
    EXPECT_EQ(box.caption, L"Failing window");
    // The box's static control may drop the system text's closing line break.
    const std::wstring expected = L"CWndProxy::GetClientRect " + FormatErrorText(ERROR_INVALID_WINDOW_HANDLE, nullptr);
    EXPECT_EQ(box.text.substr(0, 25), L"CWndProxy::GetClientRect ");
    EXPECT_EQ(expected.compare(0, box.text.size(), box.text), 0) << "box text differs from the composed message";
    EXPECT_GT(box.text.size(), 30u);
    EXPECT_EQ(answer, 0);
    // The window stays managed.
    EXPECT_EQ(SendFeature(window, L"MOX_ON_TOP", 1), 1);
    EXPECT_TRUE(IsTopmost(window));
}

TEST(SubclassErrors, UnknownExceptionNamesTheProcedure)
{
    HookSession session;
    TargetProcess target("LorvekTest.dll");
    const HWND window = target.Create(OverlappedWindow, "Unknown failure");
    LRESULT answer = 0;
    const Box box = ThrowAndReadBox(target, window, 2, answer);
    ASSERT_NE(box.window, nullptr) << "no error box appeared";
    EXPECT_EQ(box.caption, L"Unknown failure");
    EXPECT_EQ(box.text, L"Unknown Exception. Caught in WindowSubclassed::WindowSubclassProc");
    EXPECT_EQ(answer, 0);
}

} // namespace
