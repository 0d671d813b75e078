// Unit tests as tables: the pure functions (with layouts of several monitors and scales), and the toolkit and debug
// log with this process's windows, keys and files.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "DebugLog.h"
#include "DoubleBuffer.h"
#include "HookOwner.h"
#include "MaximizeMenu.h"
#include "MonitorGeometry.h"
#include "MouseBinding.h"
#include "MoveSize.h"
#include "PatternList.h"
#include "Reg.h"
#include "Rollup.h"
#include "Rules.h"
#include "SnapArithmetic.h"
#include "TitleButtonGeometry.h"
#include "WindowsError.h"
#include "WndHandler.h"

namespace {

using namespace std::string_literals;
std::vector<long long> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
template <typename Row, std::size_t N, typename Check> void EachRow(const Row (&rows)[N], Check check)
{ for (std::size_t i = 0; i < N; ++i) { SCOPED_TRACE("row " + std::to_string(i)); check(rows[i]); } }

TEST(PatternList, MatchStoreListAndDoubleBufferRows) {
    struct Match { const char16_t *text, *pattern; bool match; };
    const Match matches[] = {{u"aab", u"*ab", false}, {u"abcbc", u"a*c", false}, {u"abc", u"a*c", true},
        {u"a", u"a*", true}, {u"a", u"a**", false}, {u"ab", u"a**", true}, {u"", u"*", true}, {u"", u"?", false},
        {u"x", u"?", true}, {u"xy", u"?", false}, {u"x", u"*?", true}, {u"", u"*?", false}, {u"", u"", true},
        {u"x", u"", false}, {u"Notepad", u"notepad", false}, {u"Notepad2", u"Notepad", false},
        {u"Note", u"Notepad", false}, {u"Caf\u00e9 \u2603", u"Caf? *", true}, {u"\u00c9", u"\u00e9", false}};
    EachRow(matches, [](const Match& r) { EXPECT_EQ(MatchPattern(r.text, r.pattern), r.match); });
    // The buffer: `capacity` units and one '#' behind them.
    struct Store { std::vector<std::u16string> patterns; std::size_t capacity; std::u16string buffer; std::size_t n; };
    const Store stores[] = {{{u"A*", u"B"}, 7, u"A*\0B\0\0##"s, 6}, {{}, 2, u"\0##"s, 1}, {{u"a"}, 0, u"#", 0},
        {{u"one", u"", u"two"}, 9, u"one\0two\0\0#"s, 9}, {{u"abcd"}, 6, u"abcd\0\0#"s, 6},
        {{u"abc", u"de", u"f"}, 7, u"abc\0\0###"s, 5}, {{u"ab\0c"s}, 4, u"ab\0\0#"s, 4}};
    EachRow(stores, [](const Store& r) {
        std::u16string buffer(r.capacity + 1, u'#');
        EXPECT_EQ(StorePatternList(&buffer[0], r.capacity, r.patterns), r.n);
        EXPECT_EQ(buffer, r.buffer);
    });
    // The lists' double buffer in the shared section: a read that the writer lapped (two writes while it read) reads
    // again; one that a single write passed by stands. Writes during the first read, reads, what the last read saw.
    struct Lap { int writes, reads, seen; };
    const Lap laps[] = {{0, 1, 1}, {1, 1, 1}, {2, 2, 3}, {3, 2, 4}};
    EachRow(laps, [](const Lap& r) {
        static DoubleBuffered<std::array<int, 2>> shared;
        int value = 0, reads = 0;
        const auto write = [&] { ++value, shared.Write([&](std::array<int, 2>& p) { p = {value, value}; }); };
        std::array<int, 2> seen = {};
        shared = {}, write();
        shared.Read([&](const std::array<int, 2>& p) {
            seen[0] = p[0];
            for (int i = 0; reads == 0 && i < r.writes; ++i) write();
            seen[1] = p[1], ++reads;
        });
        EXPECT_EQ(std::vector<int>({reads, seen[0], seen[1]}), std::vector<int>({r.reads, r.seen, r.seen}));
    });
}

// A rule's six values as stored (absent, REG_SZ text, REG_DWORD number, or other raw data) and how it reads.
TEST(Rules, ReadMatchAndAlphaRows)
{
    struct V { unsigned long type; std::string data; };
    const auto sz = [](const std::u16string& t) { return V{1, std::string(reinterpret_cast<const char*>(t.data()), t.size() * 2)}; };
    const auto dw = [](uint32_t n) { return V{4, std::string(reinterpret_cast<const char*>(&n), 4)}; };
    const V none = {~0ul, ""};
    struct Read { std::vector<V> values; int bad; std::u16string text; };  // text: program|class|title|top,opacity,rollup
    const Read reads[] = {{{}, -1, u"||-0,100,0"}, {{sz(u"calc.exe"), sz(u"C*\0x"s), sz(u""), dw(1), dw(10), dw(1)}, -1, u"calc.exe|C*|-1,10,1"},
        {{sz(u"a"s + u"\0"s)}, -1, u"a||-0,100,0"}, {{none, none, none, none, dw(100)}, -1, u"||-0,100,0"},
        {{dw(1)}, 0, u""}, {{none, {2, "x\0"}}, 1, u""}, {{none, none, sz(std::u16string(128, u't'))}, 2, u""},
        {{none, none, sz(std::u16string(127, u't'))}, -1, u"||" + std::u16string(127, u't') + u"-0,100,0"},
        {{none, none, none, dw(2)}, 3, u""}, {{none, none, none, {4, "\1\0\0"s}}, 3, u""}, {{none, none, none, none, dw(9)}, 4, u""},
        {{none, none, none, none, dw(101)}, 4, u""}, {{none, none, none, none, none, {11, std::string(8, '\0')}}, 5, u""}};
    EachRow(reads, [](const Read& r) {
        RawRuleValue values[RuleValueCount];
        for (size_t i = 0; i < r.values.size(); ++i)
            if (r.values[i].type != ~0ul) values[i] = {true, r.values[i].type, {r.values[i].data.begin(), r.values[i].data.end()}};
        BasicRule<char16_t> rule;
        ASSERT_EQ(ParseRule(values, rule), r.bad);
        if (r.bad >= 0) return;
        const std::string n = std::to_string(rule.alwaysOnTop) + "," + std::to_string(rule.opacity) + "," + std::to_string(rule.rollup);
        EXPECT_EQ(rule.program + u"|" + rule.className + u"|" + rule.title + u"-" + std::u16string(n.begin(), n.end()), r.text);
    });
    // The first entry whose three patterns match; an empty pattern matches any text.
    const BasicRule<char16_t> rules[] = {{u"", u"Edit", u""}, {u"*NOTES*.EXE", u"", u"? - Notes"}, {u"", u"", u""}};
    std::vector<BasicRuleEntry<char16_t>> table(3);
    for (int i = 0; i < 3; ++i) EncodeRule(rules[i], table[i]);
    struct Find { const char16_t *program, *className, *title; int count, index; };
    const Find finds[] = {{u"X.EXE", u"Edit", u"", 3, 0}, {u"MYNOTES.EXE", u"Main", u"a - Notes", 3, 1},
        {u"MYNOTES.EXE", u"Main", u"ab - Notes", 2, -1}, {u"NOTES.EXE", u"Edit", u"a - Notes", 3, 0},
        {u"X.EXE", u"edit", u"", 2, -1}, {u"", u"", u"", 3, 2}, {u"", u"", u"", 0, -1}};
    EachRow(finds, [&](const Find& r) { EXPECT_EQ(FindRule(table.data(), r.count, r.program, r.className, r.title), r.index); });
    const std::pair<unsigned, int> alphas[] = {{75, 191}, {10, 26}, {100, 255}, {40, 102}, {50, 128}, {0, 26}, {200, 255}};
    for (const auto& [percent, alpha] : alphas) EXPECT_EQ(AlphaOfPercent(percent), alpha) << percent;
    EXPECT_EQ(table[1].alpha, 255);
    EXPECT_EQ(FileNameOf(u"C:\\A\\b/Notes.exe"s), u"Notes.exe");
}

TEST(SnapArithmetic, MovingAndSizingRows) {
    // Entry 0 is usually the work area W; N and P are narrower than two snap distances.
    const RECT W = {0, 0, 1024, 738}, T = {300, 100, 600, 400}, N = {300, 100, 315, 400};
    const RECT L = {203, 100, 500, 400}, T2 = {306, 100, 700, 400}, P = {300, 100, 305, 400};
    using V = std::vector<RECT>;
    const V WT = {W, T}, WN = {W, N}, WL = {W, L}, LW = {L, W}, WS = {W, {300, 200, 600, 300}}, WP = {W, P};
    const V WQ = {W, {300, 300, 600, 600}}, WB = {W, {100, 100, 400, 400}};
    const V Hi = {{LONG_MAX - 15, 0, LONG_MAX, 100}}, Lo = {{LONG_MIN + 15, 0, LONG_MIN + 99, 99}};
    // edge 0: a move; else the WMSZ_ edge dragged (1 left, 2 right, 3 top, 4 top left, ..., 8 bottom right).
    struct Row { V targets; RECT in; WPARAM edge; RECT out; };
    const Row rows[] = {{WT, {310, 150, 500, 300}, 0, {300, 150, 490, 300}},
        {WT, {290, 150, 480, 300}, 0, {300, 150, 490, 300}}, {WT, {311, 150, 501, 300}, 0, {311, 150, 501, 300}},
        {WT, {606, 150, 706, 250}, 0, {600, 150, 700, 250}}, {WT, {495, 150, 595, 250}, 0, {500, 150, 600, 250}},
        {WT, {195, 150, 295, 250}, 0, {200, 150, 300, 250}}, {WT, {303, 150, 609, 250}, 0, {300, 150, 606, 250}},
        {WN, {306, 150, 406, 250}, 0, {300, 150, 400, 250}}, {WN, {200, 150, 308, 250}, 0, {207, 150, 315, 250}},
        {{W, T, T2}, {303, 150, 403, 250}, 0, {300, 150, 400, 250}}, {WT, {608, 95, 708, 195}, 0, {600, 100, 700, 200}},
        {WN, {311, 150, 320, 250}, 0, {315, 150, 324, 250}}, {WL, {5, 150, 200, 300}, 0, {0, 150, 195, 300}},
        {LW, {5, 150, 200, 300}, 0, {8, 150, 203, 300}}, {WT, {350, 404, 550, 504}, 0, {350, 400, 550, 500}},
        {WT, {350, 200, 550, 395}, 0, {350, 205, 550, 400}}, {WT, {350, 20, 550, 95}, 0, {350, 25, 550, 100}},
        {{}, {5, 5, 100, 100}, 0, {5, 5, 100, 100}}, {{W, T2, T}, {303, 150, 403, 250}, 0, {306, 150, 406, 250}},
        {WS, {305, 100, 500, 500}, 0, {305, 100, 500, 500}}, {WS, {305, 250, 500, 650}, 0, {300, 250, 495, 650}},
        {Hi, {LONG_MAX - 20, 10, LONG_MAX, 50}, 0, {LONG_MAX - 15, 0, LONG_MAX, 40}},
        {WB, {405, 395, 600, 600}, 4, {400, 400, 600, 600}}, {WT, {305, 105, 595, 395}, 2, {305, 105, 600, 395}},
        {WT, {305, 105, 595, 395}, 1, {300, 105, 595, 395}}, {WB, {405, 395, 600, 600}, 3, {405, 395, 600, 600}},
        {WT, {305, 105, 595, 395}, 3, {305, 100, 595, 395}}, {WT, {305, 105, 595, 395}, 4, {300, 100, 595, 395}},
        {Lo, {LONG_MIN, 10, LONG_MIN + 20, 50}, 0, {LONG_MIN, 0, LONG_MIN + 15, 40}},
        {WT, {305, 105, 595, 395}, 5, {305, 100, 600, 395}}, {WT, {305, 105, 595, 395}, 6, {305, 105, 595, 400}},
        {WT, {305, 105, 595, 395}, 7, {300, 105, 595, 400}}, {WT, {305, 105, 595, 395}, 8, {305, 105, 600, 400}},
        {WQ, {100, 350, 294, 450}, 2, {100, 350, 300, 450}}, {WP, {100, 150, 303, 300}, 2, {100, 150, 305, 300}},
        {WP, {302, 150, 500, 300}, 1, {300, 150, 500, 300}}, {WQ, {100, 150, 294, 250}, 2, {100, 150, 294, 250}},
        {WQ, {350, 100, 450, 293}, 6, {350, 100, 450, 300}}, {WT, {305, 105, 595, 395}, 9, {305, 105, 595, 395}}};
    EachRow(rows, [](const Row& r) {
        RECT rect = r.in;
        if (r.edge == 0) SnapMovingRect(rect, r.targets.data(), r.targets.size());
        else SnapSizingRect(rect, r.edge, r.targets.data(), r.targets.size());
        EXPECT_EQ(Edges(rect), Edges(r.out));
    });
}

SHORT keyWords[3];  // what the key state reads for Ctrl, Alt and Shift
SHORT WINAPI KeyWord(int key) { return keyWords[key == VK_MENU ? 1 : key == VK_SHIFT ? 2 : 0]; }
unsigned long long StartOf(unsigned long id) { return id == 10 ? 500 : id == 12 ? ProcessNotAsked : 0; }

TEST(HookDecisions, ButtonBindingKeyStateAndHookOwnerRows) {
    const MoxButton Left = MoxButtonLeft, Middle = MoxButtonMiddle, Right = MoxButtonRight;
    struct Decode { UINT message; int event; };  // button value * 100 + press * 10 + double click, or -1
    const Decode decodes[] = {{WM_NCLBUTTONDOWN, 10}, {WM_NCLBUTTONUP, 0}, {WM_NCLBUTTONDBLCLK, 1}, {0x00AA, -1},
        {WM_NCRBUTTONDOWN, 210}, {WM_NCRBUTTONUP, 200}, {WM_NCRBUTTONDBLCLK, 201}, {WM_NCMBUTTONDOWN, 110},
        {WM_NCMBUTTONUP, 100}, {WM_NCMBUTTONDBLCLK, 101}, {WM_NCMOUSEMOVE, -1}, {WM_LBUTTONDOWN, -1}};
    EachRow(decodes, [](const Decode& r) {
        NcButtonEvent e = {};
        EXPECT_EQ(DecodeNcButtonMessage(r.message, e) ? e.button * 100 + e.press * 10 + e.doubleClick : -1, r.event);
    });
    // Every other element, and a second table behind the first, hold SendToBack: a read elsewhere shows.
    static BindingTable tables[2];
    std::fill_n(&tables[0][0][0][0], 2 * sizeof(BindingTable) / sizeof(MoxAction), MoxActionSendToBack);
    BindingTable& t = tables[0];
    t[Right][ModifierCtrl][HTCAPTION] = MoxActionMove, t[Right][ModifierAlt][HTHELP] = MoxActionMaximizeMenu;
    t[Middle][0][HTCAPTION] = MoxActionRollup, t[Left][0][HTRIGHT] = MoxActionMinimize;
    t[Left][0][HTCAPTION] = static_cast<MoxAction>(7), t[Left][0][HTLEFT] = static_cast<MoxAction>(-1);
    struct Lookup { int button, modifier; WPARAM hitTest; MoxAction action; };
    const Lookup lookups[] = {{Right, ModifierCtrl, HTCAPTION, MoxActionMove}, {Left, 0, HTRIGHT, MoxActionMinimize},
        {Right, ModifierAlt, HTHELP, MoxActionMaximizeMenu}, {Middle, 0, HTCAPTION, MoxActionRollup},
        {Left, 0, HTNOWHERE, MoxActionSendToBack}, {Left, 0, HTCAPTION, MoxActionNone}, {Left, 0, 22, MoxActionNone},
        {Left, ModifierCtrl | ModifierAlt, HTCAPTION, MoxActionNone}, {Left, ModifierShift, HTCAPTION, MoxActionNone},
        {Left, -1, HTCAPTION, MoxActionNone}, {Left, 0, HTLEFT, MoxActionNone}, {3, 0, HTCAPTION, MoxActionNone},
        {Left, 0, WPARAM(HTERROR), MoxActionNone}};
    EachRow(lookups, [&](const Lookup& r) {
        EXPECT_EQ(LookupBinding(t, static_cast<MoxButton>(r.button), r.modifier, r.hitTest), r.action);
    });
    // Key-state words: only the high bit is a key held now. Bit 0, "pressed since the last query", Wine never sets.
    struct Keys { SHORT ctrl, alt, shift; int wanted, held; };
    const Keys keys[] = {{SHORT(0x8000), 0, 0, 7, 1}, {1, 1, 1, 7, 0}, {SHORT(0x8001), 1, SHORT(0x8000), 7, 5},
        {0, SHORT(0x8001), 0, 7, 2}, {SHORT(0x8000), SHORT(0x8000), SHORT(0x8000), ModifierAlt, 2}};
    EachRow(keys, [](const Keys& r) {
        keyWords[0] = r.ctrl, keyWords[1] = r.alt, keyWords[2] = r.shift;
        EXPECT_EQ(ReadModifierState(KeyWord, r.wanted), r.held);
    });
    // Whether a start installs a hook (Wine keeps calling one whose process has ended): process 10 runs since 500,
    // 11 has ended, 12 may not be asked.
    struct Owner { bool installed; HookOwner owner; bool install; };
    const Owner owners[] = {{false, {10, 500}, true}, {true, {10, 500}, false}, {true, {11, 500}, true},
        {true, {10, 499}, true}, {true, {12, 500}, false}};
    EachRow(owners, [](const Owner& r) { EXPECT_EQ(HookNeedsInstall(r.installed, r.owner, StartOf), r.install); });
}

TEST(WindowArithmetic, TitleButtonRollupMaximizeAndMoveSizeRows) {
    const CaptionMetrics m = {18, 20, 12, 14, 4, 6, 3, 1};
    const DWORD C = WS_CAPTION, S = WS_SYSMENU, Min = WS_MINIMIZEBOX, Tool = WS_EX_TOOLWINDOW, Help = WS_EX_CONTEXTHELP;
    const RECT r = {-7, 20, 300, 200}, w = {10, 20, 610, 420};  // title buttons go left of w's caption buttons
    const int spacings[] = {2, 5, 0};
    auto face = [&](DWORD style, DWORD ex, int i) { return Edges(TitleButtonRect(w, style, ex, spacings, i, m)); };
    auto max = [&](UINT command) { return Edges(MaximizeMenuRect(r, command, RECT{0, 0, 1024, 738})); };
    auto composed = [&](DWORD style, DWORD ex, int i, UINT dpi) {  // beside three 46 x 30 caption buttons
        return Edges(ComposedButtonRect({174, 8, 312, 38}, CaptionButtonCount(style, ex), spacings, i, dpi));
    };
    auto look = [](bool dark, bool active, bool pressed, bool hot, COLORREF caption = 0xFFFFFFFF, COLORREF text = 0xFFFFFFFF) {
        const ButtonColours c = ComposedButtonColours(dark, active, pressed, hot, caption, text);
        return std::vector<long long>{c.face, c.glyph};
    };
    auto after = [](LONG rolled, WPARAM type, LONG height, LONG saved = 300) {  // rolled up from `saved`, then sized
        const RollupState s = UnpackRollupState(PackRollupState(RollupStateAfterSize({saved, rolled}, type, height)));
        return std::vector<long long>{s.savedHeight, s.rolledHeight};
    };
    struct Row { std::vector<long long> actual, expected; };
    const Row rows[] = {{face(WS_OVERLAPPEDWINDOW, 0, 0), {536, 28, 552, 44}},
        {face(WS_OVERLAPPEDWINDOW, 0, 2), {499, 28, 515, 44}}, {face(C | S, Tool, 0), {583, 23, 593, 33}},
        {face(C | S | Min | WS_THICKFRAME, Tool, 0), {582, 28, 592, 38}}, {face(C, Help, 0), {571, 23, 587, 39}},
        {face(C | S | Min, Help, 0), {537, 23, 553, 39}}, {face(C | S, Help, 0), {553, 23, 569, 39}},
        {Edges(TitleButtonHitRect({100, 10, 116, 24})), {100, 8, 116, 26}}, {{HeightOf(r)}, {180}},
        {Edges(WithHeight(r, RolledUpHeight(19, 4))), {-7, 20, 300, 47}},
        {after(27, SIZE_MINIMIZED, 19), {300, 27}}, {after(100, SIZE_RESTORED, 100), {300, 100}},
        {after(0, SIZE_MAXIMIZED, 700), {0, 0}}, {after(100, SIZE_RESTORED, 140), {0, 0}}, {after(0, SIZE_RESTORED, 100), {300, 100}},
        {after(27, SIZE_MAXIMIZED, 27), {300, 27}}, {after(65535, SIZE_MINIMIZED, 0, 40000), {40000, 65535}},

        {max(ID_MAXIMIZE_640X480), {-7, 20, 633, 500}}, {max(ID_MAXIMIZE_800X600), {-7, 20, 793, 620}},
        {max(0), {-7, 20, 300, 200}}, {{PackMoveSizeWords(-5, 50), PackMoveSizeWords(100, -32768),
        PackMoveSizeWords(0x12345, 0x10002)}, {0x32FFFB, LPARAM(0x80000064), 0x22345}},
        {composed(WS_OVERLAPPEDWINDOW, 0, 0, 96), {126, 8, 172, 38}}, {composed(WS_OVERLAPPEDWINDOW, 0, 1, 96), {75, 8, 121, 38}},
        {composed(WS_OVERLAPPEDWINDOW, 0, 0, 144), {125, 8, 171, 38}}, {composed(C | S, Tool, 0, 96), {34, 8, 172, 38}},
        {composed(C | S, Help, 0, 96), {103, 8, 172, 38}}, {composed(C, 0, 0, 96), {127, 8, 172, 38}},
        {look(false, true, false, false), {0xFFFFFF, 0}}, {look(false, false, false, true), {0xE5E5E5, 0x999999}},
        {look(false, true, true, true), {0xCCCCCC, 0}}, {look(true, true, true, false), {0x4C4C4C, 0xFFFFFF}},
        {look(true, false, false, true), {0x363636, 0x999999}}, {look(false, true, true, false, 0xFF0000, 0xFFFFFF), {0xFF3333, 0xFFFFFF}}};
    EachRow(rows, [](const Row& r) { EXPECT_EQ(r.actual, r.expected); });
}

// Layouts of several monitors and scales: snapping order, the Maximize menu's "Horizontal"/"Vertical", the read-out's
// place and font, and the pin button's face at 100/150/200 %. The single-monitor rows at 100 % are today's results.
// Primary 1920x1080 with a 40-pixel taskbar at the bottom; the system's full-screen size leaves out a 23-pixel caption.
const RECT PrimaryWork = {0, 0, 1920, 1040};
const MonitorArea Primary = {{0, 0, 1920, 1080}, PrimaryWork, true};
const MonitorArea RightOf = {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}, false};
const MonitorArea LeftOf = {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, false};
// A monitor with the primary's work area and the system's full-screen size.
struct Layout { MonitorArea monitor; RECT primaryWork; int fullWidth, fullHeight; };
Layout On(const MonitorArea& monitor) { return {monitor, PrimaryWork, 1920, 1017}; }

