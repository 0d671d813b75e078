// The hook library on windows of the target program in another process: admission, the four features, stop, mouse
// bindings, snapping with the move/size read-out, the pin button, the log, the README picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "Harness.h"
#include "TrayHarness.h"
#include "Screenshot.h"

using namespace harness;

namespace {

bool Managed(TargetProcess& target, HWND window) { return FeatureItems(target.Menu(window)).size() == 4; }
bool Topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
bool RolledUp(HWND window) { return Height(window) < 100; }
bool InTray(HWND window) { return !IsWindowVisible(window); }
bool Iconic(HWND window) { return IsIconic(window) != FALSE; }
bool Last(HWND window) { return GetWindow(window, GW_HWNDNEXT) == nullptr; }
bool Untouched(HWND window) { return !Iconic(window) && !InTray(window) && !RolledUp(window) && !Last(window); }
bool SeeThrough(HWND window) {
    BYTE alpha = 0;
    DWORD flags = 0;
    return GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) && alpha == 191;
}
long Count(const std::vector<UINT>& list, UINT message) { return std::count(list.begin(), list.end(), message); }
POINT Caption(HWND window) {  // the middle of the caption's height
    const RECT r = WindowRect(window);
    const POINT top = HitPoint(window, HTCAPTION, {(r.left + r.right) / 2, r.top}, 0, 1, 60);
    return {top.x, top.y + GetSystemMetrics(SM_CYSIZE) / 2};
}

TEST(Admission, StyleThreadIgnorePatternsStartAndRepeats) {
    TargetProcess target;
    WindowManagerStop();
    const HWND early = target.Create(OverlappedWindow, "Created before the start");
    HookSession session;
    WindowManagerSetIgnoreTitle({L"Secret*", L"?"});
    WindowManagerSetIgnoreClass({L"Hidden?Class"});
    const HWND parent = target.Create(OverlappedWindow, "Parent");
    const DWORD popup = WS_POPUP | WS_SYSMENU | WS_VISIBLE, plain = OverlappedWindow;
    const struct { DWORD style; const char *title, *className; bool managed; } rows[] = {
        {plain, "Plain", "T", true}, {WS_CAPTION | WS_VISIBLE, "No menu", "T", false},
        {popup | WS_BORDER, "Border only", "T", false}, {popup | WS_DLGFRAME, "Frame only", "T", false},
        {plain, "Secret plans", "T", false}, {plain, "secret", "T", true}, {plain, "X", "T", false},
        {plain, "XY", "T", true}, {plain, "Cl", "Hidden_Class", false}, {plain, "Cl", "Hidden__Class", true},
        {WS_CHILD | plain, "Child with a caption", "T", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.title);
        const HWND owner = (row.style & WS_CHILD) ? parent : nullptr;
        const HWND window = target.Create(row.style, row.title, 0, row.className, owner);
        EXPECT_EQ(Managed(target, window), row.managed);
        const std::vector<UINT> m = target.Messages(window);
        EXPECT_EQ(std::count(m.begin(), std::find(m.begin(), m.end(), UINT(WM_CREATE)), UINT(WM_GETTEXT)), 0);
    }
    WindowManagerManageWindow(early);  // only the window's own thread admits it, and only once
    EXPECT_FALSE(Managed(target, early));
    EXPECT_EQ(target.Command("manage " + Hex(early)) + target.Command("manage " + Hex(early)), "okok");
    EXPECT_EQ(FeatureItems(target.Menu(early)).size(), 4u);
    // Neither a cancelled log-off nor one program closed by an installer stops admission; the session's end does.
    const struct { WPARAM ending; LPARAM how; bool admitting; } ends[] = {
        {FALSE, 0, true}, {TRUE, ENDSESSION_CLOSEAPP, true}, {TRUE, 0, false}};
    for (const auto& end : ends) {
        SendMessageW(parent, WM_ENDSESSION, end.ending, end.how);
        EXPECT_EQ(SendFeature(target.Create(plain, "After"), L"MOX_ON_TOP", 2), end.admitting) << end.how;
    }
}

