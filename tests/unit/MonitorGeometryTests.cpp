// Layouts of several monitors and scales: snapping order, the Maximize menu's
// "Horizontal"/"Vertical", the read-out's place and font, and the pin button's
// face at 100/150/200 %. The single-monitor rows at 100 % are today's results.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "MaximizeMenu.h"
#include "MonitorGeometry.h"
#include "TitleButtonGeometry.h"

namespace {

std::array<LONG, 4> Text(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// Primary 1920x1080 with a 40-pixel taskbar at the bottom; the system's
// full-screen size leaves out a 23-pixel caption.
const RECT PrimaryWork = {0, 0, 1920, 1040};
const MonitorArea Primary = {{0, 0, 1920, 1080}, PrimaryWork, true};
const MonitorArea RightOf = {{1920, 0, 3200, 1024}, {1920, 0, 3200, 1024}, false};
const MonitorArea LeftOf = {{-1280, 0, 0, 1024}, {-1280, 0, 0, 1024}, false};

// A monitor with the primary's work area and the system's full-screen size.
struct Layout { MonitorArea monitor; RECT primaryWork; int fullWidth, fullHeight; };
const Layout OnPrimary = {Primary, PrimaryWork, 1920, 1017};
const Layout OnRight = {RightOf, PrimaryWork, 1920, 1017};
const Layout OnLeft = {LeftOf, PrimaryWork, 1920, 1017};
const Layout OnAbove = {{{0, -900, 1600, 0}, {0, -900, 1600, -40}, false}, PrimaryWork, 1920, 1017};
const Layout OnBelowTaskbarLeft = {{{0, 1080, 1280, 2104}, {60, 1080, 1280, 2104}, false}, PrimaryWork, 1920, 1017};
// Today's single monitor: 1024x768, full-screen client 1024x738.
const Layout Single = {{{0, 0, 1024, 768}, {0, 0, 1024, 768}, true}, {0, 0, 1024, 768}, 1024, 738};
const Layout SingleTaskbarLeft = {{{0, 0, 1024, 768}, {40, 0, 1024, 768}, true}, {40, 0, 1024, 768}, 984, 738};
constexpr UINT H = ID_MAXIMIZE_HORIZONTAL, V = ID_MAXIMIZE_VERTICAL;

TEST(MonitorGeometry, SnappingTakesThePrimaryWorkAreaFirstThenTheOthersInOrder)
{
    // Letters name monitors: P primary, L left of it, R right of it.
    const struct { const char* given; const char* expected; } rows[] = {{"P", "P"}, {"PLR", "PLR"}, {"LPR", "PLR"},
                                                                         {"LRP", "PLR"}, {"RL", "RL"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given);
        MonitorArea m[3] = {};
        std::string order = row.given;
        for (std::size_t i = 0; i < order.size(); ++i) {
            m[i] = order[i] == 'P' ? Primary : order[i] == 'L' ? LeftOf : RightOf;
        }
        PutPrimaryFirst(m, order.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = "LRP"[m[i].primary ? 2 : m[i].work.left > 0];
        EXPECT_EQ(order, row.expected);
    }
}

TEST(MonitorGeometry, HorizontalAndVerticalFillTheWindowsMonitor)
{
    const struct { const char* name; Layout layout; RECT window; UINT command; RECT expected; } rows[] = {
        {"single, today", Single, {-7, 20, 300, 200}, H, {0, 20, 1024, 200}},
        {"single, today", Single, {-7, 20, 300, 200}, V, {-7, 0, 300, 738}},
        {"single, taskbar left", SingleTaskbarLeft, {50, 20, 300, 200}, H, {0, 20, 984, 200}},
        {"primary", OnPrimary, {10, 20, 300, 200}, V, {10, 0, 300, 1017}},
        {"side by side", OnRight, {2000, 100, 2400, 400}, H, {1920, 100, 3200, 400}},
        {"side by side", OnRight, {2000, 100, 2400, 400}, V, {2000, 0, 2400, 1001}},
        {"one above", OnAbove, {100, -800, 500, -500}, V, {100, -900, 500, -63}},
        {"one above", OnAbove, {100, -800, 500, -500}, H, {0, -800, 1600, -500}},
        {"left, negative", OnLeft, {-1000, 200, -600, 500}, H, {-1280, 200, 0, 500}},
        {"left, negative", OnLeft, {-1000, 200, -600, 500}, V, {-1000, 0, -600, 1001}},
        {"below, smaller", OnBelowTaskbarLeft, {300, 1200, 700, 1500}, H, {0, 1200, 1220, 1500}},
        {"left, fixed size", OnLeft, {-1000, 200, -600, 500}, ID_MAXIMIZE_640X480, {-1000, 200, -360, 680}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.command));
        const Layout& l = row.layout;
        const RECT area = FullScreenArea(l.monitor, l.primaryWork, l.fullWidth, l.fullHeight);
        EXPECT_EQ(Text(MaximizeMenuRect(row.window, row.command, area)), Text(row.expected));
        if (l.monitor.primary) {
            EXPECT_EQ(Text(MaximizeMenuRect(row.window, row.command, l.fullWidth, l.fullHeight)), Text(row.expected));
        }
    }
}
TEST(MonitorGeometry, ReadoutIsCentredOnTheMonitorAndScalesWithIt)
{
    const struct { const char* layout; int textWidth, textHeight; RECT area; UINT dpi; RECT expected; } rows[] = {
        {"single, today", 60, 13, {0, 0, 1024, 741}, 96, {477, 361, 547, 379}},
        {"single, wider than the screen", 1021, 13, {0, 0, 1024, 741}, 96, {-3, 361, 1028, 379}},
        {"side by side, 150 %", 90, 20, {1920, 0, 3200, 1001}, 144, {2507, 486, 2612, 514}},
        {"left, negative, 200 %", 120, 26, {-1280, 0, 0, 1001}, 192, {-710, 482, -570, 518}},
        {"one above, 100 %", 60, 13, {0, -900, 1600, -63}, 96, {765, -491, 835, -473}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.layout);
        EXPECT_EQ(Text(ReadoutRect(row.textWidth, row.textHeight, row.area, row.dpi)), Text(row.expected));
    }
    const struct { LONG height; UINT monitorDpi, systemDpi; LONG expected; } fonts[] = {
        {-11, 96, 96, -11}, {-11, 144, 96, -16}, {-11, 192, 96, -22}, {-16, 96, 144, -10}, {-11, 120, 0, -11}};
    for (const auto& row : fonts) {
        SCOPED_TRACE(std::to_string(row.monitorDpi) + "/" + std::to_string(row.systemDpi));
        EXPECT_EQ(ReadoutFontHeight(row.height, row.monitorDpi, row.systemDpi), row.expected);
    }
}

TEST(MonitorGeometry, PinButtonFollowsTheWindowsDpi)
{
    // Metrics as GetSystemMetricsForDpi gives them at each scale; a resizable
    // window with all three standard buttons, the pin button 2 pixels apart.
    const struct { UINT dpi; CaptionMetrics metrics; RECT face, hit; } rows[] = {
        {96, {36, 22, 22, 22, 8, 8, 3, 3}, {450, 60, 484, 78}, {450, 58, 484, 80}},
        {144, {54, 33, 33, 33, 11, 11, 4, 4}, {376, 64, 427, 91}, {376, 61, 427, 94}},
        {192, {72, 44, 44, 44, 15, 15, 6, 6}, {301, 69, 369, 105}, {301, 65, 369, 109}},
    };
    const int spacings[] = {2};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dpi);
        const RECT window = {100, 50, 600, 450};
        const RECT face = TitleButtonRect(window, WS_OVERLAPPEDWINDOW, 0, spacings, 0, row.metrics, row.dpi);
        EXPECT_EQ(Text(face), Text(row.face));
        EXPECT_EQ(Text(TitleButtonHitRect(face, row.dpi)), Text(row.hit));
    }
}

} // namespace