TEST(MonitorGeometry, SnappingTakesThePrimaryWorkAreaFirstThenTheOthersInOrder) {
    // Letters name monitors: P primary, L left of it, R right of it.
    const std::string rows[][2] = {{"P", "P"}, {"PLR", "PLR"}, {"LPR", "PLR"}, {"LRP", "PLR"}, {"RL", "RL"}};
    EachRow(rows, [](const std::string (&row)[2]) {
        MonitorArea m[3] = {};
        std::string s = row[0];
        for (std::size_t i = 0; i < s.size(); ++i) m[i] = s[i] == 'P' ? Primary : s[i] == 'L' ? LeftOf : RightOf;
        PutPrimaryFirst(m, s.size());
        for (std::size_t i = 0; i < s.size(); ++i) s[i] = "LRP"[m[i].primary ? 2 : m[i].work.left > 0];
        EXPECT_EQ(s, row[1]);
    });
}

TEST(MonitorGeometry, HorizontalAndVerticalFillTheWindowsMonitor) {
    // Today's single monitor: 1024x768, full-screen client 1024x738; and with the taskbar on its left.
    const Layout single = {{{0, 0, 1024, 768}, {0, 0, 1024, 768}, true}, {0, 0, 1024, 768}, 1024, 738};
    const Layout taskbarLeft = {{{0, 0, 1024, 768}, {40, 0, 1024, 768}, true}, {40, 0, 1024, 768}, 984, 738};
    const Layout above = On({{0, -900, 1600, 0}, {0, -900, 1600, -40}, false}), left = On(LeftOf);
    const Layout below = On({{0, 1080, 1280, 2104}, {60, 1080, 1280, 2104}, false}), right = On(RightOf);
    const RECT inSingle = {-7, 20, 300, 200}, inLeft = {-1000, 200, -600, 500}, inRight = {2000, 100, 2400, 400};
    const RECT inAbove = {100, -800, 500, -500};
    constexpr UINT H = ID_MAXIMIZE_HORIZONTAL, V = ID_MAXIMIZE_VERTICAL;
    struct Row { Layout layout; RECT window; UINT command; RECT expected; };
    const Row rows[] = {{single, inSingle, H, {0, 20, 1024, 200}}, {single, inSingle, V, {-7, 0, 300, 738}},
        {taskbarLeft, {50, 20, 300, 200}, H, {0, 20, 984, 200}}, {right, inRight, H, {1920, 100, 3200, 400}},
        {On(Primary), {10, 20, 300, 200}, V, {10, 0, 300, 1017}}, {right, inRight, V, {2000, 0, 2400, 1001}},
        {above, inAbove, V, {100, -900, 500, -63}}, {above, inAbove, H, {0, -800, 1600, -500}},
        {left, inLeft, H, {-1280, 200, 0, 500}}, {left, inLeft, V, {-1000, 0, -600, 1001}},
        {below, {300, 1200, 700, 1500}, H, {0, 1200, 1220, 1500}},
        {left, inLeft, ID_MAXIMIZE_640X480, {-1000, 200, -360, 680}}};
    EachRow(rows, [](const Row& r) {
        const Layout& l = r.layout;
        const RECT area = FullScreenArea(l.monitor, l.primaryWork, l.fullWidth, l.fullHeight);
        EXPECT_EQ(Edges(MaximizeMenuRect(r.window, r.command, area)), Edges(r.expected));
        if (l.monitor.primary) {
            EXPECT_EQ(Edges(MaximizeMenuRect(r.window, r.command, RECT{0, 0, l.fullWidth, l.fullHeight})),
                      Edges(r.expected));
        }
    });
}

