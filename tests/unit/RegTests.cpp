// The registry wrapper against the real (Wine) registry, below a scratch key
// of the current user.
#include <gtest/gtest.h>

#include <cstring>

#include "Reg.h"
#include "WindowsError.h"

namespace {

const wchar_t* const Scratch = L"Software\\Tenvale\\HovelleTests";

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, Scratch);
        CReg user;
        user.Open(HKEY_CURRENT_USER, L"Software");
        user.CreateKey(L"Tenvale\\HovelleTests", &key);
    }
    void TearDown() override
    {
        key.Close();
        RegDeleteTreeW(HKEY_CURRENT_USER, Scratch);
    }

    void Store(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        ASSERT_EQ(RegSetValueExW(key.Handle(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }

    CReg key;
};

template <typename Operation>
CWindowsError Thrown(Operation operation)
{
    try {
        operation();
    } catch (const CWindowsError& error) {
        return error;
    }
    return CWindowsError(0, L"(nothing thrown)");
}

TEST_F(RegistryTest, MissingKeyThrowsOpenWithCodeTwo)
{
    CReg missing;
    const CWindowsError error = Thrown([&] { missing.Open(HKEY_CURRENT_USER, L"Software\\Tenvale\\NoSuchKey"); });
    EXPECT_EQ(error.ErrorCode(), 2u);
    EXPECT_EQ(error.Operation(), L"CReg::Open: ");
    EXPECT_EQ(error.Message().rfind(L"CReg::Open: ", 0), 0u);
    EXPECT_EQ(missing.Handle(), nullptr);
}

TEST_F(RegistryTest, ValuesRoundTripAndMissingValueIsNotAnError)
{
    CRegValue value;
    value.type = REG_DWORD;
    const DWORD number = 0x12345678;
    std::memcpy(value.data, &number, 4);
    value.size = 4;
    key.SetValue(L"Number", value);
    CRegValue read;
    ASSERT_TRUE(key.QueryValue(L"Number", read));
    EXPECT_EQ(read.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(read.size, 4u);
    DWORD back = 0;
    std::memcpy(&back, read.data, 4);
    EXPECT_EQ(back, number);
    EXPECT_FALSE(key.QueryValue(L"Absent", read));
}

TEST_F(RegistryTest, StringListsRoundTrip)
{
    key.SetStringList(L"List", {L"first", L"Second *", L"?"});
    EXPECT_EQ(key.QueryStringList(L"List", {L"default"}),
              (std::vector<std::wstring>{L"first", L"Second *", L"?"}));
    key.SetStringList(L"Empty", {});
    CRegValue raw;
    ASSERT_TRUE(key.QueryValue(L"Empty", raw));
    EXPECT_EQ(raw.type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(raw.size, 2u);
    EXPECT_TRUE(key.QueryStringList(L"Empty", {L"default"}).empty());
    EXPECT_EQ(key.QueryStringList(L"Absent", {L"default"}), (std::vector<std::wstring>{L"default"}));
}

TEST_F(RegistryTest, StoredListStopsAtItsFirstEmptyString)
{
    const wchar_t data[] = L"a\0b\0\0ignored\0";
    Store(L"Odd", REG_MULTI_SZ, data, sizeof data);
    EXPECT_EQ(key.QueryStringList(L"Odd", {}), (std::vector<std::wstring>{L"a", L"b"}));
    // Without terminators the data ends at its size.
    Store(L"Bare", REG_BINARY, L"abc", 6);
    EXPECT_EQ(key.QueryStringList(L"Bare", {}), (std::vector<std::wstring>{L"abc"}));
    // An odd byte count reads only whole units.
    Store(L"OddBytes", REG_BINARY, L"xy", 3);
    EXPECT_EQ(key.QueryStringList(L"OddBytes", {}), (std::vector<std::wstring>{L"x"}));
}

TEST_F(RegistryTest, ListsBeyondTheReadCapacityAndTheHolder)
{
    // 600 units: written, but longer than the 1024 bytes a read offers.
    key.SetStringList(L"Long", {std::wstring(300, L'a'), std::wstring(297, L'b')});
    const CWindowsError tooLong = Thrown([&] { key.QueryStringList(L"Long", {}); });
    EXPECT_EQ(tooLong.ErrorCode(), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(tooLong.Operation(), L"CReg::QueryValue: ");
    // 1025 units do not fit the 2048-byte holder: refused, nothing stored.
    const CWindowsError tooLarge = Thrown([&] { key.SetStringList(L"Huge", {std::wstring(1023, L'c')}); });
    EXPECT_EQ(tooLarge.ErrorCode(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(tooLarge.Operation(), L"CReg::SetValue: ");
    CRegValue value;
    EXPECT_FALSE(key.QueryValue(L"Huge", value));
    // 1024 units fit exactly.
    EXPECT_NO_THROW(key.SetStringList(L"Full", {std::wstring(1022, L'd')}));
}

TEST_F(RegistryTest, CreateKeyIntoTargetAndWithout)
{
    key.CreateKey(L"Child", nullptr);
    CReg child;
    EXPECT_NO_THROW(child.Open(key.Handle(), L"Child"));
    CReg grandChild;
    child.CreateKey(L"Grand", &grandChild);
    EXPECT_NE(grandChild.Handle(), nullptr);
    EXPECT_NE(grandChild.Handle(), child.Handle());
}

class ReadRegistryStringTest : public RegistryTest {
protected:
    std::wstring Read(const wchar_t* path, size_t capacity = 64)
    {
        std::vector<wchar_t> output(capacity + 4, L'#');
        ReadRegistryString(path, output.data(), capacity);
        for (size_t i = capacity; i < output.size(); ++i) EXPECT_EQ(output[i], L'#') << "written past capacity";
        const std::wstring text = output.data();
        for (size_t i = text.size(); i < capacity; ++i) EXPECT_EQ(output[i], 0) << "rest not cleared at " << i;
        return output.data();
    }
};

TEST_F(ReadRegistryStringTest, PathsRootsAndTypes)
{
    const wchar_t target[] = L"File:C:\\log.txt";
    Store(L"Target", REG_SZ, target, sizeof target);
    const DWORD number = 7;
    Store(L"Number", REG_DWORD, &number, 4);
    EXPECT_EQ(Read(L"HKCU\\Software\\Tenvale\\HovelleTests\\Target"), L"File:C:\\log.txt");
    EXPECT_EQ(Read(L"HKEY_CURRENT_USER\\Software\\Tenvale\\HovelleTests\\Target"), L"File:C:\\log.txt");
    EXPECT_EQ(Read(L"hkcu\\Software\\Tenvale\\HovelleTests\\Target"), L"");
    EXPECT_EQ(Read(L"HKCU\\Software\\Tenvale\\HovelleTests\\Number"), L"");
    EXPECT_EQ(Read(L"HKCU\\Software\\Tenvale\\HovelleTests\\Absent"), L"");
    EXPECT_EQ(Read(L"HKCU\\Software\\Tenvale\\NoKey\\Target"), L"");
    EXPECT_EQ(Read(L"HKCU"), L"");
    EXPECT_EQ(Read(L""), L"");
}

TEST_F(ReadRegistryStringTest, SubKeyDoublesAsValueName)
{
    CReg sub;
    CReg user;
    user.Open(HKEY_CURRENT_USER, L"");
    user.CreateKey(L"HovelleTestsTarget", &sub);
    const wchar_t text[] = L"OutputDebug:";
    ASSERT_EQ(RegSetValueExW(sub.Handle(), L"HovelleTestsTarget", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             sizeof text),
              ERROR_SUCCESS);
    EXPECT_EQ(Read(L"HKCU\\HovelleTestsTarget"), L"OutputDebug:");
    sub.Close();
    RegDeleteTreeW(HKEY_CURRENT_USER, L"HovelleTestsTarget");
}

TEST_F(ReadRegistryStringTest, CopiesAreBoundedAndTerminated)
{
    const wchar_t text[] = L"0123456789";
    Store(L"Digits", REG_SZ, text, sizeof text);
    EXPECT_EQ(Read(L"HKCU\\Software\\Tenvale\\HovelleTests\\Digits", 5), L"0123");
    EXPECT_EQ(Read(L"HKCU\\Software\\Tenvale\\HovelleTests\\Digits", 11), L"0123456789");
    // A string stored without its terminator ends at the stored size.
    Store(L"Bare", REG_SZ, L"abcdef", 6);
    EXPECT_EQ(Read(L"HKCU\\Software\\Tenvale\\HovelleTests\\Bare"), L"abc");
    // A path longer than 1023 characters is cut, not overrun.
    EXPECT_EQ(Read((L"HKCU\\" + std::wstring(3000, L'k') + L"\\v").c_str()), L"");
}

} // namespace
