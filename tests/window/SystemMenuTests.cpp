// The feature items of the system menu: commands, check marks, release.
#include <gtest/gtest.h>

#include <algorithm>

#include "Harness.h"

using namespace harness;

namespace {

bool Received(const std::vector<UINT>& messages, UINT message)
{
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

TEST(SystemMenu, CommandWithLowBitsSetTogglesAlwaysOnTop)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Commands");
    ASSERT_FALSE(IsTopmost(window));
    target.ClearMessages(window);
    EXPECT_EQ(SendMessageW(window, WM_SYSCOMMAND, 0xE012, 0), 0);
    EXPECT_TRUE(IsTopmost(window));
    EXPECT_FALSE(Received(target.Messages(window), WM_SYSCOMMAND)) << "the feature command is claimed";
    SendMessageW(window, WM_SYSCOMMAND, 0xE010, 0);
    EXPECT_FALSE(IsTopmost(window));
    // The id after the block belongs to the window's own procedure.
    target.ClearMessages(window);
    SendMessageW(window, WM_SYSCOMMAND, 0xE050, 0);
    EXPECT_TRUE(Received(target.Messages(window), WM_SYSCOMMAND));
    EXPECT_FALSE(IsTopmost(window));
}

TEST(SystemMenu, CheckMarksFollowTheStateWhenTheSystemMenuOpens)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Check marks");
    SendFeature(window, L"MOX_ON_TOP", 1);
    ASSERT_TRUE(IsTopmost(window));
    // Another popup, or no menu at all, changes no check mark.
    EXPECT_EQ(target.Command("initmenu " + Hex(window) + " popup"), "ok");
    target.Command("initmenu " + Hex(window) + " null");
    EXPECT_FALSE(FeatureItems(target.Menu(window))[0].checked);
    target.ClearMessages(window);
    target.Command("initmenu " + Hex(window) + " sys");
    EXPECT_TRUE(Received(target.Messages(window), WM_INITMENUPOPUP)) << "never claimed";
    std::vector<MenuItem> items = FeatureItems(target.Menu(window));
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].checked);
    for (size_t i = 1; i < 4; ++i) EXPECT_FALSE(items[i].checked) << items[i].text;
    // Choosing the item switches the state; the mark follows at the next opening.
    SendMessageW(window, WM_SYSCOMMAND, 0xE010, 0);
    EXPECT_FALSE(IsTopmost(window));
    EXPECT_TRUE(FeatureItems(target.Menu(window))[0].checked);
    target.Command("initmenu " + Hex(window) + " sys");
    EXPECT_FALSE(FeatureItems(target.Menu(window))[0].checked);
}

TEST(SystemMenu, MenuWithoutSeparatorGetsSeparatorThenBlock)
{
    TargetProcess target;
    HWND window = nullptr;
    std::vector<MenuItem> original;
    {
        HookSession session;
        WindowManagerSetIgnoreClass({L"Plain"});
        original = target.Menu(target.Create(OverlappedWindow, "Plain", 0, "Plain", nullptr, "nosep"));
        ASSERT_FALSE(original.empty());
        for (const MenuItem& item : original) ASSERT_FALSE(item.separator);
        window = target.Create(OverlappedWindow, "No separator", 0, "LorvekTarget", nullptr, "nosep");
        const std::vector<MenuItem> menu = target.Menu(window);
        ASSERT_EQ(menu.size(), original.size() + 5);
        EXPECT_TRUE(SameItems(std::vector<MenuItem>(menu.begin(), menu.begin() + static_cast<long>(original.size())),
                              original));
        EXPECT_TRUE(menu[original.size()].separator);
        EXPECT_EQ(menu[original.size() + 1].id, 0xE010u);
        EXPECT_EQ(menu.back().id, 0xE040u);
    }
    // At release the four items go and the separator stays.
    const std::vector<MenuItem> released = target.Menu(window);
    ASSERT_EQ(released.size(), original.size() + 1);
    EXPECT_TRUE(released.back().separator);
}

TEST(SystemMenu, ReleaseOfAResetMenuRemovesNothing)
{
    TargetProcess target;
    HWND window = nullptr;
    std::vector<MenuItem> reset;
    {
        HookSession session;
        window = target.Create(OverlappedWindow, "Reset menu");
        ASSERT_EQ(FeatureItems(target.Menu(window)).size(), 4u);
        target.Command("resetmenu " + Hex(window));
        reset = target.Menu(window);
        ASSERT_TRUE(FeatureItems(reset).empty());
    }
    EXPECT_TRUE(SameItems(target.Menu(window), reset));
}

} // namespace
