// Transparency through the real hook, on windows of the target program.
#include <gtest/gtest.h>

#include "FeatureHarness.h"
#include "Harness.h"

using namespace harness;

namespace {

const wchar_t* const Transparent = L"MOX_TRANSPARENT";

bool TransparentChecked(TargetProcess& target, HWND window)
{
    target.Command("initmenu " + Hex(window) + " sys");
    const std::vector<MenuItem> items = FeatureItems(target.Menu(window));
    return items.size() == 4 && items[3].checked;
}

void ExpectAlpha(HWND window, BYTE alpha)
{
    const LayeredAttributes attributes = GetLayered(window);
    EXPECT_TRUE(IsLayered(window));
    EXPECT_TRUE(attributes.read);
    EXPECT_EQ(attributes.flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(attributes.alpha, alpha);
}

TEST(Transparency, OnMakesAPlainWindowLayeredAndOffKeepsItLayeredAndOpaque)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "See through");
    ASSERT_FALSE(IsLayered(window));
    EXPECT_EQ(SendFeature(window, Transparent, 4), 0);
    EXPECT_FALSE(TransparentChecked(target, window));

    EXPECT_EQ(SendFeature(window, Transparent, 1), 1);
    ExpectAlpha(window, 191);
    EXPECT_EQ(SendFeature(window, Transparent, 4), 1);
    EXPECT_TRUE(TransparentChecked(target, window));
    // On twice sets the same attributes again.
    EXPECT_EQ(SendFeature(window, Transparent, 1), 1);
    ExpectAlpha(window, 191);

    EXPECT_EQ(SendFeature(window, Transparent, 2), 1);
    ExpectAlpha(window, 255);
    EXPECT_EQ(SendFeature(window, Transparent, 4), 0);
    EXPECT_FALSE(TransparentChecked(target, window));

    // Commands outside the protocol are claimed, answer 0 and change nothing.
    EXPECT_EQ(SendFeature(window, Transparent, 0), 0);
    EXPECT_EQ(SendFeature(window, Transparent, 5), 0);
    ExpectAlpha(window, 255);
}

TEST(Transparency, ToggleAndSystemMenuCommand)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Toggled");
    EXPECT_EQ(SendFeature(window, Transparent, 3), 1);
    ExpectAlpha(window, 191);
    EXPECT_EQ(SendFeature(window, Transparent, 3), 1);
    ExpectAlpha(window, 255);
    EXPECT_EQ(SendMessageW(window, WM_SYSCOMMAND, 0xE040, 0), 0);
    ExpectAlpha(window, 191);
    SendMessageW(window, WM_SYSCOMMAND, 0xE040, 0);
    ExpectAlpha(window, 255);
}

TEST(Transparency, AlphaSetByTheProgramReadsOnAndIsNotRestored)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Own alpha");
    ASSERT_EQ(target.Command("layered " + Hex(window) + " 0 c8 2"), "ok");
    ASSERT_EQ(GetLayered(window).alpha, 200);
    EXPECT_EQ(SendFeature(window, Transparent, 4), 1);
    EXPECT_TRUE(TransparentChecked(target, window));
    EXPECT_EQ(SendFeature(window, Transparent, 3), 1);
    ExpectAlpha(window, 255);
    EXPECT_EQ(SendFeature(window, Transparent, 3), 1);
    ExpectAlpha(window, 191);
}

TEST(Transparency, ColourKeyOnlyReadsOffAndOnReplacesTheKey)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Colour key");
    ASSERT_EQ(target.Command("layered " + Hex(window) + " ff00ff 0 1"), "ok");
    ASSERT_EQ(GetLayered(window).flags, static_cast<DWORD>(LWA_COLORKEY));
    EXPECT_EQ(SendFeature(window, Transparent, 4), 0);
    EXPECT_FALSE(TransparentChecked(target, window));
    EXPECT_EQ(SendFeature(window, Transparent, 3), 1);
    ExpectAlpha(window, 191);  // only LWA_ALPHA: the key no longer applies
    EXPECT_EQ(SendFeature(window, Transparent, 4), 1);
}

TEST(Transparency, StateSurvivesStop)
{
    TargetProcess target;
    HWND transparent = nullptr, opaque = nullptr;
    {
        HookSession session;
        transparent = target.Create(OverlappedWindow, "Stays transparent");
        opaque = target.Create(OverlappedWindow, "Stays layered");
        SendFeature(transparent, Transparent, 1);
        SendFeature(opaque, Transparent, 1);
        SendFeature(opaque, Transparent, 2);
    }
    ExpectAlpha(transparent, 191);
    ExpectAlpha(opaque, 255);
    EXPECT_EQ(SendFeature(transparent, Transparent, 4), 0) << "no longer managed";
    EXPECT_EQ(SendFeature(transparent, Transparent, 2), 0);
    ExpectAlpha(transparent, 191);
}

} // namespace
