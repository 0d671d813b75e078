// The pure functions: ignore patterns, snapping, mouse bindings, title-button
// and window arithmetic, the registry formats and the log line.
#include <algorithm>
#include <climits>
#include <string>

#include "LogLine.h"
#include "MaximizeMenu.h"
#include "MouseBinding.h"
#include "MoveSize.h"
#include "PatternList.h"
#include "RegistryFormat.h"
#include "Rollup.h"
#include "Rows.h"
#include "SnapArithmetic.h"
#include "TitleButtonGeometry.h"

using namespace std::string_literals;
using U16s = std::vector<std::u16string>;

TEST(PatternList, MatchStoreAndListRows)
{
    struct Match { const char16_t *text, *pattern; bool match; };
    const Match matches[] = {
        {u"aab", u"*ab", false}, {u"abcbc", u"a*c", false}, {u"abc", u"a*c", true}, {u"abbbc", u"a*c", true},
        {u"a", u"a*", true}, {u"abc", u"a*", true}, {u"a", u"a**", false}, {u"ab", u"a**", true}, {u"", u"*", true},
        {u"", u"?", false}, {u"x", u"?", true}, {u"xy", u"?", false}, {u"x", u"*?", true}, {u"", u"*?", false},
        {u"Notepad", u"notepad", false}, {u"Notepad2", u"Notepad", false}, {u"Note", u"Notepad", false},
        {u"Untitled - Notepad", u"* - Notepad", true}, {u"", u"", true}, {u"x", u"", false},
        {u"Caf\u00e9 \u2603", u"Caf? *", true}, {u"\u00c9", u"\u00e9", false}};
    EachRow(matches, [](const Match& r) { EXPECT_EQ(MatchPattern(r.text, r.pattern), r.match); });
    // The buffer holds `capacity` units and one '#' behind them.
    struct Store { U16s patterns; std::size_t capacity; std::u16string buffer; std::size_t written; };
    const Store stores[] = {{{u"A*", u"B"}, 7, u"A*\0B\0\0##"s, 6}, {{}, 2, u"\0##"s, 1},
                            {{u"one", u"", u"two"}, 9, u"one\0two\0\0#"s, 9}, {{u"abcd"}, 6, u"abcd\0\0#"s, 6},
                            {{u"abc", u"de", u"f"}, 7, u"abc\0\0###"s, 5}, {{u"ab\0c"s}, 4, u"ab\0\0#"s, 4},
                            {{u"a"}, 0, u"#", 0}};
    EachRow(stores, [](const Store& r) {
        std::u16string buffer(r.capacity + 1, u'#');
        EXPECT_EQ(StorePatternList(&buffer[0], r.capacity, r.patterns), r.written);
        EXPECT_EQ(buffer, r.buffer);
    });
    struct List { std::u16string list; std::size_t capacity; const char16_t* text; bool match; };
    const List lists[] = {{u"Shell_*\0Progman\0?\0\0"s, 20, u"Shell_TrayWnd", true},
                          {u"Shell_*\0Progman\0?\0\0"s, 20, u"Progman", true},
                          {u"Shell_*\0Progman\0?\0\0"s, 20, u"x", true},
                          {u"Shell_*\0Progman\0?\0\0"s, 20, u"Notepad", false}, {u"\0\0"s, 2, u"", false},
                          {u"***\0"s, 3, u"abc", false}, {u"a\0b\0"s, 3, u"b", false}};
    EachRow(lists, [](const List& r) { EXPECT_EQ(MatchPatternList(r.text, r.list.data(), r.capacity), r.match); });
}

