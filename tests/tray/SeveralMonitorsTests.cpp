// Hovelle.exe on a desktop of three monitors, 800x600 left and right of the 1024x768 primary (scripts/test runs the
// tests labelled SeveralMonitors on such a display): a window keeps to its own monitor's edges and area.
#include <gtest/gtest.h>
#include <algorithm>
#include "Harness.h"
#include "TrayHarness.h"

using namespace harness;
namespace {
BOOL CALLBACK Add(HMONITOR, HDC, LPRECT r, LPARAM to) { return reinterpret_cast<std::vector<RECT>*>(to)->push_back(*r), 1; }
std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(SeveralMonitors, SnappingTheMaximizeMenuAndTheReadOutKeepToTheWindowsMonitor) {
    std::vector<RECT> found;
    EnumDisplayMonitors(nullptr, nullptr, Add, reinterpret_cast<LPARAM>(&found));
    std::vector<std::vector<LONG>> monitors;
    for (const RECT& r : found) monitors.push_back(Edges(r));
    std::sort(monitors.begin(), monitors.end());
    ASSERT_EQ(monitors, (std::vector<std::vector<LONG>>{{-800, 0, 0, 600}, {0, 0, 1024, 768}, {1024, 0, 1824, 600}}));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale\\Hovelle");  // the default bindings
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    TargetProcess target;
    // Moved there by the caption with Alt (by `by`; Maximize menu: `downs` items down), the window snaps to or fills
    // its monitor; the read-out is centred on that monitor's full-screen area, in Wine 11 pixels taller than it.
    const struct { POINT from, by; int downs; RECT want; POINT readOut; } rows[] = {
        {{1400, 300}, {97, 55}, 0, {1504, 360, 1824, 600}, {1424, 305}},  // right and bottom, 7 and 5 pixels off
        {{-600, 200}, {-196, -196}, 0, {-800, 0, -480, 240}, {-400, 305}},  // left and top, 4 pixels off
        {{1400, 100}, {}, 3, {1024, 100, 1824, 340}, {}}, {{-700, 100}, {}, 4, {-700, 0, -380, 611}, {}}};  // across, down
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.from.x << " " << row.downs);
        const HWND window = target.Create(OverlappedWindow, "On a monitor");
        SetWindowPos(window, nullptr, row.from.x, row.from.y, 320, 240, SWP_NOZORDER);
        SetForegroundWindow(window);
        const POINT top = HitPoint(window, HTCAPTION, {row.from.x + 160, row.from.y}, 0, 1, 60);
        const POINT start = {top.x, top.y + 9}, end = {start.x + row.by.x, start.y + row.by.y};
        Mouse(start);
        RECT box = {};
        if (row.downs == 0) {
            Keys({VK_MENU}, true), Mouse(start, MOUSEEVENTF_LEFTDOWN);
            for (int step = 1; step <= 10; ++step) Mouse({start.x + row.by.x * step / 10, start.y + row.by.y * step / 10});
            EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(hovelle.overlay) && GetWindowRect(hovelle.overlay, &box)
                && std::abs(Centre(box).x - row.readOut.x) <= 1 && std::abs(Centre(box).y - row.readOut.y) <= 1; }))
                << "read-out centred at " << Centre(box).x << "," << Centre(box).y;
            Mouse(end, MOUSEEVENTF_LEFTUP), Keys({VK_MENU}, false), Keys({VK_ESCAPE}, true), Keys({VK_ESCAPE}, false);
        } else {
            Mouse(HitPoint(window, HTMAXBUTTON, {row.from.x + 319, start.y}, -1, 0), MOUSEEVENTF_RIGHTDOWN);
            Mouse(HitPoint(window, HTMAXBUTTON, {row.from.x + 319, start.y}, -1, 0), MOUSEEVENTF_RIGHTUP);
            EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); })) << "the menu";
            for (int down = 0; down < row.downs; ++down) Keys({VK_DOWN}, true), Keys({VK_DOWN}, false);
            Keys({VK_RETURN}, true), Keys({VK_RETURN}, false);
        }
        EXPECT_TRUE(WaitFor([&] { return Edges(WindowRect(window)) == Edges(row.want); }))
            << WindowRect(window).left << "," << WindowRect(window).top << " to " << WindowRect(window).right << ","
            << WindowRect(window).bottom;
    }
}
} // namespace