TEST(Features, CommandsMenuItemCheckMarkAndStateAtStop) {
    const struct { const wchar_t* message; const char* item; bool (*on)(HWND); bool keptAtStop; } features[] = {
        {L"MOX_ON_TOP", "Always on top", Topmost, true}, {L"MOX_ROLLUP", "Rollup", RolledUp, false},
        {L"MOX_TRAY", "Minimize To Tray", InTray, false}, {L"MOX_TRANSPARENT", "Transparent", SeeThrough, true}};
    // The command (0: the feature's system-menu item), its answer, the state after.
    const struct { WPARAM command; LRESULT answer; bool on; } steps[] = {
        {1, 1, true}, {1, 1, true}, {4, 1, true}, {2, 1, false}, {4, 0, false},
        {3, 1, true}, {0, 0, false}, {0, 0, true}, {9, 0, true}};
    for (int f = 0; f < 4; ++f) {
        SCOPED_TRACE(features[f].item);
        TargetProcess target;
        HWND window = nullptr;
        {
            HookSession session;
            window = target.Create(OverlappedWindow, "Feature");
            const std::vector<MenuItem> menu = target.Menu(window);
            const auto first = std::find_if(menu.begin(), menu.end(), [](const MenuItem& i) { return i.separator; });
            ASSERT_LT(first + 6, menu.end());
            EXPECT_EQ((first + 1 + f)->text, features[f].item) << "after the menu's first separator";
            EXPECT_TRUE((first + 5)->separator);
            for (const auto& step : steps) {
                SCOPED_TRACE(step.command);
                DWORD_PTR answer = 99;
                const UINT message = step.command ? RegisterWindowMessageW(features[f].message) : WM_SYSCOMMAND;
                const WPARAM wParam = step.command ? step.command : 0xE012 + 16 * f;  // the low four bits are the system's
                SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 10000, &answer);
                EXPECT_EQ(static_cast<LRESULT>(answer), step.answer);
                EXPECT_EQ(features[f].on(window), step.on);
                EXPECT_EQ(FeatureItems(target.Menu(window))[f].checked, step.on);
            }
        }
        // A stop does not wait for a window slow to answer: it takes the messages in afterwards.
        EXPECT_TRUE(WaitFor([&] { return features[f].on(window) == features[f].keptAtStop && Height(window) == 240; }));
    }
}