TEST(SnapArithmetic, MovingAndSizingRows)
{
    // Entry 0 is usually the work area; T2 overlaps T, N is narrower than two snap distances.
    const RECT W = {0, 0, 1024, 738}, T = {300, 100, 600, 400}, N = {300, 100, 315, 400}, L = {203, 100, 500, 400};
    const RECT T2 = {306, 100, 700, 400}, Q = {300, 300, 600, 600}, B = {100, 100, 400, 400}, P = {300, 100, 305, 400};
    using V = std::vector<RECT>;
    const V WT = {W, T}, WN = {W, N}, WL = {W, L}, LW = {L, W}, WS = {W, {300, 200, 600, 300}}, WQ = {W, Q};
    const V Far = {{LONG_MAX - 15, 0, LONG_MAX, 100}}, Low = {{LONG_MIN + 15, 0, LONG_MIN + 300, 100}};
    struct Row { V targets; RECT in; WPARAM edge; RECT out; };  // edge 0: a move, else the WMSZ_ edge dragged
    const Row rows[] = {
        {WT, {310, 150, 500, 300}, 0, {300, 150, 490, 300}}, {WT, {290, 150, 480, 300}, 0, {300, 150, 490, 300}},
        {WT, {311, 150, 501, 300}, 0, {311, 150, 501, 300}}, {WT, {289, 150, 479, 300}, 0, {289, 150, 479, 300}},
        {WT, {350, 110, 550, 210}, 0, {350, 100, 550, 200}}, {WT, {350, 111, 550, 211}, 0, {350, 111, 550, 211}},
        {WT, {606, 150, 706, 250}, 0, {600, 150, 700, 250}}, {WT, {495, 150, 595, 250}, 0, {500, 150, 600, 250}},
        {WT, {195, 150, 295, 250}, 0, {200, 150, 300, 250}}, {WT, {303, 150, 609, 250}, 0, {300, 150, 606, 250}},
        {WN, {306, 150, 406, 250}, 0, {300, 150, 400, 250}}, {WN, {200, 150, 308, 250}, 0, {207, 150, 315, 250}},
        {WN, {311, 150, 320, 250}, 0, {315, 150, 324, 250}}, {WL, {5, 150, 200, 300}, 0, {0, 150, 195, 300}},
        {LW, {5, 150, 200, 300}, 0, {8, 150, 203, 300}}, {WT, {350, 404, 550, 504}, 0, {350, 400, 550, 500}},
        {WT, {350, 200, 550, 395}, 0, {350, 205, 550, 400}}, {WT, {350, 20, 550, 95}, 0, {350, 25, 550, 100}},
        {WS, {305, 100, 500, 500}, 0, {305, 100, 500, 500}}, {WS, {305, 250, 500, 650}, 0, {300, 250, 495, 650}},
        {{W, T, T2}, {303, 150, 403, 250}, 0, {300, 150, 400, 250}}, {WT, {608, 95, 708, 195}, 0, {600, 100, 700, 200}},
        {{W, T2, T}, {303, 150, 403, 250}, 0, {306, 150, 406, 250}}, {{}, {5, 5, 100, 100}, 0, {5, 5, 100, 100}},
        {Far, {LONG_MAX - 20, 10, LONG_MAX, 50}, 0, {LONG_MAX - 15, 0, LONG_MAX, 40}},
        {Low, {LONG_MIN, 10, LONG_MIN + 20, 50}, 0, {LONG_MIN, 0, LONG_MIN + 15, 40}},
        {{W, B}, {405, 395, 600, 600}, WMSZ_TOPLEFT, {400, 400, 600, 600}}, {WT, {305, 105, 595, 395}, 9, {305, 105, 595, 395}},
        {{W, B}, {405, 395, 600, 600}, WMSZ_TOP, {405, 395, 600, 600}},
        {WT, {305, 105, 595, 395}, WMSZ_LEFT, {300, 105, 595, 395}}, {WT, {305, 105, 595, 395}, WMSZ_RIGHT, {305, 105, 600, 395}},
        {WT, {305, 105, 595, 395}, WMSZ_TOP, {305, 100, 595, 395}}, {WT, {305, 105, 595, 395}, WMSZ_BOTTOM, {305, 105, 595, 400}},
        {WT, {305, 105, 595, 395}, WMSZ_TOPRIGHT, {305, 100, 600, 395}},
        {WT, {305, 105, 595, 395}, WMSZ_BOTTOMLEFT, {300, 105, 595, 400}},
        {WT, {305, 105, 595, 395}, WMSZ_BOTTOMRIGHT, {305, 105, 600, 400}},
        {{W, P}, {100, 150, 303, 300}, WMSZ_RIGHT, {100, 150, 305, 300}}, {{W, P}, {302, 150, 500, 300}, WMSZ_LEFT, {300, 150, 500, 300}},
        {WQ, {100, 150, 294, 250}, WMSZ_RIGHT, {100, 150, 294, 250}}, {WQ, {100, 350, 294, 450}, WMSZ_RIGHT, {100, 350, 300, 450}},
        {WQ, {350, 100, 450, 293}, WMSZ_BOTTOM, {350, 100, 450, 300}}};
    EachRow(rows, [](const Row& r) {
        std::vector<SnapTarget> targets;
        for (const RECT& t : r.targets) targets.push_back({nullptr, t});
        RECT rect = r.in;
        if (r.edge == 0) SnapMovingRect(rect, targets.data(), targets.size());
        else SnapSizingRect(rect, r.edge, targets.data(), targets.size());
        EXPECT_EQ(Edges(rect), Edges(r.out));
    });
}

