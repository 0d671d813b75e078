// What WindowManagerStop leaves behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "Harness.h"

using namespace harness;

namespace {

long Count(const std::vector<UINT>& messages, UINT message)
{
    return static_cast<long>(std::count(messages.begin(), messages.end(), message));
}

TEST(Stop, ReleasesEveryManagedWindowAndRemovesTheHook)
{
    TargetProcess target;
    WindowManagerSetIgnoreClass({});
    HWND window = nullptr;
    std::vector<MenuItem> managedMenu;
    {
        HookSession session;
        window = target.Create(OverlappedWindow, "Released", WS_EX_TOPMOST);
        managedMenu = target.Menu(window);
        ASSERT_EQ(FeatureItems(managedMenu).size(), 4u);
    }
    EXPECT_EQ(FindSharedSection().data->HookHandle, nullptr);
    EXPECT_FALSE(FindSharedSection().data->ManageEnabled);

    // The menu is the program's own again.
    EXPECT_TRUE(SameItems(target.Menu(window), WithoutFeatureBlock(managedMenu)));

    // Messages reach the window's own procedure, not the chain.
    const UINT onTop = RegisterWindowMessageW(L"MOX_ON_TOP");
    target.ClearMessages(window);
    EXPECT_EQ(SendFeature(window, L"MOX_ON_TOP", 4), 0);
    EXPECT_EQ(Count(target.Messages(window), onTop), 1);

    // A second unsubclass message is the window's own business.
    const UINT unsubclass = RegisterWindowMessageW(L"MOX_WINDOWMANAGER_UNSUBCLASS");
    target.ClearMessages(window);
    SendMessageW(window, unsubclass, 0, 0);
    EXPECT_EQ(Count(target.Messages(window), unsubclass), 1);
    EXPECT_TRUE(SameItems(target.Menu(window), WithoutFeatureBlock(managedMenu)));

    // Nothing new is admitted, and a new program never loads the library.
    EXPECT_TRUE(FeatureItems(target.Menu(target.Create(OverlappedWindow, "After stop"))).empty());
    TargetProcess fresh;
    fresh.Create(OverlappedWindow, "Fresh");
    EXPECT_EQ(fresh.Command("loaded"), "0");
}

TEST(Stop, UnsubclassMessageReachesTheOwnProcedureOnce)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Unsubclassed");
    const UINT unsubclass = RegisterWindowMessageW(L"MOX_WINDOWMANAGER_UNSUBCLASS");
    target.ClearMessages(window);
    SendMessageW(window, unsubclass, 0, 0);
    // The release passes the message on before it takes the subclass off.
    EXPECT_EQ(Count(target.Messages(window), unsubclass), 1);
    EXPECT_TRUE(FeatureItems(target.Menu(window)).empty());
    EXPECT_EQ(SendFeature(window, L"MOX_ON_TOP", 1), 0);
    EXPECT_FALSE(IsTopmost(window));
}

TEST(Stop, WindowDestroyedWhileManagedIsReleased)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Destroyed");
    target.ClearMessages(window);
    EXPECT_EQ(target.Command("destroy " + Hex(window)), "ok");
    const std::vector<UINT> received = target.Messages(window);
    EXPECT_EQ(Count(received, WM_DESTROY), 1);
    EXPECT_EQ(Count(received, WM_NCDESTROY), 1);
    // The target stays healthy after the release.
    EXPECT_EQ(FeatureItems(target.Menu(target.Create(OverlappedWindow, "Next"))).size(), 4u);
}

} // namespace
