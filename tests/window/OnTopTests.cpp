// Always on top through the feature message protocol, from another process.
#include <gtest/gtest.h>

#include <algorithm>

#include "Harness.h"

using namespace harness;

namespace {

const wchar_t* const OnTop = L"MOX_ON_TOP";

TEST(AlwaysOnTop, ToggleAndQueryFromAnotherProcess)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Toggle");
    EXPECT_EQ(SendFeature(window, OnTop, 4), 0);
    EXPECT_EQ(SendFeature(window, OnTop, 3), 1);
    EXPECT_TRUE(IsTopmost(window));
    EXPECT_EQ(SendFeature(window, OnTop, 4), 1);
    EXPECT_EQ(SendFeature(window, OnTop, 3), 1);
    EXPECT_FALSE(IsTopmost(window));
    EXPECT_EQ(SendFeature(window, OnTop, 1), 1);
    EXPECT_EQ(SendFeature(window, OnTop, 1), 1);
    EXPECT_TRUE(IsTopmost(window));
    EXPECT_EQ(SendFeature(window, OnTop, 2), 1);
    EXPECT_FALSE(IsTopmost(window));
}

TEST(AlwaysOnTop, WindowCreatedTopmostReadsOn)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Born topmost", WS_EX_TOPMOST);
    EXPECT_EQ(SendFeature(window, OnTop, 4), 1);
    target.Command("initmenu " + Hex(window) + " sys");
    EXPECT_TRUE(FeatureItems(target.Menu(window))[0].checked);
    SendFeature(window, OnTop, 3);
    EXPECT_FALSE(IsTopmost(window));
}

TEST(AlwaysOnTop, UnknownCommandsAreClaimedAndChangeNothing)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Unknown", WS_EX_TOPMOST);
    target.ClearMessages(window);
    EXPECT_EQ(SendFeature(window, OnTop, 0), 0);
    EXPECT_EQ(SendFeature(window, OnTop, 5), 0);
    EXPECT_TRUE(IsTopmost(window));
    const std::vector<UINT> received = target.Messages(window);
    EXPECT_EQ(std::count(received.begin(), received.end(), RegisterWindowMessageW(OnTop)), 0);
}

TEST(AlwaysOnTop, StateSurvivesStop)
{
    TargetProcess target;
    HWND window = nullptr;
    {
        HookSession session;
        window = target.Create(OverlappedWindow, "Stays on top");
        SendFeature(window, OnTop, 1);
        ASSERT_TRUE(IsTopmost(window));
    }
    EXPECT_TRUE(IsTopmost(window));
    EXPECT_EQ(SendFeature(window, OnTop, 4), 0) << "no longer managed";
}

} // namespace