TEST(MouseBinding, DecodeAndLookupRows)
{
    struct Decode { UINT message; bool known; MoxButton button; bool press, doubleClick; };
    const Decode decodes[] = {
        {WM_NCLBUTTONDOWN, true, MoxButtonLeft, true, false}, {WM_NCLBUTTONUP, true, MoxButtonLeft, false, false},
        {WM_NCLBUTTONDBLCLK, true, MoxButtonLeft, false, true}, {WM_NCRBUTTONDOWN, true, MoxButtonRight, true, false},
        {WM_NCRBUTTONUP, true, MoxButtonRight, false, false}, {WM_NCRBUTTONDBLCLK, true, MoxButtonRight, false, true},
        {WM_NCMBUTTONDOWN, true, MoxButtonMiddle, true, false}, {WM_NCMBUTTONUP, true, MoxButtonMiddle, false, false},
        {WM_NCMBUTTONDBLCLK, true, MoxButtonMiddle, false, true}, {WM_NCMOUSEMOVE, false, MoxButtonLeft, false, false},
        {0x00AA, false, MoxButtonLeft, false, false}, {WM_LBUTTONDOWN, false, MoxButtonLeft, false, false}};
    EachRow(decodes, [](const Decode& r) {
        NcButtonEvent event = {MoxButtonLeft, false, false};
        EXPECT_EQ(DecodeNcButtonMessage(r.message, event), r.known);
        EXPECT_EQ(event.button, r.button);
        EXPECT_EQ(event.press, r.press);
        EXPECT_EQ(event.doubleClick, r.doubleClick);
    });
    // Every element holds SendToBack, so a read at the wrong place shows; a
    // second table lies behind the first.
    static BindingTable tables[2];
    std::fill_n(&tables[0][0][0][0], 2 * sizeof(BindingTable) / sizeof(MoxAction), MoxActionSendToBack);
    BindingTable& t = tables[0];
    t[MoxButtonRight][ModifierCtrl][HTCAPTION] = MoxActionMove;
    t[MoxButtonRight][ModifierAlt][HTHELP] = MoxActionMaximizeMenu;
    t[MoxButtonMiddle][0][HTCAPTION] = MoxActionRollup;
    t[MoxButtonLeft][0][HTCAPTION] = static_cast<MoxAction>(7);
    t[MoxButtonLeft][0][HTLEFT] = static_cast<MoxAction>(-1);
    t[MoxButtonLeft][0][HTRIGHT] = MoxActionMinimize;
    struct Lookup { int button, modifier; WPARAM hitTest; MoxAction action; };
    const Lookup lookups[] = {
        {MoxButtonRight, ModifierCtrl, HTCAPTION, MoxActionMove}, {MoxButtonRight, ModifierAlt, HTHELP, MoxActionMaximizeMenu},
        {MoxButtonMiddle, 0, HTCAPTION, MoxActionRollup}, {MoxButtonLeft, 0, HTNOWHERE, MoxActionSendToBack},
        {MoxButtonLeft, 0, HTCAPTION, MoxActionNone}, {MoxButtonLeft, 0, HTLEFT, MoxActionNone},
        {MoxButtonLeft, 0, HTRIGHT, MoxActionMinimize}, {MoxButtonLeft, ModifierCtrl | ModifierAlt, HTCAPTION, MoxActionNone},
        {MoxButtonLeft, ModifierShift, HTCAPTION, MoxActionNone}, {MoxButtonLeft, -1, HTCAPTION, MoxActionNone},
        {MoxButtonLeft, 0, 22, MoxActionNone}, {MoxButtonLeft, 0, static_cast<WPARAM>(HTERROR), MoxActionNone},
        {3, 0, HTCAPTION, MoxActionNone}, {-1, 0, HTCAPTION, MoxActionNone}};
    EachRow(lookups, [&](const Lookup& r) {
        EXPECT_EQ(LookupBinding(t, static_cast<MoxButton>(r.button), r.modifier, r.hitTest), r.action);
    });
}