TEST(MonitorGeometry, ReadoutIsCentredOnTheMonitorAndScalesWithIt) {
    // Single today, single with a text wider than the screen, side by side 150 %, left 200 %, one above 100 %.
    struct Row { int w, h; RECT area; UINT dpi; RECT expected; };  // w x h: the text's size
    const Row rows[] = {
        {60, 13, {0, 0, 1024, 741}, 96, {477, 361, 547, 379}}, {1021, 13, {0, 0, 1024, 741}, 96, {-3, 361, 1028, 379}},
        {90, 20, {1920, 0, 3200, 1001}, 144, {2507, 486, 2612, 514}},
        {120, 26, {-1280, 0, 0, 1001}, 192, {-710, 482, -570, 518}},
        {60, 13, {0, -900, 1600, -63}, 96, {765, -491, 835, -473}}};
    EachRow(rows, [](const Row& r) { EXPECT_EQ(Edges(ReadoutRect(r.w, r.h, r.area, r.dpi)), Edges(r.expected)); });
    struct Font { LONG height; UINT dpi, systemDpi; LONG expected; };  // dpi: the monitor's
    const Font fonts[] = {{-11, 96, 96, -11}, {-11, 144, 96, -16}, {-11, 192, 96, -22}, {-16, 96, 144, -10},
        {-11, 120, 0, -11}};
    EachRow(fonts, [](const Font& f) { EXPECT_EQ(ReadoutFontHeight(f.height, f.dpi, f.systemDpi), f.expected); });
}

