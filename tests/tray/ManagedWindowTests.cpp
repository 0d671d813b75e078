// The real program managing the windows of another program: ignore patterns
// from the registry, and every window released on "Exit".
#include "TrayFixture.h"

using namespace harness;

namespace {

using namespace std::string_literals;

TEST_F(TrayTest, StoredIgnorePatternsAreAppliedAndExitReleasesEveryWindow)
{
    SetHovelleUnits(L"IgnoreTitles", L"Skip*\0\0"s);
    TargetProcess target;
    const HWND before = target.Create(OverlappedWindow, "Created before");
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());

    const HWND managed = target.Create(OverlappedWindow, "Managed window");
    const HWND skipped = target.Create(OverlappedWindow, "Skip this one");
    EXPECT_EQ(FeatureItems(target.Menu(managed)).size(), 4u);
    EXPECT_TRUE(FeatureItems(target.Menu(skipped)).empty());
    EXPECT_TRUE(FeatureItems(target.Menu(before)).empty()) << "only windows created afterwards are managed";

    PostMessageW(hovelle.MainWindow(), WM_COMMAND, 1003, 0);
    EXPECT_EQ(hovelle.WaitForExit(), 0u);
    EXPECT_TRUE(FeatureItems(target.Menu(managed)).empty());
    EXPECT_TRUE(IsWindow(managed));
    EXPECT_TRUE(FeatureItems(target.Menu(target.Create(OverlappedWindow, "After exit"))).empty());
}

} // namespace