TEST(WindowArithmetic, TitleButtonRows)
{
    const CaptionMetrics m = {18, 20, 12, 14, 4, 6, 3, 1};
    const DWORD C = WS_CAPTION, S = WS_SYSMENU, Tool = WS_EX_TOOLWINDOW, Help = WS_EX_CONTEXTHELP;
    struct Width { DWORD style, exStyle; int width; };
    const Width widths[] = {{C | S, Tool, 15}, {C | S | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME, Tool, 16},
                            {C, Tool, 3}, {C | S, 0, 21}, {C | S, Help, 39}, {C | S | WS_MINIMIZEBOX, Help, 55},
                            {C | S | WS_MAXIMIZEBOX, 0, 55}, {C | WS_MINIMIZEBOX, 0, 37}, {C, Help, 21},
                            {WS_OVERLAPPEDWINDOW, 0, 56}};
    EachRow(widths, [&](const Width& r) { EXPECT_EQ(CaptionButtonsWidth(r.style, r.exStyle, m), r.width); });
    struct Face { DWORD style, exStyle; int index; RECT face; };
    const Face faces[] = {{WS_OVERLAPPEDWINDOW, 0, 0, {536, 28, 552, 44}}, {WS_OVERLAPPEDWINDOW, 0, 1, {515, 28, 531, 44}},
                          {WS_OVERLAPPEDWINDOW, 0, 2, {499, 28, 515, 44}}, {C | S, Tool, 0, {583, 23, 593, 33}},
                          {C, 0, 0, {589, 23, 605, 39}}};
    const int spacings[] = {2, 5, 0};
    EachRow(faces, [&](const Face& r) {
        EXPECT_EQ(Edges(TitleButtonRect({10, 20, 610, 420}, r.style, r.exStyle, spacings, r.index, m)), Edges(r.face));
    });
    const RECT face = {100, 10, 116, 24}, hit = TitleButtonHitRect(face);
    EXPECT_EQ(Edges(hit), Edges({100, 8, 116, 26}));
    struct Point { POINT point; bool in; };
    const Point points[] = {{{100, 8}, true}, {{100, 7}, false}, {{115, 25}, true}, {{115, 26}, false},
                            {{116, 12}, false}, {{99, 12}, false}};
    EachRow(points, [&](const Point& r) { EXPECT_EQ(PointInRect(hit, r.point), r.in); });
    struct Glyph { bool pressed, themed; RECT rect; };
    const Glyph glyphs[] = {{false, false, {102, 12, 113, 21}}, {true, false, {103, 13, 114, 22}},
                            {true, true, {102, 12, 113, 21}}, {false, true, {102, 12, 113, 21}}};
    EachRow(glyphs, [&](const Glyph& r) { EXPECT_EQ(Edges(TitleButtonGlyphRect(face, r.pressed, r.themed)), Edges(r.rect)); });
    const int frames[8] = {4, 0, 5, 1, 6, 2, 6, 2};  // index bits: pressed 4, hot 2, active 1
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ThemeFrameIndex(i & 4, i & 2, i & 1), frames[i]) << i;
    struct Place { RECT rect; RECT target; int sourceX, sourceY; };
    const Place places[] = {{{0, 0, 40, 36}, {6, 4, 34, 32}, 0, 0}, {{102, 12, 113, 21}, {102, 12, 113, 21}, 8, 9},
                            {{0, 0, 28, 20}, {0, 0, 28, 20}, 0, 4}, {{0, 0, 30, 10}, {1, -9, 29, 19}, 0, 0}};
    EachRow(places, [](const Place& r) {
        const GlyphPlacement p = PlaceGlyph(r.rect, 28, 28);
        EXPECT_EQ(Edges(p.target), Edges(r.target));
        EXPECT_EQ(std::make_pair(p.sourceX, p.sourceY), std::make_pair(r.sourceX, r.sourceY));
    });
}

