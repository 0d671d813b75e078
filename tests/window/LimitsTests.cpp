// Titles, class names and pattern lists at their limits.
#include <gtest/gtest.h>

#include "Harness.h"

using namespace harness;

namespace {

bool AnswersAsManaged(HWND topmostWindow)
{
    return SendFeature(topmostWindow, L"MOX_ON_TOP", 4) == 1;
}

TEST(Limits, TitlesAreComparedUpToTheir1023rdUnit)
{
    HookSession session;
    // One pattern of 1022 units plus its NUL and the final NUL fill the list.
    WindowManagerSetIgnoreTitle({std::wstring(1021, L'x') + L"*"});
    TargetProcess target;
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, std::string(1023, 'x'), WS_EX_TOPMOST)));
    // A longer title is read cut to 1023 units, so the same pattern names it.
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, std::string(5000, 'x'), WS_EX_TOPMOST)));
    EXPECT_TRUE(AnswersAsManaged(target.Create(OverlappedWindow, std::string(1020, 'x'), WS_EX_TOPMOST)));
    // Whole-string matching: a pattern without a star stops at the cut.
    WindowManagerSetIgnoreTitle({std::wstring(1022, L'y')});
    EXPECT_TRUE(AnswersAsManaged(target.Create(OverlappedWindow, std::string(1023, 'y'), WS_EX_TOPMOST)));
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, std::string(1022, 'y'), WS_EX_TOPMOST)));
}

TEST(Limits, LongestClassNameAndAnOverflowingList)
{
    HookSession session;
    const std::string longest(255, 'C');
    // The 255-unit class name takes 256 units with its NUL; of the patterns of
    // 99 units after it only seven more fit the list, the rest are left out.
    std::vector<std::wstring> patterns;
    for (int i = 0; i < 30; ++i) patterns.push_back(std::wstring(98, static_cast<wchar_t>(L'a' + i % 26)) + L"*");
    patterns[0] = std::wstring(longest.begin(), longest.end());
    WindowManagerSetIgnoreClass(patterns);
    TargetProcess target;
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, "Longest class", WS_EX_TOPMOST, longest)));
    EXPECT_FALSE(AnswersAsManaged(
        target.Create(OverlappedWindow, "Eighth pattern", WS_EX_TOPMOST, std::string(98, 'h') + "Class")));
    EXPECT_TRUE(AnswersAsManaged(
        target.Create(OverlappedWindow, "Ninth pattern", WS_EX_TOPMOST, std::string(98, 'i') + "Class")));
}

TEST(Limits, EmptyPatternInTheMiddleKeepsTheRestOfTheList)
{
    HookSession session;
    WindowManagerSetIgnoreTitle({L"First", L"", L"Third"});
    TargetProcess target;
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, "First", WS_EX_TOPMOST)));
    EXPECT_FALSE(AnswersAsManaged(target.Create(OverlappedWindow, "Third", WS_EX_TOPMOST)));
    EXPECT_TRUE(AnswersAsManaged(target.Create(OverlappedWindow, "", WS_EX_TOPMOST)));
}

} // namespace
