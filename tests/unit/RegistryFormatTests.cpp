#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RegistryFormat.h"

namespace {

using Strings = std::vector<std::wstring>;

TEST(SplitMultiString, StopsAtTheFirstEmptyString)
{
    const wchar_t data[] = {L'a', 0, L'b', L'c', 0, 0, L'x', 0, 0};
    EXPECT_EQ(SplitMultiString(data, 9), (Strings{L"a", L"bc"}));
    const wchar_t leadingZero[] = {0, L'a', 0, 0};
    EXPECT_TRUE(SplitMultiString(leadingZero, 4).empty());
    EXPECT_TRUE(SplitMultiString(data, 0).empty());
}

TEST(SplitMultiString, UnterminatedDataEndsAtItsSize)
{
    const wchar_t data[] = {L'a', 0, L'b', L'c', L'!'};
    EXPECT_EQ(SplitMultiString(data, 4), (Strings{L"a", L"bc"}));
    EXPECT_EQ(SplitMultiString(data, 1), (Strings{L"a"}));
}

TEST(EncodeMultiString, LayoutAndLimits)
{
    wchar_t out[8];
    std::fill(std::begin(out), std::end(out), L'#');
    EXPECT_EQ(EncodeMultiString(Strings{}, out, 8), 1u);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(EncodeMultiString(Strings{L"ab", L"c"}, out, 8), 6u);
    const wchar_t expected[] = {L'a', L'b', 0, L'c', 0, 0};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), out));
    // Seven units would be needed: refused, nothing written.
    std::fill(std::begin(out), std::end(out), L'#');
    EXPECT_EQ(EncodeMultiString(Strings{L"abc", L"de"}, out, 6), 0u);
    EXPECT_EQ(out[0], L'#');
    EXPECT_EQ(EncodeMultiString(Strings{L"ab", L"d"}, out, 6), 6u);
}

struct Split {
    std::wstring root, subKey, valueName;
};

Split SplitPath(const std::wstring& path)
{
    std::wstring working = path;
    const RegistryPathParts<wchar_t> parts = SplitRegistryPath(&working[0]);
    return {parts.root, parts.subKey, parts.valueName};
}

TEST(SplitRegistryPath, RootSubKeyAndValue)
{
    Split split = SplitPath(L"HKCU\\Software\\Example\\Target");
    EXPECT_EQ(split.root, L"HKCU");
    EXPECT_EQ(split.subKey, L"Software\\Example");
    EXPECT_EQ(split.valueName, L"Target");
    split = SplitPath(L"HKCU\\Target");
    EXPECT_EQ(split.subKey, L"Target");
    EXPECT_EQ(split.valueName, L"Target");
    split = SplitPath(L"HKLM");
    EXPECT_EQ(split.root, L"HKLM");
    EXPECT_EQ(split.subKey, L"");
    EXPECT_EQ(split.valueName, L"");
    split = SplitPath(L"HKCU\\Key\\");
    EXPECT_EQ(split.subKey, L"Key");
    EXPECT_EQ(split.valueName, L"");
}

TEST(SplitRegistryPath, SixteenBitUnits)
{
    std::u16string path = u"HKU\\A\\B\\C";
    const RegistryPathParts<char16_t> parts = SplitRegistryPath(&path[0]);
    EXPECT_EQ(std::u16string(parts.root), u"HKU");
    EXPECT_EQ(std::u16string(parts.subKey), u"A\\B");
    EXPECT_EQ(std::u16string(parts.valueName), u"C");
}

} // namespace
