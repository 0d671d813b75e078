// Which windows of another process the global hook admits.
#include <gtest/gtest.h>

#include <algorithm>

#include "Harness.h"

using namespace harness;

namespace {

const wchar_t* const OnTop = L"MOX_ON_TOP";

// A managed window claims "MOX_ON_TOP": a topmost one answers the query with 1,
// where the window's own procedure would answer 0.
bool AnswersAsManaged(HWND topmostWindow)
{
    return SendFeature(topmostWindow, OnTop, 4) == 1;
}

TEST(Admission, OverlappedWindowGetsTheFourItemsAfterItsFirstSeparator)
{
    HookSession session;
    WindowManagerSetIgnoreClass({L"Plain*"});
    TargetProcess target;
    const HWND managed = target.Create(OverlappedWindow, "Managed");
    const HWND plain = target.Create(OverlappedWindow, "Plain", 0, "PlainWindow");
    const std::vector<MenuItem> menu = target.Menu(managed);
    const std::vector<MenuItem> original = target.Menu(plain);
    ASSERT_TRUE(FeatureItems(original).empty());

    int firstSeparator = -1;
    for (size_t i = 0; i < menu.size() && firstSeparator < 0; ++i) {
        if (menu[i].separator) firstSeparator = static_cast<int>(i);
    }
    ASSERT_GE(firstSeparator, 0);
    ASSERT_GE(menu.size(), static_cast<size_t>(firstSeparator + 6));
    const char* texts[] = {"Always on top", "Rollup", "Minimize To Tray", "Transparent"};
    for (int i = 0; i < 4; ++i) {
        const MenuItem& item = menu[static_cast<size_t>(firstSeparator + 1 + i)];
        EXPECT_EQ(item.id, 0xE010u + 16u * static_cast<unsigned>(i));
        EXPECT_EQ(item.text, texts[i]);
        EXPECT_FALSE(item.checked);
    }
    EXPECT_TRUE(menu[static_cast<size_t>(firstSeparator + 5)].separator);
    // Everything else is the program's own menu, untouched.
    EXPECT_TRUE(SameItems(WithoutFeatureBlock(menu), original));
}

TEST(Admission, WindowsWithoutCaptionAndSystemMenuAreLeftAlone)
{
    HookSession session;
    TargetProcess target;
    struct Case {
        const char* title;
        DWORD style;
    } cases[] = {
        {"CaptionNoSysMenu", WS_CAPTION | WS_VISIBLE},
        {"BorderOnly", WS_POPUP | WS_BORDER | WS_SYSMENU | WS_VISIBLE},
        {"DialogFrameOnly", WS_POPUP | WS_DLGFRAME | WS_SYSMENU | WS_VISIBLE},
    };
    for (const Case& c : cases) {
        const HWND window = target.Create(c.style, c.title, WS_EX_TOPMOST);
        EXPECT_TRUE(FeatureItems(target.Menu(window)).empty()) << c.title;
        EXPECT_FALSE(AnswersAsManaged(window)) << c.title;
    }
    const HWND control = target.Create(OverlappedWindow, "Control", WS_EX_TOPMOST);
    EXPECT_TRUE(AnswersAsManaged(control));
}

TEST(Admission, IgnorePatternsNameTitlesAndClassesCaseSensitively)
{
    HookSession session;
    WindowManagerSetIgnoreTitle({L"Secret*", L"?"});
    WindowManagerSetIgnoreClass({L"Hidden?Class", L"lowercase"});
    TargetProcess target;
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, "Secret plans", WS_EX_TOPMOST)));
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, "X", WS_EX_TOPMOST)));
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, "Any", WS_EX_TOPMOST, "Hidden_Class")));
    EXPECT_TRUE(AnswersAsManaged(target.Create(OverlappedWindow, "Not secret", WS_EX_TOPMOST)));
    EXPECT_TRUE(AnswersAsManaged(target.Create(OverlappedWindow, "XY", WS_EX_TOPMOST)));
    EXPECT_TRUE(AnswersAsManaged(target.Create(OverlappedWindow, "Any", WS_EX_TOPMOST, "LOWERCASE")));
}

