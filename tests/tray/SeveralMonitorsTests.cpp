// Hovelle.exe on three monitors, 800x600 left and right of the 1024x768 primary (the SeveralMonitors pass of scripts/test).
#include <gtest/gtest.h>
#include <algorithm>
#include "Harness.h"
#include "TrayHarness.h"
using namespace harness;
namespace {
using Edges = std::vector<LONG>;
Edges Of(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
BOOL CALLBACK Add(HMONITOR, HDC, LPRECT r, LPARAM to) { return reinterpret_cast<std::vector<Edges>*>(to)->push_back(Of(*r)), 1; }
TEST(SeveralMonitors, SnappingTheMaximizeMenuAndTheReadOutKeepToTheWindowsMonitor) {
    std::vector<Edges> monitors;
    RECT box = {};  // the read-out's, then the window's
    EnumDisplayMonitors(nullptr, nullptr, Add, reinterpret_cast<LPARAM>(&monitors)), std::sort(monitors.begin(), monitors.end());
    ASSERT_EQ(monitors, (std::vector<Edges>{{-800, 0, 0, 600}, {0, 0, 1024, 768}, {1024, 0, 1824, 600}}));
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale\\Hovelle");  // the default bindings
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    TargetProcess target;
    // Alt-dragged by the caption (by `by`) or sized by the Maximize menu (the item `downs` down), the window snaps to or
    // fills its own monitor; the read-out is centred on that monitor's full-screen area (in Wine 11 pixels taller).
    const struct { POINT from, by; int downs; RECT want; LONG readOutX; } rows[] = {
        {{1400, 300}, {97, 55}, 0, {1504, 360, 1824, 600}, 1424},     // right and bottom, 7 and 5 pixels off
        {{-600, 200}, {-196, -196}, 0, {-800, 0, -480, 240}, -400},  // left and top, 4 pixels off
        {{1400, 100}, {}, 3, {1024, 100, 1824, 340}, 0}, {{-700, 100}, {}, 4, {-700, 0, -380, 611}, 0}};  // across, down
    for (const auto& row : rows) {
        const HWND window = target.Create(OverlappedWindow, "On a monitor");
        SetWindowPos(window, nullptr, row.from.x, row.from.y, 320, 240, SWP_NOZORDER), SetForegroundWindow(window);
        const POINT top = HitPoint(window, HTCAPTION, {row.from.x + 160, row.from.y}, 0, 1, 60), s = {top.x, top.y + 9};
        if (row.downs == 0) {
            Mouse(s), Keys({VK_MENU}, true), Mouse(s, MOUSEEVENTF_LEFTDOWN);  // the pointer first, then Alt
            for (int step = 1; step <= 10; ++step) Mouse({s.x + row.by.x * step / 10, s.y + row.by.y * step / 10});
            EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(hovelle.overlay) && GetWindowRect(hovelle.overlay, &box) &&
                std::abs((box.left + box.right) / 2 - row.readOutX) + std::abs((box.top + box.bottom) / 2 - 305) <= 1; }))
                << "read-out at " << box.left << "," << box.top << " to " << box.right << "," << box.bottom;
            Mouse({s.x + row.by.x, s.y + row.by.y}, MOUSEEVENTF_LEFTUP);
            Keys({VK_MENU}, false), Keys({VK_ESCAPE}, true), Keys({VK_ESCAPE}, false);  // Alt alone opens menu mode
        } else {
            const POINT button = HitPoint(window, HTMAXBUTTON, {row.from.x + 319, s.y}, -1, 0);  // bound to the menu
            for (DWORD press : {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP}) Mouse(button, press);
            EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); })) << "the menu";
            for (int k = 0; k <= row.downs; ++k) for (bool down : {true, false}) Keys({WORD(k < row.downs ? VK_DOWN : VK_RETURN)}, down);
        }
        EXPECT_TRUE(WaitFor([&] { return Of(box = WindowRect(window)) == Of(row.want); })) << box.left << "," << box.top;
    }
}
} // namespace
