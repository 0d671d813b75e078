// The settings in the registry as the real program reads and rewrites them,
// and what reaches the hook library's shared tables.
#include <string>

#include "TrayFixture.h"

using namespace harness;

namespace {

using namespace std::string_literals;

const wchar_t* const Switches[4] = {L"EnableSendToBack", L"EnableMinimizeWindowToTray", L"EnableRollupToggle",
                                    L"EnableInteractiveMove"};

// Starts the program, waits until it runs, and lets it exit again.
void RunHovelleOnce()
{
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());
    // The hook library is configured before the windows exist; read the
    // tables while the program still runs.
}

std::wstring PatternList(const wchar_t* buffer)
{
    size_t end = 0;
    while (end + 1 < 1024 && !(buffer[end] == 0 && (end == 0 || buffer[end - 1] == 0))) ++end;
    return std::wstring(buffer, end + 1);
}

struct Binding {
    bool doubleClick;
    MoxButton button;
    int modifier;
    int hitTest;
};

MoxAction Read(const Binding& binding)
{
    return binding.doubleClick ? GetMouseActionDblClk(binding.button, binding.modifier, binding.hitTest)
                               : GetMouseAction(binding.button, binding.modifier, binding.hitTest);
}

TEST_F(TrayTest, FirstStartWritesTheDefaultsAndSetsThirteenBindings)
{
    FakeTray tray;
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());

    for (const wchar_t* name : Switches) {
        const StoredValue value = ReadHovelleValue(name);
        ASSERT_TRUE(value.present) << name;
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(value.data.size(), 4u);
        EXPECT_EQ(value.Dword(), 1u);
    }
    const StoredValue titles = ReadHovelleValue(L"IgnoreTitles");
    EXPECT_EQ(titles.type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(titles.Units(), L"QuickTimePlayer\0\0"s);
    const StoredValue classes = ReadHovelleValue(L"IgnoreClasses");
    EXPECT_EQ(classes.type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(classes.Units(), L"JWinproj*\0\0"s);

    const SharedSectionView& shared = *FindSharedSection().data;
    EXPECT_EQ(PatternList(shared.IgnoreTitlePatterns), L"QuickTimePlayer\0\0"s);
    EXPECT_EQ(PatternList(shared.IgnoreClassPatterns), L"JWinproj*\0\0"s);

    // The thirteen bindings, and nothing else bound.
    std::vector<std::pair<Binding, MoxAction>> expected = {
        {{false, MoxButtonRight, 0, HTCAPTION}, MoxActionSendToBack},
        {{false, MoxButtonRight, 0, HTMINBUTTON}, MoxActionMinimizeToTray},
        {{true, MoxButtonLeft, 0, HTCAPTION}, MoxActionRollup},
        {{false, MoxButtonRight, 0, HTMAXBUTTON}, MoxActionMaximizeMenu},
    };
    for (int hit = HTLEFT; hit <= HTBORDER; ++hit) expected.push_back({{false, MoxButtonLeft, 1, hit}, MoxActionMove});
    int bound = 0;
    for (int table = 0; table < 2; ++table) {
        for (int button = 0; button < 3; ++button) {
            for (int modifier = 0; modifier < 3; ++modifier) {
                for (int hit = 0; hit < 22; ++hit) {
                    const Binding binding = {table == 1, static_cast<MoxButton>(button), modifier, hit};
                    if (Read(binding) != MoxActionNone) ++bound;
                }
            }
        }
    }
    EXPECT_EQ(bound, 13);
    for (const auto& entry : expected) EXPECT_EQ(Read(entry.first), entry.second) << entry.first.hitTest;
}

TEST_F(TrayTest, StoredSwitchesAndListsAreReadAndRewritten)
{
    SetHovelleDword(L"EnableRollupToggle", 0);
    // "0" as text: the code unit of the digit and a NUL make a non-zero word.
    SetHovelleUnits(L"EnableSendToBack", L"0"s + L'\0', REG_SZ);
    // Two bytes of a switch: the missing bytes count as zero.
    const BYTE shortData[2] = {0, 0};
    SetHovelleValue(L"EnableInteractiveMove", REG_BINARY, shortData, sizeof shortData);
    SetHovelleUnits(L"IgnoreTitles", L"\0"s);
    SetHovelleUnits(L"IgnoreClasses", L"a\0\0b\0\0"s);
    RunHovelleOnce();

    EXPECT_EQ(GetMouseActionDblClk(MoxButtonLeft, 0, HTCAPTION), MoxActionNone);
    EXPECT_EQ(GetMouseAction(MoxButtonRight, 0, HTCAPTION), MoxActionSendToBack);
    EXPECT_EQ(GetMouseAction(MoxButtonRight, 0, HTMINBUTTON), MoxActionMinimizeToTray);
    EXPECT_EQ(GetMouseAction(MoxButtonRight, 0, HTMAXBUTTON), MoxActionMaximizeMenu);
    for (int hit = HTLEFT; hit <= HTBORDER; ++hit) EXPECT_EQ(GetMouseAction(MoxButtonLeft, 1, hit), MoxActionNone);

    const SharedSectionView& shared = *FindSharedSection().data;
    EXPECT_EQ(PatternList(shared.IgnoreTitlePatterns), L"\0"s);
    EXPECT_EQ(PatternList(shared.IgnoreClassPatterns), L"a\0\0"s);

    const StoredValue rollup = ReadHovelleValue(L"EnableRollupToggle");
    EXPECT_EQ(rollup.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(rollup.Dword(), 0u);
    const StoredValue sendToBack = ReadHovelleValue(L"EnableSendToBack");
    EXPECT_EQ(sendToBack.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(sendToBack.data.size(), 4u);
    EXPECT_EQ(sendToBack.Dword(), 1u);
    EXPECT_EQ(ReadHovelleValue(L"EnableInteractiveMove").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(ReadHovelleValue(L"EnableInteractiveMove").Dword(), 0u);
    EXPECT_EQ(ReadHovelleValue(L"IgnoreTitles").Units(), L"\0"s);
    EXPECT_EQ(ReadHovelleValue(L"IgnoreClasses").Units(), L"a\0\0"s);
}

TEST_F(TrayTest, UnreadableListEndsTheLoadAndIsNotOverwritten)
{
    SetHovelleDword(L"EnableMinimizeWindowToTray", 0);
    // More than the 1024 bytes a query takes: 100 patterns of 7 units.
    std::wstring longList;
    for (int i = 0; i < 100; ++i) longList += L"Title" + std::to_wstring(i % 10) + L"*" + L'\0';
    longList += L'\0';
    ASSERT_GT(longList.size() * sizeof(wchar_t), 1024u);
    SetHovelleUnits(L"IgnoreTitles", longList);
    SetHovelleUnits(L"IgnoreClasses", L"Mine*\0\0"s);
    RunHovelleOnce();

    // The switch before the list was read; both lists keep their defaults.
    EXPECT_EQ(GetMouseAction(MoxButtonRight, 0, HTMINBUTTON), MoxActionNone);
    EXPECT_EQ(GetMouseAction(MoxButtonRight, 0, HTCAPTION), MoxActionSendToBack);
    const SharedSectionView& shared = *FindSharedSection().data;
    EXPECT_EQ(PatternList(shared.IgnoreTitlePatterns), L"QuickTimePlayer\0\0"s);
    EXPECT_EQ(PatternList(shared.IgnoreClassPatterns), L"JWinproj*\0\0"s);

    // The switches are rewritten; the values the load could not reach keep
    // what the user stored instead of being replaced by the defaults.
    EXPECT_EQ(ReadHovelleValue(L"EnableMinimizeWindowToTray").Dword(), 0u);
    EXPECT_EQ(ReadHovelleValue(L"EnableSendToBack").Dword(), 1u);
    EXPECT_EQ(ReadHovelleValue(L"IgnoreTitles").Units(), longList);
    EXPECT_EQ(ReadHovelleValue(L"IgnoreClasses").Units(), L"Mine*\0\0"s);
}

} // namespace