TEST(Admission, WindowsCreatedBeforeStartAreNeverAdmitted)
{
    WindowManagerStop();
    TargetProcess target;
    const HWND early = target.Create(OverlappedWindow, "Early", WS_EX_TOPMOST);
    HookSession session;
    const HWND late = target.Create(OverlappedWindow, "Late", WS_EX_TOPMOST);
    EXPECT_TRUE(AnswersAsManaged(late));
    EXPECT_FALSE(AnswersAsManaged(early));
    EXPECT_TRUE(FeatureItems(target.Menu(early)).empty());
}

TEST(Admission, ManageWindowTakesOnlyWindowsOfTheCallingThread)
{
    WindowManagerStop();
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Existing", WS_EX_TOPMOST);
    const std::vector<MenuItem> before = target.Menu(window);
    HookSession session;
    target.Create(OverlappedWindow, "Loads the library");
    // From this process: another process's window stays untouched.
    WindowManagerManageWindow(window);
    EXPECT_TRUE(SameItems(target.Menu(window), before));
    EXPECT_FALSE(AnswersAsManaged(window));
    // On the window's own thread it is admitted, once however often it is asked.
    EXPECT_EQ(target.Command("manage " + Hex(window)), "ok");
    EXPECT_EQ(target.Command("manage " + Hex(window)), "ok");
    EXPECT_TRUE(AnswersAsManaged(window));
    EXPECT_EQ(FeatureItems(target.Menu(window)).size(), 4u);
}

TEST(Admission, CaptionedChildWindowIsAdmittedAndReleasedAtStop)
{
    TargetProcess target;
    HWND child = nullptr;
    {
        HookSession session;
        const HWND parent = target.Create(OverlappedWindow, "Parent");
        child = target.Create(WS_CHILD | WS_OVERLAPPEDWINDOW | WS_VISIBLE, "Child", 0, "LorvekTarget", parent);
        EXPECT_EQ(FeatureItems(target.Menu(child)).size(), 4u);
    }
    EXPECT_TRUE(FeatureItems(target.Menu(child)).empty());
    target.ClearMessages(child);
    SendFeature(child, OnTop, 4);
    const std::vector<UINT> received = target.Messages(child);
    const UINT query = RegisterWindowMessageW(OnTop);
    EXPECT_NE(std::find(received.begin(), received.end(), query), received.end())
        << "the query reaches the child's own procedure";
}

TEST(Admission, EndSessionStopsAdmissionEverywhere)
{
    HookSession session;
    TargetProcess target;
    const HWND first = target.Create(OverlappedWindow, "Before end session", WS_EX_TOPMOST);
    ASSERT_TRUE(AnswersAsManaged(first));
    ASSERT_TRUE(FindSharedSection().data->ManageEnabled);
    SendMessageW(first, WM_ENDSESSION, FALSE, 0);
    EXPECT_FALSE(FindSharedSection().data->ManageEnabled);
    TargetProcess other;
    EXPECT_FALSE(AnswersAsManaged(other.Create(OverlappedWindow, "After end session", WS_EX_TOPMOST)));
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, "Same process", WS_EX_TOPMOST)));
    // Windows admitted before keep their features.
    EXPECT_TRUE(AnswersAsManaged(first));
    // The next start admits again.
    WindowManagerStart();
    EXPECT_TRUE(AnswersAsManaged(other.Create(OverlappedWindow, "After restart", WS_EX_TOPMOST)));
}

TEST(Admission, StartingTwiceInstallsOneHook)
{
    HookSession session;
    const HHOOK first = FindSharedSection().data->HookHandle;
    ASSERT_NE(first, nullptr);
    WindowManagerStart();
    EXPECT_EQ(FindSharedSection().data->HookHandle, first);
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Once");
    EXPECT_EQ(FeatureItems(target.Menu(window)).size(), 4u);
    // A start after a stop installs the hook again.
    WindowManagerStop();
    EXPECT_EQ(FindSharedSection().data->HookHandle, nullptr);
    WindowManagerStart();
    EXPECT_NE(FindSharedSection().data->HookHandle, nullptr);
    EXPECT_EQ(FeatureItems(target.Menu(target.Create(OverlappedWindow, "Again"))).size(), 4u);
}

} // namespace
