// The shared section as other processes see it: layout, bindings and the
// stored ignore lists.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "Harness.h"

using namespace harness;

namespace {

TEST(SharedSection, IsSharedWritableInitialisedDataWithTheDocumentedLayout)
{
    const SectionInfo section = FindSharedSection();
    ASSERT_NE(section.data, nullptr);
    const DWORD wanted = IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE | IMAGE_SCN_MEM_SHARED;
    EXPECT_EQ(section.characteristics & wanted, wanted);
    EXPECT_GE(section.virtualSize, offsetof(SharedSectionView, IgnoreClassPatterns) + 2048);
    EXPECT_EQ(offsetof(SharedSectionView, MouseActionsDblClk), 198u * 4);
    EXPECT_EQ(offsetof(SharedSectionView, HookHandle), 396u * 4);
}

TEST(SharedSection, BindingsRoundTripIntoTheTableElements)
{
    ResetSharedSettings();
    SharedSectionView* shared = FindSharedSection().data;
    SetMouseAction(MoxButtonRight, 2, 17, MoxActionMove);
    SetMouseActionDblClk(MoxButtonMiddle, 1, 2, MoxActionRollup);
    SetMouseAction(MoxButtonLeft, 0, 0, static_cast<MoxAction>(77));  // stored as given
    EXPECT_EQ(GetMouseAction(MoxButtonRight, 2, 17), MoxActionMove);
    EXPECT_EQ(shared->MouseActions[2][2][17], MoxActionMove);
    EXPECT_EQ(GetMouseActionDblClk(MoxButtonMiddle, 1, 2), MoxActionRollup);
    EXPECT_EQ(shared->MouseActionsDblClk[1][1][2], MoxActionRollup);
    EXPECT_EQ(GetMouseAction(MoxButtonLeft, 0, 0), 77);
    // The tables are independent of each other.
    EXPECT_EQ(GetMouseActionDblClk(MoxButtonRight, 2, 17), MoxActionNone);
    EXPECT_EQ(GetMouseAction(MoxButtonMiddle, 1, 2), MoxActionNone);
    ResetSharedSettings();
}

TEST(SharedSection, IndicesOutsideTheTablesReadAndWriteNothing)
{
    ResetSharedSettings();
    SharedSectionView* shared = FindSharedSection().data;
    SetMouseAction(MoxButtonLeft, 0, 0, MoxActionMove);  // a neighbour to read by mistake
    SetMouseActionDblClk(MoxButtonLeft, 0, 0, MoxActionMove);
    SharedSectionView before;
    std::memcpy(&before, shared, sizeof before);
    const int bad[][3] = {{3, 0, 0}, {-1, 0, 0}, {0, 3, 0}, {0, -1, 0}, {0, 0, 22}, {0, 0, -1}, {2, 2, 22}, {0, 7, 5}};
    for (const auto& index : bad) {
        SetMouseAction(static_cast<MoxButton>(index[0]), index[1], index[2], MoxActionMinimize);
        SetMouseActionDblClk(static_cast<MoxButton>(index[0]), index[1], index[2], MoxActionMinimize);
        EXPECT_EQ(GetMouseAction(static_cast<MoxButton>(index[0]), index[1], index[2]), MoxActionNone);
        EXPECT_EQ(GetMouseActionDblClk(static_cast<MoxButton>(index[0]), index[1], index[2]), MoxActionNone);
    }
    EXPECT_EQ(std::memcmp(&before, shared, sizeof before), 0);
    ResetSharedSettings();
}

TEST(SharedSection, IgnoreListsAreStoredInVectorOrder)
{
    SharedSectionView* shared = FindSharedSection().data;
    WindowManagerSetIgnoreTitle({L"A*", L"B"});
    const wchar_t expected[] = {L'A', L'*', 0, L'B', 0, 0};
    EXPECT_EQ(std::memcmp(shared->IgnoreTitlePatterns, expected, sizeof expected), 0);
    WindowManagerSetIgnoreTitle({});
    EXPECT_EQ(shared->IgnoreTitlePatterns[0], 0);
    ResetSharedSettings();
}

TEST(SharedSection, OverlongTitleListStaysInsideItsBuffer)
{
    SharedSectionView* shared = FindSharedSection().data;
    WindowManagerSetIgnoreClass({L"Kept", L"Also*"});
    std::vector<std::wstring> patterns;
    for (int i = 0; i < 30; ++i) patterns.push_back(std::wstring(99, static_cast<wchar_t>(L'A' + i)));
    WindowManagerSetIgnoreTitle(patterns);
    EXPECT_EQ(shared->IgnoreTitlePatterns[1023], 0);
    // Ten patterns of 99 units and their NULs, then the final NUL.
    EXPECT_EQ(shared->IgnoreTitlePatterns[998], L'J');
    EXPECT_EQ(shared->IgnoreTitlePatterns[999], 0);
    EXPECT_EQ(shared->IgnoreTitlePatterns[1000], 0);
    const wchar_t classes[] = {L'K', L'e', L'p', L't', 0, L'A', L'l', L's', L'o', L'*', 0, 0};
    EXPECT_EQ(std::memcmp(shared->IgnoreClassPatterns, classes, sizeof classes), 0);
    ResetSharedSettings();
}

TEST(SharedSection, OtherProcessesSeeTheSameBindings)
{
    HookSession session;
    SetMouseAction(MoxButtonMiddle, 2, 18, MoxActionSendToBack);
    SetMouseActionDblClk(MoxButtonLeft, 0, 2, MoxActionMaximizeMenu);
    TargetProcess target;
    target.Create(OverlappedWindow, "Bindings");  // maps the library into the target
    ASSERT_EQ(target.Command("loaded"), "1");
    EXPECT_EQ(target.Command("binding 0 1 2 18"), "2");
    EXPECT_EQ(target.Command("binding 1 0 0 2"), "6");
    EXPECT_EQ(target.Command("binding 0 0 0 2"), "0");
    ResetSharedSettings();
}

} // namespace
