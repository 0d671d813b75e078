// Many windows, hostile timing and odd messages: nothing crashes and the
// final stop leaves no window hidden, rolled up, in the tray or subclassed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>

#include "FeatureHarness.h"
#include "Harness.h"
#include "Input.h"

#include <shellapi.h>

using namespace harness;

namespace {

// Icons added minus icons deleted, per window and id: what is left in the tray.
int IconsLeft(const TestTray& tray)
{
    std::map<std::pair<HWND, UINT>, int> icons;
    for (const TrayEvent& event : tray.Events()) {
        if (event.command == NIM_ADD) icons[{event.window, event.id}] = 1;
        if (event.command == NIM_DELETE) icons[{event.window, event.id}] = 0;
    }
    int left = 0;
    for (const auto& icon : icons) left += icon.second;
    return left;
}

TEST(Stress, ThousandWindowsWhileTheHookStartsAndStopsTwentyTimes)
{
    WindowManagerStop();
    ResetSharedSettings();
    TestTray tray;
    TargetProcess target;
    target.Command("churn 1000 40");
    int rolledUp = 0, trayed = 0, shown = 0;
    for (int round = 0; round < 20; ++round) {
        WindowManagerStart();
        // While the hidden windows come and go, shown windows of the same
        // thread are admitted, rolled up and, now and then, sent to the tray.
        const HWND rolled = target.Create(OverlappedWindow, "Rolled " + std::to_string(round));
        ++shown;
        if (SendFeature(rolled, L"MOX_ROLLUP", 1) == 1) ++rolledUp;
        if (round % 5 == 0) {
            const HWND hidden = target.Create(OverlappedWindow, "Tray " + std::to_string(round));
            ++shown;
            if (SendFeature(hidden, L"MOX_TRAY", 1) == 1) ++trayed;
        }
        WindowManagerStop();
    }
    ASSERT_TRUE(WaitFor([&] { return target.Command("churned").rfind("done", 0) == 0; }, 60000));
    WaitFor([] { return false; }, 200);  // lets the last icon commands arrive
    EXPECT_EQ(rolledUp, 20);
    EXPECT_EQ(trayed, 4);
    EXPECT_EQ(target.Command("churned"), "done 1000");
    EXPECT_EQ(target.Command("audit"),
              "alive " + std::to_string(40 + shown) + " hidden 0 rolled 0 tray 0 managed 0");
    EXPECT_EQ(IconsLeft(tray), 0);
}

TEST(Stress, WindowsDestroyedInEveryStateLeaveNothingBehind)
{
    TestTray tray;
    HookSession session;
    TargetProcess target;
    const HWND rolled = target.Create(OverlappedWindow, "Rolled");
    const HWND hidden = target.Create(OverlappedWindow, "Hidden");
    const HWND topmost = target.Create(OverlappedWindow, "Topmost");
    const HWND transparent = target.Create(OverlappedWindow, "Transparent");
    ASSERT_EQ(SendFeature(rolled, L"MOX_ROLLUP", 1), 1);
    ASSERT_EQ(SendFeature(hidden, L"MOX_TRAY", 1), 1);
    ASSERT_EQ(SendFeature(topmost, L"MOX_ON_TOP", 1), 1);
    ASSERT_EQ(SendFeature(transparent, L"MOX_TRANSPARENT", 1), 1);
    for (HWND window : {rolled, hidden, topmost, transparent}) {
        EXPECT_EQ(target.Command("destroy " + Hex(window)), "ok");
    }
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(IconsLeft(tray), 0);
    EXPECT_EQ(FeatureItems(target.Menu(target.Create(OverlappedWindow, "Still healthy"))).size(), 4u);
}

TEST(Stress, FeatureMessagesWithEveryCommandAndRandomParameters)
{
    TestTray tray;
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Odd messages");
    std::mt19937 random(2026);
    const wchar_t* features[] = {L"MOX_ON_TOP", L"MOX_ROLLUP", L"MOX_TRAY", L"MOX_TRANSPARENT"};
    for (const wchar_t* feature : features) {
        for (WPARAM command = 0; command <= 10; ++command) {
            for (int i = 0; i < 3; ++i) {
                DWORD_PTR answer = 99;
                const LPARAM lParam = static_cast<LPARAM>(random());
                ASSERT_TRUE(SendMessageTimeoutW(window, RegisterWindowMessageW(feature), command, lParam,
                                                SMTO_ABORTIFHUNG, 10000, &answer));
                if (command >= 1 && command <= 4) {
                    EXPECT_LE(answer, 1u);
                } else {
                    EXPECT_EQ(answer, 0u) << "command " << command;
                }
            }
        }
    }
    // Everything can be switched off again and the window is whole.
    for (const wchar_t* feature : features) EXPECT_EQ(SendFeature(window, feature, 2), 1);
    for (const wchar_t* feature : features) EXPECT_EQ(SendFeature(window, feature, 4), 0);
    EXPECT_TRUE(IsWindowVisible(window));
}

TEST(Stress, StopWaitsForAWindowWhoseThreadIsBlocked)
{
    TargetProcess target;
    HWND window = nullptr;
    {
        HookSession session;
        window = target.Create(OverlappedWindow, "Blocked");
        ASSERT_EQ(SendFeature(window, L"MOX_ROLLUP", 1), 1);
        target.Command("block bb8");  // 3000 ms
        const ULONGLONG start = GetTickCount64();
        WindowManagerStop();
        std::printf("WindowManagerStop with one thread blocked for 3000 ms took %llu ms\n",
                    static_cast<unsigned long long>(GetTickCount64() - start));
    }
    // Once the thread answered, the window was unrolled and released.
    EXPECT_EQ(Property(window, L"MOX_ROLLUP"), 0);
    EXPECT_TRUE(FeatureItems(target.Menu(window)).empty());
    EXPECT_EQ(SendFeature(window, L"MOX_ON_TOP", 4), 0);
}

TEST(Stress, StopWhileAMoveLoopRunsInAnotherProcess)
{
    TargetProcess target;
    HWND window = nullptr;
    {
        HookSession session;
        window = target.Create(OverlappedWindow, "Moving");
        ParkCursor();
        ASSERT_TRUE(Activate(window));
        target.ClearMessages(window);
        PostMessageW(window, WM_SYSCOMMAND, SC_MOVE, 0);  // the keyboard move loop
        const auto received = [&](UINT message) {
            const std::vector<UINT> messages = target.Messages(window);
            return std::find(messages.begin(), messages.end(), message) != messages.end();
        };
        ASSERT_TRUE(WaitFor([&] { return received(WM_ENTERSIZEMOVE); }));
        // The loop handles the broadcasts: the window is released inside it.
        WindowManagerStop();
        EXPECT_TRUE(FeatureItems(target.Menu(window)).empty());
        EXPECT_FALSE(received(WM_EXITSIZEMOVE)) << "the loop was still running";
        Key(VK_ESCAPE, true);
        Key(VK_ESCAPE, false);
        EXPECT_TRUE(WaitFor([&] { return received(WM_EXITSIZEMOVE); }));
    }
    // The window's own procedure answers; the program is alive and well.
    EXPECT_EQ(SendFeature(window, L"MOX_ON_TOP", 4), 0);
    EXPECT_EQ(FeatureItems(target.Menu(target.Create(OverlappedWindow, "After"))).size(), 0u);
}

} // namespace
