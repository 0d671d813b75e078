// The settings as the program loads and rewrites them, whatever is stored,
// and what its first start writes and sets.
#include "Settings.h"
#include "TrayTest.h"

using namespace harness;
using namespace std::string_literals;

namespace {

using Stored = std::pair<DWORD, std::string>;  // type and bytes of a value; ~0u: none
const wchar_t* const Key = L"Software\\Tenvale\\Hovelle";
const wchar_t* const Names[6] = {L"EnableSendToBack", L"EnableMinimizeWindowToTray", L"EnableRollupToggle",
                                 L"EnableInteractiveMove", L"IgnoreTitles", L"IgnoreClasses"};
// As loaded: "1" or "0" for a switch, "|pattern" for each pattern of a list; as stored.
const std::wstring Defaults[6] = {L"1", L"1", L"1", L"1", L"|QuickTimePlayer", L"|JWinproj*"};
const std::wstring DefaultUnits[6] = {L"\1\0"s, L"\1\0"s, L"\1\0"s, L"\1\0"s, L"QuickTimePlayer\0\0"s, L"JWinproj*\0\0"s};

std::string Bytes(const std::wstring& units)
{
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

Stored ReadStored(int index)
{
    DWORD type = 0, size = 8192;
    std::string data(size, '\0');
    if (RegGetValueW(HKEY_CURRENT_USER, Key, Names[index], RRF_RT_ANY, &type, &data[0], &size)) return {~0u, ""};
    return {type, data.substr(0, size)};
}

Stored DefaultStored(int index)
{
    return {index < 4 ? REG_DWORD : REG_MULTI_SZ, Bytes(DefaultUnits[index])};
}

// Stores one value, loads and saves. It must load as `loaded` and be rewritten
// as `saved`, the others as the defaults; but more than the 1024 bytes a load
// reads ends the load there: the value keeps its default, and it and those
// after it stay as they were stored.
void ExpectRoundTrip(int index, DWORD type, const std::string& data, const std::wstring& loaded, const std::string& saved)
{
    RegDeleteTreeW(HKEY_CURRENT_USER, Key);
    RegSetKeyValueW(HKEY_CURRENT_USER, Key, Names[index], type, data.data(), static_cast<DWORD>(data.size()));
    const Stored stored = ReadStored(index);  // Wine adds a terminator to a string type
    const bool unreadable = stored.second.size() > 1024;
    Settings settings;
    LoadSettings(settings);
    SaveSettings(settings);
    const bool switches[4] = {settings.enableSendToBack, settings.enableMinimizeWindowToTray,
                              settings.enableRollupToggle, settings.enableInteractiveMove};
    for (int other = 0; other < 6; ++other) {
        std::wstring list = other < 4 ? (switches[other] ? L"1" : L"0") : L"";
        for (const auto& pattern : other == 4 ? settings.ignoreTitles : settings.ignoreClasses) {
            if (other >= 4) list += L"|" + pattern;
        }
        EXPECT_EQ(list, other == index && !unreadable ? loaded : Defaults[other]) << "value " << other;
        Stored expected = other != index ? DefaultStored(other) : Stored{other < 4 ? REG_DWORD : REG_MULTI_SZ, saved};
        if (unreadable && other >= index) expected = other == index ? stored : Stored{~0u, ""};
        EXPECT_EQ(ReadStored(other), expected) << "value " << other;
    }
}

TEST_F(TrayTest, StoredValuesAreReadAndRewrittenWhateverTheirTypeAndSize)
{
    const std::wstring t510(510, L'T');
    const struct {
        int index;
        DWORD type;
        std::wstring data, loaded, saved;
    } rows[] = {
        {2, REG_DWORD, L"\0\0"s, L"0", L"\0\0"s},
        {0, REG_SZ, L"0\0"s, L"1", L"\1\0"s},          // the text "0": its first unit is not zero
        {3, REG_BINARY, L"\0"s, L"0", L"\0\0"s},       // two bytes: the missing two count as zero
        {1, REG_QWORD, L"\0\0\1\0"s, L"0", L"\0\0"s},  // only the first four bytes count
        {4, REG_MULTI_SZ, L"\0"s, L"", L"\0"s},
        {5, REG_MULTI_SZ, L"a\0\0b\0\0"s, L"|a", L"a\0\0"s},
        {5, REG_MULTI_SZ, L"One\0Two"s, L"|One|Two", L"One\0Two\0\0"s},  // the last one unterminated
        {4, REG_MULTI_SZ, t510 + L"\0\0"s, L"|" + t510, t510 + L"\0\0"s},
        {4, REG_MULTI_SZ, t510 + L"T\0\0"s, L"", L""},  // 1026 bytes
        {5, REG_SZ, std::wstring(513, L'C'), L"", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "value " << row.index << " of " << row.data.size() << " units");
        ExpectRoundTrip(row.index, row.type, Bytes(row.data), row.loaded, Bytes(row.saved));
    }
    // Every value with every type and size: a switch is on when one of its first
    // four bytes is not zero; a list is one pattern of the units up to a zero unit.
    for (int cell = 0; cell < 6 * 6 * 8 * 2; ++cell) {
        const int index = cell / 96;
        const DWORD type = std::vector<DWORD>{REG_SZ, REG_BINARY, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_NONE}[cell / 16 % 6];
        const DWORD size = std::vector<DWORD>{0, 1, 3, 4, 1023, 1024, 1025, 4096}[cell / 2 % 8];
        const char fill = cell % 2 ? '\x41' : '\0';
        SCOPED_TRACE(testing::Message() << "value " << index << ", type " << type << ", " << size << " x " << +fill);
        RegSetKeyValueW(HKEY_CURRENT_USER, Key, Names[index], type, std::string(size, fill).data(), size);
        const std::string stored = ReadStored(index).second;
        const bool on = stored.find_first_not_of('\0') < 4;
        std::wstring units(stored.size() / 2, L'\0');
        CopyMemory(&units[0], stored.data(), units.size() * 2);
        units.resize(units.find(L'\0') < units.size() ? units.find(L'\0') : units.size());
        const std::wstring loaded = index < 4 ? (on ? L"1" : L"0") : units.empty() ? L"" : L"|" + units;
        const std::wstring saved = index < 4 ? (on ? L"\1\0"s : L"\0\0"s) : units + (units.empty() ? L"\0"s : L"\0\0"s);
        ExpectRoundTrip(index, type, std::string(size, fill), loaded, Bytes(saved));
    }
}

TEST_F(TrayTest, FirstStartWritesTheDefaultsSetsTheBindingsAndShowsTheIcon)
{
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    for (int index = 0; index < 6; ++index) EXPECT_EQ(ReadStored(index), DefaultStored(index)) << index;
    // [double click][button][modifier][hit test]: the thirteen bindings, and nothing else bound.
    MoxAction bound[2][3][3][22] = {};
    bound[0][MoxButtonRight][0][HTCAPTION] = MoxActionSendToBack;
    bound[0][MoxButtonRight][0][HTMINBUTTON] = MoxActionMinimizeToTray;
    bound[1][MoxButtonLeft][0][HTCAPTION] = MoxActionRollup;
    bound[0][MoxButtonRight][0][HTMAXBUTTON] = MoxActionMaximizeMenu;
    for (int hit = HTLEFT; hit <= HTBORDER; ++hit) bound[0][MoxButtonLeft][1][hit] = MoxActionMove;
    for (int cell = 0; cell < 2 * 3 * 3 * 22; ++cell) {
        const int twice = cell / 198, button = cell / 66 % 3, modifier = cell / 22 % 3, hit = cell % 22;
        const auto mouse = static_cast<MoxButton>(button);
        EXPECT_EQ(twice ? GetMouseActionDblClk(mouse, modifier, hit) : GetMouseAction(mouse, modifier, hit),
                  bound[twice][button][modifier][hit])
            << "double " << twice << ", button " << button << ", modifier " << modifier << ", hit test " << hit;
    }
    // The icon first (the hook library manages the main window too, with icons of other ids).
    ASSERT_FALSE(tray.notifications.empty());
    const IconNotification& icon = tray.notifications[0];
    EXPECT_EQ(std::vector<UINT>({icon.command, icon.window, icon.id, icon.flags, icon.callbackMessage, icon.iconWidth,
                                 icon.iconHeight}),
              std::vector<UINT>({NIM_ADD, static_cast<UINT>(reinterpret_cast<UINT_PTR>(hovelle.main)), 0,
                                 NIF_MESSAGE | NIF_ICON | NIF_TIP, WM_USER, 32, 32}));
    EXPECT_EQ(icon.tip, L"Window Manager");
    // The hook runs, with the default ignore pattern.
    TargetProcess target;
    EXPECT_EQ(FeatureItems(target.Menu(target.Create(OverlappedWindow, "Any window"))).size(), 4u);
    EXPECT_TRUE(FeatureItems(target.Menu(target.Create(OverlappedWindow, "QuickTimePlayer"))).empty());
}

} // namespace
