// Whatever is stored under the settings key, the settings load keeps the
// defaults for what it cannot read, reads nothing outside the returned
// bytes, and the save writes back a key that loads again unchanged.
#include <cstdio>
#include <cstring>

#include "Settings.h"
#include "TrayFixture.h"

using namespace harness;

namespace {

const DWORD HostileTypes[] = {REG_SZ, REG_BINARY, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_NONE};
const DWORD HostileSizes[] = {0, 1, 3, 4, 1023, 1024, 1025, 4096};
const BYTE Fills[] = {0x41, 0x00};

bool SwitchOf(const Settings& settings, int index)
{
    const bool switches[] = {settings.enableSendToBack, settings.enableMinimizeWindowToTray,
                             settings.enableRollupToggle, settings.enableInteractiveMove};
    return switches[index];
}

const std::vector<std::wstring>& ListOf(const Settings& settings, int index)
{
    return index == 4 ? settings.ignoreTitles : settings.ignoreClasses;
}

bool SameSettings(const Settings& a, const Settings& b)
{
    for (int i = 0; i < 4; ++i) {
        if (SwitchOf(a, i) != SwitchOf(b, i)) return false;
    }
    return a.ignoreTitles == b.ignoreTitles && a.ignoreClasses == b.ignoreClasses;
}

class RegistryHostility : public TrayTest {};

TEST_F(RegistryHostility, EveryValueWithEveryTypeAndSize)
{
    const Settings defaults;
    int cases = 0;
    int grown = 0;
    for (int index = 0; index < 6; ++index) {
        const wchar_t* name = SettingsValueNames[index];
        for (DWORD type : HostileTypes) {
            for (DWORD size : HostileSizes) {
                for (BYTE fill : Fills) {
                    ++cases;
                    SCOPED_TRACE(testing::Message() << "value " << index << " type " << type << " size " << size
                                                    << " fill " << int(fill));
                    DeleteHovelleKey();
                    const std::vector<BYTE> written(size, fill);
                    SetHovelleValue(name, type, written.data(), size);
                    // The registry may add terminators to string types: what
                    // the load meets is what is stored now.
                    const std::vector<BYTE> data = ReadHovelleValue(name).data;

                    Settings loaded;
                    LoadSettings(loaded);
                    const bool readable = data.size() <= 1024;
                    for (int other = 0; other < 6; ++other) {
                        if (other == index) continue;
                        if (other < 4) {
                            EXPECT_EQ(SwitchOf(loaded, other), SwitchOf(defaults, other));
                        } else {
                            EXPECT_EQ(ListOf(loaded, other), ListOf(defaults, other));
                        }
                    }
                    if (!readable) {
                        // The registry refuses more than a query takes: the
                        // value keeps its default and stays as stored.
                        if (index < 4) {
                            EXPECT_EQ(SwitchOf(loaded, index), SwitchOf(defaults, index));
                        } else {
                            EXPECT_EQ(ListOf(loaded, index), ListOf(defaults, index));
                        }
                    } else if (index < 4) {
                        EXPECT_EQ(SwitchOf(loaded, index), !data.empty() && fill != 0);
                    } else {
                        // One string of the whole units up to the first zero unit, if any.
                        size_t units = 0;
                        while (units < data.size() / 2 && (data[2 * units] | data[2 * units + 1]) != 0) ++units;
                        std::vector<std::wstring> expected;
                        if (units > 0) expected.push_back(std::wstring(units, L'\x4141'));
                        EXPECT_EQ(ListOf(loaded, index), expected);
                    }

                    SaveSettings(loaded);
                    const StoredValue stored = ReadHovelleValue(name);
                    ASSERT_TRUE(stored.present);
                    if (!readable) {
                        EXPECT_EQ(stored.type, type);
                        EXPECT_EQ(stored.data, data) << "an unreadable value is left as stored";
                    } else {
                        EXPECT_EQ(stored.type, static_cast<DWORD>(index < 4 ? REG_DWORD : REG_MULTI_SZ));
                        Settings again;
                        LoadSettings(again);
                        // A list read from data without terminators is written
                        // with them; past the 1024 bytes a query takes it can
                        // no longer be read, and the next load keeps the default.
                        const bool grewPastQuery = index >= 4 && ReadHovelleValue(name).data.size() > 1024;
                        if (grewPastQuery) {
                            ++grown;
                            EXPECT_EQ(ListOf(again, index), ListOf(defaults, index));
                        } else {
                            EXPECT_TRUE(SameSettings(again, loaded)) << "the rewritten key loads unchanged";
                        }
                    }
                }
            }
        }
    }
    std::printf("%d hostile registry cases, %d lists rewritten past what a load reads\n", cases, grown);
    EXPECT_EQ(cases, 6 * 6 * 8 * 2);
}

TEST_F(RegistryHostility, ListsOfLongStringsAndWithoutTerminators)
{
    // One 511-unit string and its terminators: 1026 bytes, one more than a query takes.
    SetHovelleUnits(L"IgnoreTitles", std::wstring(511, L'T') + std::wstring(1, L'\0') + std::wstring(1, L'\0'));
    // A list whose last string lacks its terminator: it ends at the data's size.
    SetHovelleUnits(L"IgnoreClasses", std::wstring(L"One") + std::wstring(1, L'\0') + L"Two");
    Settings loaded;
    LoadSettings(loaded);
    EXPECT_EQ(loaded.ignoreTitles, Settings().ignoreTitles);
    EXPECT_EQ(loaded.ignoreClasses, Settings().ignoreClasses) << "the load ended at the unreadable list";
    DeleteHovelleKey();
    SetHovelleUnits(L"IgnoreClasses", std::wstring(L"One") + std::wstring(1, L'\0') + L"Two");
    SetHovelleUnits(L"IgnoreTitles", std::wstring(510, L'T') + std::wstring(2, L'\0'));
    Settings fits;
    LoadSettings(fits);
    EXPECT_EQ(fits.ignoreTitles, std::vector<std::wstring>{std::wstring(510, L'T')});
    EXPECT_EQ(fits.ignoreClasses, (std::vector<std::wstring>{L"One", L"Two"}));
}

TEST_F(RegistryHostility, TheProgramStartsWhateverIsStored)
{
    struct Store {
        DWORD type;
        DWORD size;
        BYTE fill;
    } stores[] = {{REG_BINARY, 4096, 0x41}, {REG_NONE, 0, 0}, {REG_SZ, 1023, 0x41}, {REG_QWORD, 8, 0xFF}};
    for (const Store& store : stores) {
        SCOPED_TRACE(testing::Message() << "type " << store.type << " size " << store.size);
        DeleteHovelleKey();
        const std::vector<BYTE> data(store.size, store.fill);
        for (const wchar_t* name : SettingsValueNames) SetHovelleValue(name, store.type, data.data(), store.size);
        HovelleProcess hovelle;
        ASSERT_TRUE(hovelle.WaitUntilReady());
        PostMessageW(hovelle.MainWindow(), WM_COMMAND, 1003, 0);
        EXPECT_EQ(hovelle.WaitForExit(), 0u);
        for (const wchar_t* name : SettingsValueNames) EXPECT_TRUE(ReadHovelleValue(name).present);
    }
}

} // namespace