// A window in the tray: a mouse event on its icon, or its own program showing or destroying it.
TEST(TrayIcon, ReleaseRestoresRightPressOpensTheMenuAndTheIconGoesWithTheWindow) {
    FakeTray tray;
    HookSession session;
    TargetProcess target;
    enum { Icon, Show, Destroy, Restart };  // Restart: a restarted shell asks for the icons again
    const struct { int what; LPARAM event; bool inTray, menu; } rows[] = {{Icon, WM_LBUTTONDBLCLK, true, false},
        {Icon, WM_LBUTTONDOWN, true, false}, {Icon, WM_RBUTTONUP, true, false}, {Icon, WM_RBUTTONDOWN, true, true},
        {Icon, WM_LBUTTONUP, false, false}, {Show, 0, false, false}, {Destroy, 0, false, false},
        {Restart, 0, true, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.what << " " << Hex(row.event));
        const HWND window = target.Create(OverlappedWindow, "In the tray");
        ASSERT_EQ(SendFeature(window, L"MOX_TRAY", 1), 1);
        tray.notifications.clear();
        if (row.what == Icon) PostMessageW(window, RegisterWindowMessageW(L"MOX_TRAY_MSG"), 1000, row.event);
        if (row.what == Show) ShowWindow(window, SW_SHOWNA);
        if (row.what == Destroy) target.Command("destroy " + Hex(window));
        if (row.what == Restart) SendMessageW(window, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        HWND menu = nullptr;
        EXPECT_EQ(WaitFor([&] { return IsWindowVisible(menu = FindWindowW(L"#32768", nullptr)); }, row.menu ? 5000 : 500),
                  row.menu) << "the window's menu";
        if (row.menu) PostMessageW(window, WM_CANCELMODE, 0, 0), WaitFor([&] { return !IsWindowVisible(menu); });
        const auto sent = [&](DWORD command) {  // the window's icon: an added one with the window's title as its tip
            return std::any_of(tray.notifications.begin(), tray.notifications.end(), [&](const IconNotification& n) {
                return n.id == 1000 && n.command == command && (command == NIM_DELETE || n.tip == L"In the tray");
            });
        };
        EXPECT_EQ(WaitFor([&] { return sent(NIM_DELETE); }, row.inTray ? 300 : 5000), !row.inTray) << "icon removed";
        EXPECT_TRUE(row.what != Restart || WaitFor([&] { return sent(NIM_ADD); })) << "the icon again";
        EXPECT_EQ(IsWindow(window) && !IsWindowVisible(window), row.inTray);
    }
}

// Rolled up, a window keeps the height to come back to through a minimize, the tray and a restore, also when it
// keeps itself taller than its caption; a real resize ends the state; "Rollup" off and the stop give the height back.
TEST(Rollup, KeepsTheHeightUntilARealResizeAlsoWhenTheWindowStaysTaller) {
    const UINT Drag = 0, Stop = 1, Rollup = RegisterWindowMessageW(L"MOX_ROLLUP");
    const UINT Tray = RegisterWindowMessageW(L"MOX_TRAY");
    enum { Any, Low, Open, Dragged };  // the height: not looked at, rolled up, as created, 40 more than rolled up
    const struct { UINT message; WPARAM wParam; int height; bool rolled; } steps[] = {{Rollup, 1, Low, true},
        {WM_SYSCOMMAND, SC_MINIMIZE, Any, true}, {WM_SYSCOMMAND, SC_RESTORE, Low, true}, {Tray, 1, Any, true},
        {Tray, 2, Low, true}, {Rollup, 2, Open, false}, {Tray, 1, Any, false}, {Rollup, 1, Any, true},
        {Tray, 2, Low, true}, {Drag, 0, Dragged, false}, {WM_SYSCOMMAND, 0xE022, Low, true}, {Rollup, 2, Dragged, false},
        {Rollup, 3, Low, true}, {Tray, 1, Any, true}, {Stop, 0, Dragged, false}};
    for (const LONG low : {27, 100}) {  // rolled up as computed; a window whose minimum height is 100 (0x64)
        HookSession session;
        TargetProcess target;
        const HWND window = target.Create(OverlappedWindow, "Rollup");
        if (low == 100) target.Command("minheight " + Hex(window) + " 64");
        for (const auto& step : steps) {
            SCOPED_TRACE(testing::Message() << low << ": " << Hex(step.message) << " " << step.wParam);
            const POINT border = HitPoint(window, HTBOTTOM, {260, WindowRect(window).bottom - 1}, 0, -1, 10);
            if (step.message == Drag) {  // once the program has taken in what came before
                target.Messages(window), SetForegroundWindow(window), Mouse(border, MOUSEEVENTF_LEFTDOWN);
                Mouse({border.x, border.y + 20}), Mouse({border.x, border.y + 40}, MOUSEEVENTF_LEFTUP);
            }
            if (step.message == Stop) WindowManagerStop();
            if (step.message > Stop) SendMessageTimeoutW(window, step.message, step.wParam, 0, 0, 5000, nullptr);
            const LONG heights[] = {0, low, 240, low + 40}, height = heights[step.height];
            EXPECT_TRUE(WaitFor([&] { return !height || Height(window) == height; }, 2000)) << Height(window);
            EXPECT_EQ(GetPropW(window, L"MOX_ROLLUP") != nullptr, step.rolled);
        }
    }
}

TEST(Stop, ReleasesEveryWindowOnceAndRemovesTheHook) {
    TargetProcess target;
    std::vector<HWND> windows;
    {
        HookSession session;
        windows.push_back(target.Create(OverlappedWindow, "Top level"));
        windows.push_back(target.Create(WS_CHILD | OverlappedWindow, "Child", 0, "LorvekTarget", windows[0]));
        for (HWND window : windows) {
            ASSERT_TRUE(Managed(target, window));
            target.Messages(window);
        }
        ASSERT_TRUE(SendFeature(windows[1], L"MOX_ROLLUP", 1) && SendFeature(windows[1], L"MOX_TRAY", 1));
    }
    const UINT unsubclass = RegisterWindowMessageW(L"MOX_WINDOWMANAGER_UNSUBCLASS");
    for (HWND window : windows) {
        EXPECT_EQ(Count(target.Messages(window), unsubclass), 1) << "passed on once before the release";
        EXPECT_FALSE(Managed(target, window));
        EXPECT_EQ(SendFeature(window, L"MOX_ON_TOP", 1), 0);
        EXPECT_FALSE(Topmost(window));
    }
    EXPECT_TRUE(IsWindowVisible(windows[1]) && Height(windows[1]) == 240) << "the child back from the tray, unrolled";
    EXPECT_FALSE(GetPropW(windows[1], L"MOX_TRAY") || GetPropW(windows[1], L"MOX_ROLLUP"));
    TargetProcess fresh;
    const auto menu = [](TargetProcess& process, HWND window) {  // the texts, separators as "-"
        std::string texts;
        for (const MenuItem& item : process.Menu(window)) texts += (item.separator ? "-" : item.text) + "|";
        return texts;
    };
    EXPECT_EQ(menu(target, windows[0]), menu(fresh, fresh.Create(OverlappedWindow, "After the stop")));
    EXPECT_EQ(fresh.Command("loaded"), "0");
}

TEST(Bindings, KeysMessageAndHitTestChooseTheAction) {
    HookSession session;
    SetMouseAction(MoxButtonRight, 0, HTCAPTION, MoxActionSendToBack);
    SetMouseAction(MoxButtonMiddle, 0, HTCAPTION, MoxActionMinimize);
    SetMouseAction(MoxButtonMiddle, 1, HTMINBUTTON, MoxActionMinimizeToTray);
    SetMouseActionDblClk(MoxButtonLeft, 0, HTCAPTION, MoxActionRollup);
    Mouse({GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
    TargetProcess target;
    target.Create(OverlappedWindow, "Below");
    const struct { std::vector<WORD> keys; UINT message; WPARAM hit; bool claimed; bool (*happened)(HWND); } rows[] = {
        {{}, WM_NCRBUTTONUP, HTCAPTION, true, Last},
        {{}, WM_NCRBUTTONDOWN, HTCAPTION, true, Untouched},
        {{}, WM_NCMBUTTONUP, HTCAPTION, true, Iconic},
        {{VK_CONTROL}, WM_NCMBUTTONUP, HTCAPTION, false, Untouched},
        {{}, WM_NCMBUTTONUP, HTBOTTOM, false, Untouched},
        {{VK_CONTROL}, WM_NCMBUTTONUP, HTMINBUTTON, true, InTray},
        {{VK_SHIFT}, WM_NCMBUTTONUP, HTMINBUTTON, false, Untouched},
        {{}, WM_NCLBUTTONDBLCLK, HTCAPTION, true, RolledUp},
        {{}, WM_NCMBUTTONDBLCLK, HTCAPTION, false, Untouched}};
    for (const auto& row : rows) {
        SCOPED_TRACE(Hex(row.message) + " hit " + Hex(row.hit) + " keys " + std::to_string(row.keys.size()));
        const HWND window = target.Create(OverlappedWindow, "Bound");
        target.Messages(window);
        Keys(row.keys, true);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, row.message, row.hit, MAKELPARAM(150, 110), SMTO_ABORTIFHUNG, 5000, &result);
        Keys(row.keys, false);
        EXPECT_EQ(Count(target.Messages(window), row.message) == 0, row.claimed);
        EXPECT_TRUE(row.happened(window));
    }
}

// A drag of the caption or of the right border by (dx, dy), from 100, 100, 320 x 240: with Alt held, edges that come
// within 10 pixels of another window's or of the screen's snap; the read-out follows, a new one in each row (as of a
// later run of the tray program).
TEST(Snap, AltDragSnapsToWindowsAndScreenEdgesWhileTheReadOutFollows) {
    HookSession session;
    TargetProcess target;
    const HWND still = target.Create(OverlappedWindow, "Still"), moved = target.Create(OverlappedWindow, "Moved");
    SetWindowPos(still, nullptr, 500, 100, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    const struct { bool alt; LRESULT hit; int dx, dy; RECT expected; } rows[] = {
        {true, HTCAPTION, 395, 7, {500, 100, 820, 340}}, {false, HTCAPTION, 395, 7, {495, 107, 815, 347}},
        {true, HTCAPTION, -96, -95, {0, 0, 320, 240}}, {true, HTRIGHT, 75, 3, {100, 100, 500, 340}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.alt << " " << row.hit << " " << row.dx);
        SetWindowPos(moved, nullptr, 100, 100, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
        SetForegroundWindow(moved);
        const POINT start = row.hit == HTCAPTION ? Caption(moved) : HitPoint(moved, HTRIGHT, {419, 220}, -1, 0, 10);
        Mouse(start);  // before Alt: a window getting the pointer makes Wine read the keyboard again
        if (row.alt) Keys({VK_MENU}, true);
        MoveSizeOverlay overlay;
        target.Messages(moved);
        Mouse(start, MOUSEEVENTF_LEFTDOWN);
        for (int step = 1; step <= 10; ++step) Mouse({start.x + row.dx * step / 10, start.y + row.dy * step / 10});
        Mouse({start.x + row.dx, start.y + row.dy}, MOUSEEVENTF_LEFTUP);
        if (row.alt) Keys({VK_MENU}, false), Keys({VK_ESCAPE}, true), Keys({VK_ESCAPE}, false);  // Alt opens menu mode
        const RECT r = WindowRect(moved), e = row.expected;
        EXPECT_TRUE(EqualRect(&r, &e)) << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom;
        const bool move = row.hit == HTCAPTION;
        const UINT loop = move ? WM_MOVING : WM_SIZING, report = move ? WM_MOVE : WM_SIZE;
        ExpectSequence(target.Messages(moved), {WM_ENTERSIZEMOVE, loop, WM_EXITSIZEMOVE}, "the window's loop");
        std::vector<UINT> causes;
        const std::vector<MoveSizePost> posts = overlay.Posts();
        for (const MoveSizePost& post : posts) causes.push_back(static_cast<UINT>(post.cause));
        ExpectSequence(causes, {WM_ENTERSIZEMOVE, report, WM_EXITSIZEMOVE}, "the read-out");
        ASSERT_GE(posts.size(), 3u);
        EXPECT_EQ(posts[posts.size() - 2].data, move ? MAKELPARAM(e.left, e.top) : MAKELPARAM(e.right - e.left, 240));
    }
}

Image Face(POINT centre) { return CaptureScreen({centre.x - 4, centre.y - 4, centre.x + 4, centre.y + 4}); }

TEST(PinButton, ClickTogglesOnTopAPressMovedOffTogglesNothingAndTheFaceFollows) {
    WindowManagerStop();
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Pin");  // open before the start, admitted later
    HookSession session;
    SetForegroundWindow(window);
    const POINT caption = Caption(window), away = {0, 0};
    const POINT minimize = HitPoint(window, HTMINBUTTON, {WindowRect(window).right - 1, caption.y}, -1, 0);
    Mouse(away);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
    const auto left = [&] { return CaptureScreen({minimize.x - 40, caption.y - 4, minimize.x - 18, caption.y + 4}); };
    const Image bare = left();
    SendFeature(window, L"MOX_WINDOWMANAGER_MANAGE", 0);
    EXPECT_TRUE(WaitFor([&] { return left().pixels != bare.pixels; }, 2000)) << "the pin shows at once";
    const POINT edge = HitPoint(window, HTBORDER, minimize, -1, 0, 100);  // the pin answers HTBORDER
    ASSERT_GE(edge.x, 0);
    const POINT pin = {edge.x - 6, caption.y};
    PumpFor(200);
    const Image themed = Face(pin);
    EXPECT_EQ(target.Command("classic " + Hex(window)), "0");
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    Image classic, pushed;
    EXPECT_TRUE(WaitFor([&] { return (classic = Face(pin)).pixels != themed.pixels; }, 2000)) << "a classic face";
    EXPECT_GE(std::count_if(classic.pixels.begin(), classic.pixels.end(), [&](uint32_t p) { return p != classic.At(3, 3); }), 16);
    // A release point, or none: the program's own SetWindowPos makes the window topmost.
    const struct { POINT releaseAt; bool topmost; const Image* face; } clicks[] = {
        {pin, true, &pushed}, {{pin.x, pin.y + 80}, true, &pushed}, {pin, false, &classic}, {{-1, -1}, true, &pushed}};
    for (const auto& click : clicks) {
        target.Messages(window);
        if (click.releaseAt.x < 0) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        else Mouse(pin, MOUSEEVENTF_LEFTDOWN), Mouse(click.releaseAt, MOUSEEVENTF_LEFTUP), Mouse(away);
        EXPECT_TRUE(WaitFor([&] { return Topmost(window) == click.topmost; }));
        EXPECT_EQ(Count(target.Messages(window), WM_NCLBUTTONDOWN), 0) << "the press is the button's";
        if (pushed.pixels.empty()) {  // the first pushed face must differ from the classic one
            EXPECT_TRUE(WaitFor([&] { return (pushed = Face(pin)).pixels != classic.pixels; }, 2000)) << "pushed";
        }
        EXPECT_TRUE(WaitFor([&] { return Face(pin).pixels == click.face->pixels; }, 2000));
    }
    std::vector<UINT> seen;  // after a hover on the button: the program may track the mouse in its frame too
    Mouse(pin), Mouse(away);
    EXPECT_TRUE(WaitFor([&] { for (UINT m : target.Messages(window)) seen.push_back(m); return Count(seen, WM_NCMOUSELEAVE); }));
    SendMessageW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Renamed"));  // its procedure adds WS_CLIPCHILDREN
    EXPECT_EQ(Count(target.Messages(window), WM_STYLECHANGED), 1) << "no style changes but the program's own";
    EXPECT_TRUE(GetWindowLongW(window, GWL_STYLE) & WS_CLIPCHILDREN);
    EXPECT_TRUE(WaitFor([&] { return Face(pin).pixels == pushed.pixels; }, 2000)) << "the button over the new title";
}

std::vector<HWND> Popups(HWND window) {  // the visible top-level static controls of the window's thread
    std::vector<HWND> found;
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"Static", nullptr)) != nullptr;)
        if (GetWindowThreadProcessId(w, nullptr) == GetWindowThreadProcessId(window, nullptr) && IsWindowVisible(w)) found.push_back(w);
    return found;
}

// Windows draws the frame: the pin is a window of its own, left of the caption buttons the stand-in dwmapi reports
// (window-relative 174,8 - 312,38 on a 320-pixel-wide window), right above the window, letting clicks through to it.
TEST(PinButton, OnAComposedFrameItIsAWindowOfItsOwnLeftOfTheCaptionButtons) {
    HookSession session;
    WindowManagerSetIgnoreTitle({L"Unmanaged"});
    TargetProcess target("Lorvek.dll", L"composed\\"), framed;
    const HWND plain = target.Create(OverlappedWindow, "Unmanaged"), beside = framed.Create(OverlappedWindow, "Uncomposed");
    target.Create(OverlappedWindow, "Own title bar", 0, "OwnTitleBar");
    const HWND window = target.Create(OverlappedWindow, "Composed");
    ASSERT_TRUE(WaitFor([&] { return Popups(window).size() == 1; })) << "one for both windows, none over its own title bar";
    const HWND pin = Popups(window)[0];
    std::vector<LRESULT> hits[2];  // over the caption buttons, every 2 pixels across and 3 down
    for (int i = 0; i < 2 * 69 * 10; ++i) hits[i % 2].push_back(SendMessageW(i % 2 ? plain : window, WM_NCHITTEST, 0, MAKELPARAM(274 + i / 2 % 69 * 2, 108 + i / 138 * 3)));
    EXPECT_EQ(hits[0], hits[1]) << "as on an unmanaged window";
    const auto click = [&] {  // Wine's caption ends 15 pixels into the pin
        for (DWORD button : {DWORD(MOUSEEVENTF_LEFTDOWN), DWORD(MOUSEEVENTF_LEFTUP), DWORD(0)}) Mouse({WindowRect(pin).left + 23, WindowRect(pin).top + 5}, button);
        Mouse({0, 0});
    };
    SetWindowPos(beside, nullptr, 440, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const struct { const char* what; std::function<void()> act; bool shown, topmost; } steps[] = {{"shown", [] {}, true, false},
        {"click", click, true, true}, {"move", [&] { SetWindowPos(window, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER); }, true, true},
        {"minimize", [&] { ShowWindow(window, SW_MINIMIZE); }, false, true}, {"restore", [&] { ShowWindow(window, SW_RESTORE); }, true, true},
        {"menu", [&] { SendMessageW(window, WM_SYSCOMMAND, 0xE010, 0); }, true, false},
        {"program", [&] { SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }, true, true}, {"message", [&] { SendFeature(window, L"MOX_ON_TOP", 3); }, true, false}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_TRUE(WaitFor([&] {
            const RECT w = WindowRect(window), p = WindowRect(pin);
            return (IsWindowVisible(pin) != FALSE) == step.shown && (!step.shown || (GetWindow(window, GW_HWNDPREV) == pin &&
                p.left - w.left == 126 && p.top - w.top == 8 && p.right - w.left == 172 && p.bottom - w.top == 38));
        }));
        EXPECT_EQ(Topmost(window), step.topmost);
        Image face;  // the face's colour, and the pin on it
        const auto looks = [&] { face = CaptureWindow(pin); return face.At(2, 2) == (step.topmost ? 0xCCCCCCu : 0xFFFFFFu) &&
            std::count_if(face.pixels.begin(), face.pixels.end(), [&](uint32_t p) { return p != face.At(2, 2); }) >= 16; };
        EXPECT_TRUE(!step.shown || WaitFor(looks, 2000)) << std::hex << face.At(2, 2);
        if (&step == steps) CreateDirectoryW((ExecutableDirectory() + L"screenshots").c_str(), nullptr),  // beside a frame's
            SavePng(CaptureScreen({90, 90, 770, 150}), ExecutableDirectory() + L"screenshots\\pin-composed.png");
    }
    WindowManagerStop();
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(pin); })) << "gone at the stop";
}

