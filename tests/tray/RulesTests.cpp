// Rules through Hovelle.exe and windows of the target program: stored rules at the start, a pin's Shift + click, the
// Rules window.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <fstream>
#include "Harness.h"
#include "Process.h"
#include "RulesResource.h"
#include "Screenshot.h"
#include "SettingsResource.h"
#include "TrayHarness.h"

using namespace harness;
namespace {
const std::wstring Key = L"Software\\Tenvale\\Hovelle", RulesKey = Key + L"\\Rules";
struct Value { const wchar_t *rule, *name; std::wstring text; DWORD number; };  // REG_SZ text, or a REG_DWORD
void Store(const Value& v)
{
    const std::wstring key = v.rule ? RulesKey + L"\\" + v.rule : Key;
    const bool text = !v.text.empty();
    const void* data = text ? static_cast<const void*>(v.text.c_str()) : &v.number;
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), v.name, text ? REG_SZ : REG_DWORD, data,
                    text ? static_cast<DWORD>(v.text.size() + 1) * 2 : 4);
}
std::wstring Stored(const std::wstring& rule, const wchar_t* name)  // a rule's REG_SZ or REG_DWORD as text, or "absent"
{
    wchar_t data[256] = {};
    DWORD size = sizeof data - 2, type = 0, number = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, (RulesKey + L"\\" + rule).c_str(), name, RRF_RT_ANY, &type, data, &size))
        return L"absent";
    return type == REG_DWORD ? (std::memcpy(&number, data, 4), std::to_wstring(number)) : data;
}
bool Topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
int Alpha(HWND window)
{
    BYTE alpha = 255;
    DWORD flags = 0;
    if (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    return alpha;
}
bool RolledUp(HWND window) { return WindowRect(window).bottom - WindowRect(window).top < 100; }
void Sync(HWND window)  // the window's thread has handled what was posted to it before
{
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
}
HWND WaitForDialog(const wchar_t* title)
{
    HWND dialog = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (dialog = FindWindowW(L"#32770", title)) != nullptr; }));
    return dialog;
}
Image Face(POINT centre) { return CaptureScreen({centre.x - 4, centre.y - 4, centre.x + 4, centre.y + 4}); }
POINT Centre(HWND window) { const RECT r = WindowRect(window); return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

struct RulesTest : testing::Test {
    void SetUp() override { TearDown(); }
    void TearDown() override { WindowManagerStop(), ResetSharedSettings(), RegDeleteTreeW(HKEY_CURRENT_USER, Key.c_str()); }
};

TEST_F(RulesTest, StoredRulesApplyAtOpenByProgramClassAndTitleFirstMatchOnlyBadDataSkipped)
{
    for (const Value& value : std::initializer_list<Value>{
             {L"1 bad", L"Class", L"Bad*", 0}, {L"1 bad", L"AlwaysOnTop", L"", 1},
             {L"1 bad", L"Opacity", L"", 5}, {L"2 bad", L"Program", L"", 1},
             {L"2 bad", L"AlwaysOnTop", L"", 1}, {L"3 class", L"Class", L"ByClass*", 0},
             {L"3 class", L"AlwaysOnTop", L"", 1}, {L"4 title", L"Title", L"By title ?", 0},
             {L"4 title", L"Opacity", L"", 40}, {L"5 program", L"Program", L"TARG*.EXE", 0},
             {L"5 program", L"Title", L"By program", 0}, {L"5 program", L"Rollup", L"", 1},
             {L"6 other", L"Program", L"notepad.exe", 0}, {L"6 other", L"AlwaysOnTop", L"", 1},
             {nullptr, L"TransparentOpacity", L"", 50}})
        Store(value);
    const wchar_t* const log = L"C:\\Lorvek\\Lorvek.log";
    CreateDirectoryW(L"C:\\Lorvek", nullptr);
    CloseHandle(CreateFileW(log, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    std::ifstream file(log, std::ios::binary);  // UTF-16 lines
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    file.close(), DeleteFileW(log);
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    for (const wchar_t* line : {L"Rule \"1 bad\" skipped: bad Opacity", L"Rule \"2 bad\" skipped: bad Program"})
        EXPECT_NE(text.find(line), std::wstring::npos) << line;
    TargetProcess target;
    const struct { const char *className, *title; bool topmost; int alpha; bool rolledUp; } windows[] = {
        {"BadRule", "Bad", false, 255, false}, {"ByClassA", "By title 1", true, 255, false},
        {"LorvekTarget", "By title 2", false, 102, false}, {"LorvekTarget", "By program", false, 255, true},
        {"LorvekTarget", "Other", false, 255, false}};
    HWND window = nullptr;
    for (const auto& w : windows) {
        SCOPED_TRACE(w.title);
        window = target.Create(OverlappedWindow, w.title, 0, w.className);
        EXPECT_EQ(Topmost(window), w.topmost);
        EXPECT_EQ(Alpha(window), w.alpha);
        EXPECT_EQ(RolledUp(window), w.rolledUp);
    }
    EXPECT_EQ(SendFeature(window, L"MOX_TRANSPARENT", 1), 1);
    EXPECT_EQ(Alpha(window), 128) << "\"Transparent\" at 50 %";
}

TEST_F(RulesTest, ShiftClickOnThePinAndTheRulesWindowChangeTheNextWindow)
{
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.Ready());
    TargetProcess target;
    const std::wstring rule = L"On top target.exe";
    HWND window = target.Create(OverlappedWindow, "Pinned");
    for (const bool pinned : {true, false}) {
        SCOPED_TRACE(pinned ? "pin" : "unpin");
        SetForegroundWindow(window);
        ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }));
        const RECT r = WindowRect(window);
        const POINT caption = HitPoint(window, HTCAPTION, {(r.left + r.right) / 2, r.top}, 0, 1, 60);
        const POINT minimize = HitPoint(window, HTMINBUTTON, {r.right - 1, caption.y + 4}, -1, 0);
        const POINT pin = {HitPoint(window, HTBORDER, minimize, -1, 0, 100).x - 6, minimize.y};
        Mouse(pin), Keys({VK_SHIFT}, true), Mouse(pin, MOUSEEVENTF_LEFTDOWN), Mouse(pin, MOUSEEVENTF_LEFTUP);
        EXPECT_TRUE(WaitFor([&] { return Topmost(window) == pinned; }));
        Keys({VK_SHIFT}, false), Mouse({0, 0});
        Image face;  // the pin's face, once it stays the same
        EXPECT_TRUE(WaitFor([&] { const Image before = face; return PumpFor(100), (face = Face(pin)).pixels == before.pixels; }));
        EXPECT_TRUE(WaitFor([&] { return Stored(rule, L"Program") == (pinned ? L"target.exe" : L"absent"); }));
        EXPECT_EQ(Stored(rule, L"AlwaysOnTop"), pinned ? L"1" : L"absent");
        Sync(hovelle.main);
        window = target.Create(OverlappedWindow, pinned ? "Second" : "Third");
        EXPECT_EQ(Topmost(window), pinned) << "a new window of the program";
        EXPECT_TRUE(!pinned || WaitFor([&] { return Face(pin).pixels == face.pixels; }, 2000)) << "its pin pushed too";
    }
    // Two rules stored, then one more from the Rules window: the first one's actions, a window picked, 60 %.
    Store({L"Notes", L"Program", L"notepad.exe", 0}), Store({L"Notes", L"AlwaysOnTop", L"", 1});
    Store({L"Video", L"Class", L"MediaPlayer*", 0}), Store({L"Video", L"Opacity", L"", 80});
    const HWND picked = target.Create(OverlappedWindow, "Picked one", 0, "PickMe");
    SetWindowPos(picked, HWND_TOPMOST, 100, 480, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_EQ(0u, ChildProcess(L"\"" + ExecutableDirectory() + L"Hovelle.exe\"").WaitForExit());
    const HWND settings = WaitForDialog(L"Window Manager Settings");
    PostMessageW(settings, WM_COMMAND, MAKEWPARAM(IDC_SET_RULES, BN_CLICKED), 0);
    const HWND rules = WaitForDialog(L"Rules");
    SetWindowPos(rules, nullptr, 450, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER), SetForegroundWindow(rules);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == rules; }));
    Image shot, before;  // painted: the same twice, 200 ms apart, and not black
    EXPECT_TRUE(WaitFor([&] { return before = shot, PumpFor(200), (shot = CaptureWindow(rules)).pixels == before.pixels &&
                                     shot.At(shot.width / 2, shot.height - 10) != 0; }));
    SavePng(shot, ExecutableDirectory() + L"rules.png");
    const POINT finder = Centre(GetDlgItem(rules, IDC_RULE_FINDER));
    Mouse(finder), Mouse(finder, MOUSEEVENTF_LEFTDOWN);
    Mouse({200, 600}), Mouse({200, 600}, MOUSEEVENTF_LEFTUP);
    SetDlgItemTextW(rules, IDC_RULE_OPACITY, L"60");
    SendMessageW(rules, WM_COMMAND, MAKEWPARAM(IDC_RULE_ADD, BN_CLICKED), 0);
    EXPECT_EQ(SendDlgItemMessageW(rules, IDC_RULE_LIST, LB_GETCOUNT, 0, 0), 3);
    PostMessageW(rules, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(rules); }));
    std::wstring stored;
    for (const wchar_t* name : {L"Program", L"Class", L"Title", L"AlwaysOnTop", L"Opacity", L"Rollup"})
        stored += Stored(L"Rule 001", name) + L"|";
    EXPECT_EQ(stored, L"target.exe|PickMe|Picked one|1|60|0|");
    PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);
    const HWND next = target.Create(OverlappedWindow, "Picked one", 0, "PickMe");
    EXPECT_TRUE(Alpha(next) == 153 && Topmost(next));
    EXPECT_EQ(Alpha(target.Create(OverlappedWindow, "Picked two", 0, "PickMe")), 255);
}
} // namespace
