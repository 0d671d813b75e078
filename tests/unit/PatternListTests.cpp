#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PatternList.h"

namespace {

bool Match(const wchar_t* text, const wchar_t* pattern)
{
    return MatchPattern(text, pattern);
}

TEST(MatchPattern, StarDoesNotBacktrack)
{
    EXPECT_FALSE(Match(L"aab", L"*ab"));
    EXPECT_FALSE(Match(L"abcbc", L"a*c"));
    EXPECT_TRUE(Match(L"abc", L"a*c"));
    EXPECT_TRUE(Match(L"abbbc", L"a*c"));
}

TEST(MatchPattern, TrailingStars)
{
    EXPECT_TRUE(Match(L"a", L"a*"));
    EXPECT_TRUE(Match(L"abc", L"a*"));
    EXPECT_FALSE(Match(L"a", L"a**"));
    EXPECT_TRUE(Match(L"ab", L"a**"));
}

TEST(MatchPattern, LoneStarAndQuestionMark)
{
    EXPECT_TRUE(Match(L"", L"*"));
    EXPECT_TRUE(Match(L"anything at all", L"*"));
    EXPECT_FALSE(Match(L"", L"?"));
    EXPECT_TRUE(Match(L"x", L"?"));
    EXPECT_FALSE(Match(L"xy", L"?"));
    // A '?' right after a '*' consumes nothing.
    EXPECT_TRUE(Match(L"x", L"*?"));
    EXPECT_FALSE(Match(L"", L"*?"));
}

TEST(MatchPattern, WholeStringAndCaseSensitive)
{
    EXPECT_TRUE(Match(L"Notepad", L"Notepad"));
    EXPECT_FALSE(Match(L"Notepad", L"notepad"));
    EXPECT_FALSE(Match(L"Notepad2", L"Notepad"));
    EXPECT_FALSE(Match(L"Note", L"Notepad"));
    EXPECT_TRUE(Match(L"Untitled - Notepad", L"* - Notepad"));
    EXPECT_TRUE(Match(L"", L""));
    EXPECT_FALSE(Match(L"x", L""));
}

TEST(MatchPattern, WorksOnSixteenBitUnits)
{
    EXPECT_TRUE(MatchPattern(u"Caf\u00e9 \u2603", u"Caf? *"));
    EXPECT_FALSE(MatchPattern(u"\u00c9", u"\u00e9"));
}

std::vector<wchar_t> Stored(const std::vector<std::wstring>& patterns, size_t capacity = 1024)
{
    std::vector<wchar_t> buffer(capacity + 8, L'#');
    StorePatternList(buffer.data(), capacity, patterns);
    return buffer;
}

TEST(StorePatternList, EncodingOfTwoPatterns)
{
    const std::vector<wchar_t> buffer = Stored({L"A*", L"B"});
    const std::vector<wchar_t> expected = {L'A', L'*', 0, L'B', 0, 0, L'#'};
    EXPECT_EQ(std::vector<wchar_t>(buffer.begin(), buffer.begin() + 7), expected);
}

TEST(StorePatternList, EmptyVectorAfterLongerListIsEmpty)
{
    std::vector<wchar_t> buffer(1024, L'#');
    StorePatternList<wchar_t>(buffer.data(), buffer.size(), {L"first", L"second"});
    EXPECT_TRUE(MatchPatternList(L"second", buffer.data(), buffer.size()));
    StorePatternList<wchar_t>(buffer.data(), buffer.size(), {});
    EXPECT_EQ(buffer[0], 0);
    EXPECT_FALSE(MatchPatternList(L"second", buffer.data(), buffer.size()));
    EXPECT_FALSE(MatchPatternList(L"", buffer.data(), buffer.size()));
}

TEST(StorePatternList, ListThatDoesNotFitKeepsLeadingPatternsAndStaysInside)
{
    // Ten patterns of 100 units take 1010 units with their NULs, the final NUL
    // makes 1011; the eleventh does not fit.
    std::vector<std::wstring> patterns;
    for (wchar_t c = L'a'; c < L'a' + 15; ++c) patterns.push_back(std::wstring(100, c));
    const std::vector<wchar_t> buffer = Stored(patterns);
    EXPECT_EQ(buffer[1010], 0);
    EXPECT_EQ(buffer[1023], L'#');  // untouched
    for (size_t i = 1024; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], L'#') << "written outside at " << i;
    EXPECT_TRUE(MatchPatternList(std::wstring(100, L'j').c_str(), buffer.data(), 1024));
    EXPECT_FALSE(MatchPatternList(std::wstring(100, L'k').c_str(), buffer.data(), 1024));
}

TEST(StorePatternList, ExactFitAndOneUnitTooMany)
{
    // One pattern of 1022 units plus its NUL and the final NUL fills 1024 exactly.
    std::vector<wchar_t> buffer = Stored({std::wstring(1022, L'x')});
    EXPECT_EQ(buffer[1022], 0);
    EXPECT_EQ(buffer[1023], 0);
    EXPECT_EQ(buffer[1024], L'#');
    buffer = Stored({std::wstring(1023, L'x')});
    EXPECT_EQ(buffer[0], 0);  // nothing fits: the list is empty
    EXPECT_EQ(buffer[1], L'#');
}

TEST(StorePatternList, EmptyPatternInTheMiddleDoesNotEndTheList)
{
    const std::vector<wchar_t> buffer = Stored({L"one", L"", L"two"});
    EXPECT_TRUE(MatchPatternList(L"two", buffer.data(), 1024));
    EXPECT_FALSE(MatchPatternList(L"", buffer.data(), 1024));
}

TEST(MatchPatternList, FirstMatchingPatternAndEnd)
{
    const std::vector<wchar_t> buffer = Stored({L"Shell_*", L"Progman", L"?"});
    EXPECT_TRUE(MatchPatternList(L"Shell_TrayWnd", buffer.data(), 1024));
    EXPECT_TRUE(MatchPatternList(L"Progman", buffer.data(), 1024));
    EXPECT_TRUE(MatchPatternList(L"x", buffer.data(), 1024));
    EXPECT_FALSE(MatchPatternList(L"Notepad", buffer.data(), 1024));
}

TEST(MatchPatternList, ZeroedBufferIsEmptyAndUnterminatedListIsNeverRead)
{
    const wchar_t zeroed[1024] = {};
    EXPECT_FALSE(MatchPatternList(L"", zeroed, 1024));
    const wchar_t unterminated[3] = {L'*', L'*', L'*'};
    EXPECT_FALSE(MatchPatternList(L"abc", unterminated, 3));
}

} // namespace