TEST(MonitorGeometry, PinButtonFollowsTheWindowsDpi) {
    // Metrics as GetSystemMetricsForDpi gives them at each scale; a resizable window with all three standard
    // buttons, the pin button 2 pixels apart.
    struct Row { UINT dpi; CaptionMetrics metrics; RECT face, hit; };
    const Row rows[] = {{96, {36, 22, 22, 22, 8, 8, 3, 3}, {450, 60, 484, 78}, {450, 58, 484, 80}},
        {144, {54, 33, 33, 33, 11, 11, 4, 4}, {376, 64, 427, 91}, {376, 61, 427, 94}},
        {192, {72, 44, 44, 44, 15, 15, 6, 6}, {301, 69, 369, 105}, {301, 65, 369, 109}}};
    EachRow(rows, [](const Row& r) {
        const int spacings[] = {2};
        const RECT face = TitleButtonRect({100, 50, 600, 450}, WS_OVERLAPPEDWINDOW, 0, spacings, 0, r.metrics, r.dpi);
        EXPECT_EQ(Edges(face), Edges(r.face));
        EXPECT_EQ(Edges(TitleButtonHitRect(face, r.dpi)), Edges(r.hit));
    });
}

std::vector<std::pair<char*, std::ptrdiff_t>> graves;  // deleted handlers, kept filled with 0xDD
int deaths = 0;
#define ON(F, ...) LRESULT F(__VA_ARGS__) override
#define ON0(F) ON(F) { return Rec(#F); }
#define ON1(F, A) ON(F, A a) { return Rec(#F, a); }
#define ON2(F, A, B) ON(F, A a, B b) { return Rec(#F, a, b); }
#define ON3(F, A, B, C) ON(F, A a, B b, C c) { return Rec(#F, a, b, c); }
#define XY(F) ON3(F, WPARAM, UINT, UINT)
#define WL(F) ON2(F, WPARAM, LPARAM)
#define KEY(F) ON2(F, WPARAM, LPARAM*)
// Writes down the operation it is given and its arguments in hex; a pointer to lParam gets 0x99 written through.
class CRecorder : public CWndHandler, public CMessageObserver {
public:
    CRecorder() : CWndHandler(DefWindowProcW) { AddObserver(this); }
    ~CRecorder() override { ++deaths; }
    static void operator delete(void* p, size_t n) { graves.emplace_back(static_cast<char*>(memset(p, 0xDD, n)), n); }
    static CRecorder* Create() {
        static const WNDCLASSEXW windowClass = {sizeof windowClass, 0, WndHandlerWindowProc, 0, 0, nullptr, nullptr,
                                                nullptr, nullptr, nullptr, L"HovelleUnitWnd", nullptr};
        static const ATOM atom = RegisterWndClass(windowClass);
        auto* handler = new CRecorder;
        return CreateWnd(handler, MAKEINTATOM(atom), L"", WS_OVERLAPPEDWINDOW, 0, 0, 0, 99, 99, 0, 0, 0), handler;
    }
    void BeforeMessage(CWndHandler&, UINT, WPARAM, LPARAM) override { log.clear(); }
    void AfterMessage(CWndHandler&, UINT, WPARAM, LPARAM l) override { if (l != CurrentLParam()) Put(l, " after"); }
    ON(OnCreate, CREATESTRUCTW* create) { return failCreate ? -1 : Rec("OnCreate", create); }
    ON(OnPaint, CPaintDC& dc) { return throwInPaint ? throw CWindowsError(1400, L"CPaint ") : Rec("OnPaint", dc); }
    ON(OnCommand, UINT c, WPARAM w, LPARAM l) { return w == 99 ? (DestroyWindow(), 7) : Rec("OnCommand", c, w, l); }
    ON(OnOtherMessage, UINT m, WPARAM w, LPARAM l) { return m - WM_APP ? DoDefault() : Rec("OnOtherMessage", m, w, l); }
    ON2(OnMove, int, int) XY(OnMouseMove) ON0(OnMouseLeave) XY(OnLButtonDown) XY(OnLButtonUp) XY(OnLButtonDblClk)
    XY(OnRButtonDown) XY(OnRButtonUp) XY(OnRButtonDblClk) XY(OnMButtonDown) XY(OnMButtonUp) XY(OnMButtonDblClk)
    WL(OnActivate) WL(OnDrawItem) WL(OnMeasureItem) WL(OnNotify) WL(OnSettingChange) WL(OnTimer) XY(OnSize)
    ON1(OnDropFiles, HDROP) ON1(OnEraseBkgnd, CDevContext&) ON0(OnEnterSizeMove) ON0(OnExitSizeMove)
    ON1(OnGetIcon, WPARAM) ON1(OnGetMinMaxInfo, MINMAXINFO*) ON3(OnHotKey, UINT, UINT, WPARAM)
    ON3(OnHScroll, HWND, UINT, UINT) ON3(OnVScroll, HWND, UINT, UINT) ON3(OnInitMenuPopup, HMENU, UINT, UINT)
    KEY(OnKeyDown) KEY(OnKeyUp) KEY(OnSysKeyDown) KEY(OnSysKeyUp) ON3(OnMenuSelect, UINT, UINT, HMENU)
    ON3(OnMouseWheel, UINT, UINT, LPARAM*) ON3(OnSetCursor, HWND, UINT, UINT) ON2(OnSizing, WPARAM, RECT*)
    ON0(OnClose) ON0(OnDestroy) XY(OnNcMouseMove)
    std::string log;
    bool throwInPaint = false;
    static inline bool failCreate = false;
private:
    template <typename... A> LRESULT Rec(const char* name, A&&... args) { return log += name, (Put(args), ...), 0; }
    void Put(ULONGLONG v, const char* tag = "") { char t[40]; log += (std::snprintf(t, 40, "%s %llx", tag, v), t); }
    void Put(const void* pointer) { Put(reinterpret_cast<std::uintptr_t>(pointer)); }
    void Put(LPARAM* lParam) { Put(*lParam), *lParam = 0x99; }
    void Put(CDevContext& dc) { Put(dc.Handle()); }
    void Put(CPaintDC& dc) { log += dc.Handle() != nullptr ? " dc" : " none"; }
};