TEST(Log, EveryMessageOfAManagedWindowWritesALineWhileTheFileExists) {
    const wchar_t* const path = L"C:\\Lorvek\\Lorvek.log";
    CreateDirectoryW(L"C:\\Lorvek", nullptr);
    {
        HookSession session;
        TargetProcess target;
        const HWND window = target.Create(OverlappedWindow, "Logged");
        CloseHandle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        Sleep(1100);  // a process looks for a missing log file again after a second
        for (int i = 0; i < 25; ++i) SendMessageW(window, WM_USER + 7, 0, 0);
        std::ifstream file(path, std::ios::binary);  // UTF-16 lines
        const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        wchar_t line[64];
        wsprintfW(line, L"TitleButtonsWindowProc 0x%X ", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(window)));
        size_t lines = 0;
        for (size_t at = 0; (at = text.find(line, at)) != std::wstring::npos; ++at) ++lines;
        EXPECT_EQ(lines, 25u);
    }
    DeleteFileW(path);
}

// The README's picture: a managed window with its system menu open, "Always on top" checked.
TEST(Screenshot, ManagedWindowWithItsSystemMenuOpen) {
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Untitled - Editor");
    SendFeature(window, L"MOX_ON_TOP", 1);
    SetForegroundWindow(window);
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, ' ');
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(menu = FindWindowW(L"#32768", nullptr)); }));
    PumpFor(300);  // the menu finishes painting
    RECT area = WindowRect(window), menuArea = WindowRect(menu);
    UnionRect(&area, &area, &menuArea);
    CreateDirectoryW((ExecutableDirectory() + L"screenshots").c_str(), nullptr);
    EXPECT_TRUE(SavePng(CaptureScreen(area), ExecutableDirectory() + L"screenshots\\managed-window-menu.png"));
    Keys({VK_ESCAPE}, true), Keys({VK_ESCAPE}, false);
    // The close button shows its glyph (a cross, the same mirrored), not the letter "r" of a missing font.
    const POINT p = HitPoint(window, HTCLOSE, {WindowRect(window).right - 1, WindowRect(window).top + 12}, -1, 0);
    const auto close = [&](int dx, int dy) { return SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x + dx, p.y + dy)) == HTCLOSE; };
    RECT face = {p.x, p.y, p.x, p.y};
    while (close(face.left - 1 - p.x, 0)) --face.left;
    while (close(0, face.top - 1 - p.y)) --face.top;
    while (close(0, face.bottom + 1 - p.y)) ++face.bottom;
    InflateRect(&face, -3, -3);
    const Image glyph = CaptureScreen(face);
    const auto dark = [&](int x, int y) { return (glyph.At(x, y) & 0xFF) < 0x60; };
    int left = glyph.width, right = -1, mismatches = 0, inked = 0;  // the ink's columns, mirrored about their middle
    for (int y = 0; y < glyph.height; ++y)
        for (int x = 0; x < glyph.width; ++x) if (dark(x, y)) left = std::min(left, x), right = std::max(right, x);
    for (int y = 0; y < glyph.height; ++y)
        for (int x = left; x <= right; ++x) inked += dark(x, y), mismatches += dark(x, y) != dark(left + right - x, y);
    EXPECT_GE(inked, 6);
    EXPECT_LE(mismatches, inked / 8) << "the close button's glyph is not a cross";
}

} // namespace