TEST(WindowArithmetic, RollupMaximizeAndMoveSizeRows)
{
    EXPECT_EQ(RolledUpHeight(19, 4), 27);
    EXPECT_EQ(Edges(WithHeight({-50, 120, 270, 480}, 27)), Edges({-50, 120, 270, 147}));
    EXPECT_EQ(HeightOf({-50, 120, 270, 480}), 360);
    struct Maximize { UINT command; RECT out; };
    const Maximize sizes[] = {{ID_MAXIMIZE_640X480, {-7, 20, 633, 500}}, {ID_MAXIMIZE_800X600, {-7, 20, 793, 620}},
                              {ID_MAXIMIZE_HORIZONTAL, {0, 20, 1024, 200}}, {ID_MAXIMIZE_VERTICAL, {-7, 0, 300, 738}},
                              {0xE114, {-7, 20, 300, 200}}, {0, {-7, 20, 300, 200}}};
    EachRow(sizes, [](const Maximize& r) {
        EXPECT_EQ(Edges(MaximizeMenuRect({-7, 20, 300, 200}, r.command, 1024, 738)), Edges(r.out));
    });
    struct Pack { LONG low, high; LPARAM packed; };
    const Pack packs[] = {{-5, 50, 0x0032FFFB}, {100, -32768, 0x80000064}, {0x12345, 0x10002, 0x00022345}};
    EachRow(packs, [](const Pack& r) { EXPECT_EQ(PackMoveSizeWords(r.low, r.high), r.packed); });
}

TEST(RegistryFormat, MultiStringAndPathRows)
{
    struct Split { std::u16string data; std::size_t units; U16s strings; };
    const Split splits[] = {{u"a\0bc\0\0x\0\0"s, 9, {u"a", u"bc"}}, {u"\0a\0\0"s, 4, {}}, {u"a\0bc!"s, 4, {u"a", u"bc"}},
                            {u"a\0bc!"s, 1, {u"a"}}, {u"a\0"s, 0, {}}};
    EachRow(splits, [](const Split& r) { EXPECT_EQ(SplitMultiString(r.data.data(), r.units), r.strings); });
    struct Encode { U16s strings; std::size_t capacity; std::u16string out; std::size_t written; };
    const Encode encodes[] = {{{}, 2, u"\0##"s, 1}, {{u"ab", u"c"}, 6, u"ab\0c\0\0#"s, 6}, {{u"abc", u"de"}, 6, u"#######", 0}};
    EachRow(encodes, [](const Encode& r) {
        std::u16string out(r.capacity + 1, u'#');
        EXPECT_EQ(EncodeMultiString(r.strings, &out[0], r.capacity), r.written);
        EXPECT_EQ(out, r.out);
    });
    struct Path { std::u16string path, parts; };
    const Path paths[] = {{u"HKCU\\Software\\Example\\Target", u"HKCU|Software\\Example|Target"},
                          {u"HKCU\\Target", u"HKCU|Target|Target"}, {u"HKLM", u"HKLM||"}, {u"HKCU\\Key\\", u"HKCU|Key|"},
                          {u"HKU\\A\\B\\C", u"HKU|A\\B|C"}};
    EachRow(paths, [](const Path& r) {
        std::u16string path = r.path;
        const RegistryPathParts<char16_t> p = SplitRegistryPath(&path[0]);
        EXPECT_EQ(std::u16string(p.root) + u"|" + p.subKey + u"|" + p.valueName, r.parts);
    });
}

std::pair<std::wstring, std::size_t> FormatLine(std::size_t capacity, const wchar_t* format, ...)
{
    wchar_t line[LogLineCapacity + 1];
    line[capacity] = L'#';
    va_list arguments;
    va_start(arguments, format);
    const std::size_t length = FormatLogLine(line, capacity, format, arguments);
    va_end(arguments);
    EXPECT_EQ(line[capacity], L'#') << "written past the capacity";
    return {line, length};
}

TEST(LogLine, FormatAndCutRows)
{
    struct Row { std::size_t capacity; std::wstring text, line; };
    const Row rows[] = {{1024, L"Tb", L"Tb 0x1A2B"}, {5, L"Tb", L"Tb 0"}, {1, L"abc", L""},
                        {1024, std::wstring(1016, L'x'), std::wstring(1016, L'x') + L" 0x1A2B"},
                        {1024, std::wstring(1500, L'y'), std::wstring(1023, L'y')}};
    EachRow(rows, [](const Row& r) {
        EXPECT_EQ(FormatLine(r.capacity, L"%s 0x%X", r.text.c_str(), 0x1A2Bu), std::make_pair(r.line, r.line.size()));
    });
}