TEST(WndHandler, DecodesEveryMessageIntoItsOperation) {
    CRecorder* handler = CRecorder::Create();
#define XY_ " fffe0001 fffd 4"
#define WL_ " fffe0001 4fffd"
    struct Row { UINT message; std::string call; };  // WM_NCDESTROY ends the handler: see the next test
    const Row rows[] = {{WM_CREATE, "OnCreate 4fffd"}, {WM_PAINT, "OnPaint dc"}, {WM_MOVE, "OnMove fffffffffffffffd 4"},
        {WM_MOUSEMOVE, "OnMouseMove" XY_}, {WM_MOUSELEAVE, "OnMouseLeave"}, {WM_LBUTTONDOWN, "OnLButtonDown" XY_},
        {WM_LBUTTONUP, "OnLButtonUp" XY_}, {WM_LBUTTONDBLCLK, "OnLButtonDblClk" XY_},
        {WM_RBUTTONDOWN, "OnRButtonDown" XY_}, {WM_RBUTTONUP, "OnRButtonUp" XY_},
        {WM_RBUTTONDBLCLK, "OnRButtonDblClk" XY_}, {WM_MBUTTONDOWN, "OnMButtonDown" XY_},
        {WM_MBUTTONUP, "OnMButtonUp" XY_}, {WM_MBUTTONDBLCLK, "OnMButtonDblClk" XY_}, {WM_ACTIVATE, "OnActivate" WL_},
        {WM_COMMAND, "OnCommand fffe" WL_}, {WM_DRAWITEM, "OnDrawItem" WL_}, {WM_DROPFILES, "OnDropFiles fffe0001"},
        {WM_ERASEBKGND, "OnEraseBkgnd fffe0001"}, {WM_ENTERSIZEMOVE, "OnEnterSizeMove"},
        {WM_EXITSIZEMOVE, "OnExitSizeMove"}, {WM_GETICON, "OnGetIcon fffe0001"},
        {WM_GETMINMAXINFO, "OnGetMinMaxInfo 4fffd"}, {WM_HOTKEY, "OnHotKey fffd 4 fffe0001"},
        {WM_HSCROLL, "OnHScroll 4fffd 1 fffe"}, {WM_VSCROLL, "OnVScroll 4fffd 1 fffe"},
        {WM_INITMENUPOPUP, "OnInitMenuPopup" XY_}, {WM_KEYDOWN, "OnKeyDown" WL_ " after 99"},
        {WM_KEYUP, "OnKeyUp" WL_ " after 99"}, {WM_MEASUREITEM, "OnMeasureItem" WL_},
        {WM_MENUSELECT, "OnMenuSelect 1 fffe 4fffd"}, {WM_MOUSEWHEEL, "OnMouseWheel 1 fffe 4fffd after 99"},
        {WM_NOTIFY, "OnNotify" WL_}, {WM_SETTINGCHANGE, "OnSettingChange" WL_}, {WM_SETCURSOR, "OnSetCursor" XY_},
        {WM_SIZE, "OnSize" XY_}, {WM_SIZING, "OnSizing" WL_}, {WM_SYSKEYDOWN, "OnSysKeyDown" WL_ " after 99"},
        {WM_SYSKEYUP, "OnSysKeyUp" WL_ " after 99"}, {WM_TIMER, "OnTimer" WL_}, {WM_CLOSE, "OnClose"},
        {WM_DESTROY, "OnDestroy"}, {WM_NCMOUSEMOVE, "OnNcMouseMove" XY_}, {WM_APP, "OnOtherMessage 8000" WL_}};
    EachRow(rows, [&](const Row& r) {
        EXPECT_EQ(WndHandlerWindowProc(handler->Handle(), r.message, 0xFFFE0001, 0x4FFFD), 0);
        EXPECT_EQ(handler->log, r.call);
    });
    DestroyWindow(handler->Handle());
}

std::wstring boxText;  // of the message box that CloseBox saw and closed, with its owner
HWND boxOwner;
LRESULT CALLBACK CloseBox(int code, WPARAM box, LPARAM lParam) {
    wchar_t text[99] = {};
    if (code == HCBT_ACTIVATE && GetDlgItemTextW(HWND(box), 0xFFFF, text, 99) > 0)
        boxText = text, boxOwner = GetWindow(HWND(box), GW_OWNER), PostMessageW(HWND(box), WM_COMMAND, IDOK, 0);
    return CallNextHookEx(nullptr, code, box, lParam);
}

TEST(WndHandler, HandlersEndOnceWithTheirWindowsAndErrorsEndInABox) {
    deaths = 0, CRecorder::failCreate = true;  // destroyed during its creation: deleted at WM_NCDESTROY, not again
    EXPECT_THROW(CRecorder::Create(), CWindowsError);
    CRecorder::failCreate = false;
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    CRecorder* last = CRecorder::Create();
    EXPECT_EQ(SendMessageW(CRecorder::Create()->Handle(), WM_COMMAND, 99, 0), 7) << "the command destroys its window";
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    last->throwInPaint = true;
    const HHOOK hook = SetWindowsHookExW(WH_CBT, CloseBox, nullptr, GetCurrentThreadId());
    EXPECT_EQ(SendMessageW(last->Handle(), WM_PAINT, 0, 0), 0);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(std::make_pair(boxText, boxOwner), std::make_pair(L"CPaint Invalid window handle.\r\n"s, last->Handle()));
    DestroyWindow(last->Handle());
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(std::make_pair(quit.wParam, deaths), std::make_pair(WPARAM(0), 3));
    for (auto g : graves) EXPECT_EQ(std::count(g.first, g.first + g.second, '\xDD'), g.second);
}

std::string debugStrings;  // what OutputDebugString raised in this process
LONG CALLBACK CatchDebugString(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& r = *exception->ExceptionRecord;
    if (r.ExceptionCode == DBG_PRINTEXCEPTION_C) debugStrings += reinterpret_cast<char*>(r.ExceptionInformation[1]);
    return EXCEPTION_CONTINUE_SEARCH;
}
void Log(const wchar_t* destination, const wchar_t* format, ...)
{ va_list arguments; va_start(arguments, format), WriteLogLine(destination, format, arguments), va_end(arguments); }

// Below a scratch key: string lists, bounded reads and the debug log's destinations (the shipped one is a file).
TEST(Registry, ListsReadsAndLogDestinationRows) {
    CReg key, user;
    user.Open(HKEY_CURRENT_USER, L"Software"), user.CreateKey(L"Tenvale\\HovelleUnit", &key);
    using Strings = std::vector<std::wstring>;
    auto thrown = [](auto operation) -> std::wstring {  // the failing operation's name and code, or nothing
        try { operation(); } catch (const CWindowsError& e) { return e.Operation() + std::to_wstring(e.ErrorCode()); }
        return L"";
    };
    struct List { Strings written; std::wstring writeError; Strings read; std::wstring readError; };
    const List lists[] = {{{L"first", L"Second *", L"?"}, L"", {L"first", L"Second *", L"?"}, L""}, {{}, L"", {}, L""},
        {{std::wstring(510, L'e')}, L"", {std::wstring(510, L'e')}, L""},
        {{std::wstring(1022, L'd')}, L"", {}, L"CReg::QueryValue: 234"},
        {{std::wstring(1023, L'c')}, L"CReg::SetValue: 122", {L"default"}, L""}};
    EachRow(lists, [&](const List& r) {
        Strings read;
        RegDeleteValueW(key.Handle(), L"List");
        EXPECT_EQ(thrown([&] { key.SetStringList(L"List", r.written); }), r.writeError);
        EXPECT_EQ(thrown([&] { read = key.QueryStringList(L"List", {L"default"}); }), r.readError);
        EXPECT_EQ(read, r.read);
    });
    auto set = [&](const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ, std::size_t size = 0) {
        const auto data = reinterpret_cast<const BYTE*>(text.c_str());
        RegSetValueExW(key.Handle(), name, 0, type, data, DWORD(size ? size : 2 * text.size() + 2));
    };
    const std::wstring path = L"HKCU\\Software\\Tenvale\\HovelleUnit\\", reg = L"Reg:" + path;
    set(L"Digits", L"0123456789"), set(L"Bare", L"abcdef", REG_SZ, 6), set(L"Number", L"\x7", REG_DWORD, 4);
    set(L"Debugger", L"OutputDebug:"), set(L"Loop", reg + L"Debugger"), set(L"File", L"File:C:\\Lorvek\\Lorvek.log");
    struct Read { std::wstring path; std::size_t capacity; std::wstring text; };
    const Read reads[] = {{path + L"Digits", 5, L"0123"}, {path + L"Digits", 11, L"0123456789"},
        {path + L"Bare", 8, L"abc"}, {L"HKEY_CURRENT_USER\\Software\\Tenvale\\HovelleUnit\\Digits", 12, L"0123456789"},
        {path + L"Number", 4, L""}, {L"hkcu\\Software\\Tenvale\\HovelleUnit\\Digits", 4, L""},
        {L"HKCU\\" + std::wstring(3000, L'k'), 4, L""}};
    EachRow(reads, [](const Read& r) {
        std::wstring output(r.capacity + 1, L'#');
        ReadRegistryString(r.path.c_str(), &output[0], r.capacity);
        EXPECT_EQ(output, r.text + std::wstring(r.capacity - r.text.size(), L'\0') + L"#");
    });
    CreateDirectoryW(L"C:\\Lorvek", nullptr), DeleteFileW(L"C:\\Lorvek\\Absent.log");
    const PVOID catcher = AddVectoredExceptionHandler(1, CatchDebugString);
    auto readFile = [] {
        std::ifstream file("C:\\Lorvek\\Lorvek.log", std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    };
    struct Log { std::wstring destination, text; std::string debugger; std::wstring file; };
    const Log logs[] = {{L"OutputDebug:", L"a", "a 7\n", L""}, {L"OutputDebug", L"a", "", L""},
        {L"outputdebug:", L"a", "", L""}, {L"File:C:\\Lorvek\\Lorvek.log", L"b", "", L"b 7\n"},
        {L"File:C:\\Lorvek\\Lorvek.log", std::wstring(1500, L'y'), "", std::wstring(1023, L'y') + L"\n"},
        {reg + L"Debugger", L"c", "c 7\n", L""}, {reg + L"File", L"d", "", L"d 7\n"}, {reg + L"Loop", L"e", "", L""},
        {reg + L"Absent", L"f", "", L""}, {L"File:C:\\Lorvek\\Absent.log", L"g", "", L""}};
    EachRow(logs, [&](const Log& r) {
        std::ofstream("C:\\Lorvek\\Lorvek.log", std::ios::binary).write(reinterpret_cast<const char*>(L"old\n"), 8);
        debugStrings.clear(), ::Log(r.destination.c_str(), L"%s %d", r.text.c_str(), 7);
        EXPECT_EQ(std::make_pair(debugStrings, readFile()), std::make_pair(r.debugger, L"old\n" + r.file));
    });
    ::Log(nullptr, L"nothing"), LogMessage(L"shipped %d", 1);
    RemoveVectoredExceptionHandler(catcher);
    EXPECT_EQ(readFile(), L"old\nshipped 1\n");
    CreateHardLinkW(L"C:\\Lorvek\\Second.log", L"C:\\Lorvek\\Lorvek.log", nullptr);  // a second name: neither written
    ::Log(L"File:C:\\Lorvek\\Second.log", L"x"), LogMessage(L"y");
    DeleteFileW(L"C:\\Lorvek\\Second.log");
    EXPECT_EQ(readFile(), L"old\nshipped 1\n");
    EXPECT_EQ(GetFileAttributesW(L"C:\\Lorvek\\Absent.log"), INVALID_FILE_ATTRIBUTES) << "a missing file is not made";
    DeleteFileW(L"C:\\Lorvek\\Lorvek.log"), RemoveDirectoryW(L"C:\\Lorvek");
    key.Close(), RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale\\HovelleUnit");
}

} // namespace
