// The toolkit with real windows and registry keys of this process, and the
// debug log's destinations.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "DebugLog.h"
#include "MenuHandle.h"
#include "Reg.h"
#include "Rows.h"
#include "WindowsError.h"
#include "WndHandler.h"

namespace {

using namespace std::string_literals;
using Strings = std::vector<std::wstring>;
std::vector<std::pair<unsigned char*, std::size_t>> graves;  // deleted handlers, kept filled with 0xDD
int deaths = 0;

#define ON0(F) LRESULT F() override { return Rec(#F); }
#define ON1(F, A) LRESULT F(A a) override { return Rec(#F, a); }
#define ON2(F, A, B) LRESULT F(A a, B b) override { return Rec(#F, a, b); }
#define ON3(F, A, B, C) LRESULT F(A a, B b, C c) override { return Rec(#F, a, b, c); }
#define XY(F) ON3(F, WPARAM, UINT, UINT)
#define WL(F) ON2(F, WPARAM, LPARAM)
#define KEY(F) ON2(F, WPARAM, LPARAM*)

// Writes down each operation it is given with its arguments in hex; an
// argument passed by pointer to lParam is changed to 0x99 on the way.
class CRecorder : public CWndHandler, public CMessageObserver {
public:
    CRecorder() : CWndHandler(DefWindowProcW) { AddObserver(this); }
    ~CRecorder() override { ++deaths; }
    static void operator delete(void* p, std::size_t n)
    {
        graves.emplace_back(static_cast<unsigned char*>(std::memset(p, 0xDD, n)), n);
    }
    static CRecorder* Create()
    {
        static const WNDCLASSEXW windowClass = {sizeof windowClass, 0, WndHandlerWindowProc, 0, 0,
            GetModuleHandleW(nullptr), nullptr, nullptr, nullptr, nullptr, L"HovelleUnitWnd", nullptr};
        static const ATOM atom = RegisterWndClass(windowClass);
        auto* handler = new CRecorder;
        CreateWnd(handler, MAKEINTATOM(atom), L"Recorder", WS_OVERLAPPEDWINDOW, 0, 0, 0, 200, 100, nullptr, nullptr,
                  GetModuleHandleW(nullptr));
        return handler;
    }
    void BeforeMessage(CWndHandler&, UINT, WPARAM, LPARAM) override { log.clear(); }
    void AfterMessage(CWndHandler&, UINT, WPARAM, LPARAM lParam) override
    {
        if (lParam != CurrentLParam()) log += " after", Put(lParam);
    }
    LRESULT OnCreate(CREATESTRUCTW* create) override { return failCreate ? -1 : Rec("OnCreate", create); }
    LRESULT OnPaint(CPaintDC& dc) override
    {
        if (throwInPaint) throw CWindowsError(ERROR_INVALID_WINDOW_HANDLE, L"CDevContext::DrawText ");
        return Rec("OnPaint", dc);
    }
    LRESULT OnCommand(UINT code, WPARAM wParam, LPARAM control) override
    {
        return wParam == 99 ? (DestroyWindow(), 7) : Rec("OnCommand", code, wParam, control);
    }
    ON2(OnMove, int, int) XY(OnMouseMove) ON0(OnMouseLeave) XY(OnLButtonDown) XY(OnLButtonUp) XY(OnLButtonDblClk)
    XY(OnRButtonDown) XY(OnRButtonUp) XY(OnRButtonDblClk) XY(OnMButtonDown) XY(OnMButtonUp) XY(OnMButtonDblClk)
    WL(OnActivate) WL(OnDrawItem) WL(OnMeasureItem) WL(OnNotify) WL(OnSettingChange) WL(OnTimer) XY(OnSize)
    ON1(OnDropFiles, HDROP) ON1(OnEraseBkgnd, CDevContext&) ON0(OnEnterSizeMove) ON0(OnExitSizeMove)
    ON3(OnHotKey, UINT, UINT, WPARAM) ON3(OnHScroll, HWND, UINT, UINT) ON3(OnVScroll, HWND, UINT, UINT)
    ON3(OnInitMenuPopup, HMENU, UINT, UINT) KEY(OnKeyDown) KEY(OnKeyUp) KEY(OnSysKeyDown) KEY(OnSysKeyUp)
    ON3(OnMenuSelect, UINT, UINT, HMENU) ON3(OnMouseWheel, UINT, UINT, LPARAM*) ON3(OnSetCursor, HWND, UINT, UINT)
    ON2(OnSizing, WPARAM, RECT*) ON0(OnClose) ON0(OnDestroy) XY(OnNcMouseMove)
    LRESULT OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        return message == WM_APP + 1 ? Rec("OnOtherMessage", message, wParam, lParam) : DoDefault();
    }
    ON1(OnGetIcon, WPARAM) ON1(OnGetMinMaxInfo, MINMAXINFO*)

    std::string log;
    bool throwInPaint = false;
    static bool failCreate;

private:
    template <typename... A> LRESULT Rec(const char* name, A&&... arguments)
    {
        log += name;
        (Put(arguments), ...);
        return 0;
    }
    void Put(unsigned long long value)
    {
        char text[24];
        std::snprintf(text, sizeof text, " %llx", value);
        log += text;
    }
    void Put(const void* pointer) { Put(reinterpret_cast<std::uintptr_t>(pointer)); }
    void Put(LPARAM* lParam) { Put(*lParam), *lParam = 0x99; }
    void Put(CDevContext& dc) { Put(dc.Handle()); }
    void Put(CPaintDC& dc) { log += dc.Handle() != nullptr ? " dc" : " none"; }
};
bool CRecorder::failCreate = false;

TEST(WndHandler, DecodesEveryMessageIntoItsOperation)
{
    CRecorder* handler = CRecorder::Create();
#define XY_ " 5fffe0001 fffd 4"
#define WL_ " 5fffe0001 70004fffd"
    struct Row { UINT message; std::string call; };
    const Row rows[] = {{WM_CREATE, "OnCreate 70004fffd"}, {WM_PAINT, "OnPaint dc"}, {WM_MOVE, "OnMove fffffffffffffffd 4"},
        {WM_MOUSEMOVE, "OnMouseMove" XY_}, {WM_MOUSELEAVE, "OnMouseLeave"}, {WM_LBUTTONDOWN, "OnLButtonDown" XY_},
        {WM_LBUTTONUP, "OnLButtonUp" XY_}, {WM_LBUTTONDBLCLK, "OnLButtonDblClk" XY_}, {WM_RBUTTONDOWN, "OnRButtonDown" XY_},
        {WM_RBUTTONUP, "OnRButtonUp" XY_}, {WM_RBUTTONDBLCLK, "OnRButtonDblClk" XY_}, {WM_MBUTTONDOWN, "OnMButtonDown" XY_},
        {WM_MBUTTONUP, "OnMButtonUp" XY_}, {WM_MBUTTONDBLCLK, "OnMButtonDblClk" XY_}, {WM_ACTIVATE, "OnActivate" WL_},
        {WM_COMMAND, "OnCommand fffe" WL_}, {WM_DRAWITEM, "OnDrawItem" WL_}, {WM_DROPFILES, "OnDropFiles 5fffe0001"},
        {WM_ERASEBKGND, "OnEraseBkgnd 5fffe0001"}, {WM_ENTERSIZEMOVE, "OnEnterSizeMove"}, {WM_EXITSIZEMOVE, "OnExitSizeMove"},
        {WM_GETICON, "OnGetIcon 5fffe0001"}, {WM_GETMINMAXINFO, "OnGetMinMaxInfo 70004fffd"},
        {WM_HOTKEY, "OnHotKey fffd 4 5fffe0001"}, {WM_HSCROLL, "OnHScroll 70004fffd 1 fffe"},
        {WM_VSCROLL, "OnVScroll 70004fffd 1 fffe"}, {WM_INITMENUPOPUP, "OnInitMenuPopup" XY_},
        {WM_KEYDOWN, "OnKeyDown" WL_ " after 99"}, {WM_KEYUP, "OnKeyUp" WL_ " after 99"}, {WM_MEASUREITEM, "OnMeasureItem" WL_},
        {WM_MENUSELECT, "OnMenuSelect 1 fffe 70004fffd"}, {WM_MOUSEWHEEL, "OnMouseWheel 1 fffe 70004fffd after 99"},
        {WM_NOTIFY, "OnNotify" WL_}, {WM_SETTINGCHANGE, "OnSettingChange" WL_}, {WM_SETCURSOR, "OnSetCursor" XY_},
        {WM_SIZE, "OnSize" XY_}, {WM_SIZING, "OnSizing" WL_}, {WM_SYSKEYDOWN, "OnSysKeyDown" WL_ " after 99"},
        {WM_SYSKEYUP, "OnSysKeyUp" WL_ " after 99"}, {WM_TIMER, "OnTimer" WL_}, {WM_CLOSE, "OnClose"}, {WM_DESTROY, "OnDestroy"},
        {WM_NCMOUSEMOVE, "OnNcMouseMove" XY_}, {WM_APP + 1, "OnOtherMessage 8001" WL_}};
    // WM_NCDESTROY ends the handler: see the next test.
    EachRow(rows, [&](const Row& r) {
        EXPECT_EQ(WndHandlerWindowProc(handler->Handle(), r.message, 0x5FFFE0001, 0x70004FFFD), 0);
        EXPECT_EQ(handler->log, r.call);
    });
    DestroyWindow(handler->Handle());
}

TEST(WndHandler, HandlersEndOnceWithTheirWindowsAndTheLastPostsQuitZero)
{
    deaths = 0;
    CRecorder::failCreate = true;  // destroyed during its creation: deleted at WM_NCDESTROY, not again
    EXPECT_THROW(CRecorder::Create(), CWindowsError);
    struct Creator : CWndCreator {
        CWndHandler* CreateHandler() override { return new CRecorder; }
    } creator;
    creator.windowClass = L"HovelleUnitWnd";
    creator.instance = GetModuleHandleW(nullptr);
    EXPECT_THROW(creator.Create(), CWindowsError);
    CRecorder::failCreate = false;
    creator.windowClass = L"NoSuchClass";  // never a window: CreateWnd deletes the handler
    EXPECT_THROW(creator.Create(), CWindowsError);
    EXPECT_EQ(deaths, 3);
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
    CRecorder* first = CRecorder::Create();
    CRecorder* second = CRecorder::Create();
    EXPECT_EQ(SendMessageW(first->Handle(), WM_COMMAND, 99, 0), 7) << "the command destroys its own window";
    EXPECT_EQ(deaths, 4);
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    DestroyWindow(second->Handle());
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    EXPECT_EQ(deaths, 5);
    for (const auto& grave : graves) EXPECT_EQ(std::count(grave.first, grave.first + grave.second, 0xDD), grave.second);
}

std::wstring boxText;
HWND boxOwner;

LRESULT CALLBACK CloseMessageBox(int code, WPARAM wParam, LPARAM lParam)
{
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t text[256] = {};
    if (code == HCBT_ACTIVATE && GetDlgItemTextW(box, 0xFFFF, text, 256) > 0) {
        boxText = text;
        boxOwner = GetWindow(box, GW_OWNER);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(WndHandler, ErrorInAnOperationEndsInABoxOwnedByTheWindow)
{
    CRecorder* handler = CRecorder::Create();
    handler->throwInPaint = true;
    const HHOOK hook = SetWindowsHookExW(WH_CBT, CloseMessageBox, nullptr, GetCurrentThreadId());
    EXPECT_EQ(SendMessageW(handler->Handle(), WM_PAINT, 0, 0), 0);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(boxText, L"CDevContext::DrawText Invalid window handle.\r\n");
    EXPECT_EQ(boxOwner, handler->Handle());
    DestroyWindow(handler->Handle());
}

template <typename Operation> std::wstring Thrown(Operation operation)
{
    try {
        operation();
    } catch (const CWindowsError& error) {
        return error.Operation() + std::to_wstring(error.ErrorCode());
    }
    return L"";
}

// A scratch key below HKCU\Software\Tenvale, gone again at the end.
struct Scratch {
    Scratch()
    {
        CReg user;
        user.Open(HKEY_CURRENT_USER, L"Software");
        user.CreateKey(L"Tenvale\\HovelleUnit", &key);
    }
    ~Scratch() { key.Close(), RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale\\HovelleUnit"); }
    void Set(const wchar_t* name, DWORD type, const std::wstring& data, DWORD bytes) const
    {
        RegSetValueExW(key.Handle(), name, 0, type, reinterpret_cast<const BYTE*>(data.data()), bytes);
    }
    void Set(const wchar_t* name, const std::wstring& text) const { Set(name, REG_SZ, text, 2 * text.size() + 2); }
    CReg key;
};

TEST(Reg, StringListAndBoundedReadRows)
{
    const Scratch scratch;
    struct List { Strings written; std::wstring writeError; Strings read; std::wstring readError; };
    const List lists[] = {{{L"first", L"Second *", L"?"}, L"", {L"first", L"Second *", L"?"}, L""}, {{}, L"", {}, L""},
        {{std::wstring(510, L'e')}, L"", {std::wstring(510, L'e')}, L""},
        {{std::wstring(300, L'a'), std::wstring(297, L'b')}, L"", {}, L"CReg::QueryValue: 234"},
        {{std::wstring(1022, L'd')}, L"", {}, L"CReg::QueryValue: 234"},
        {{std::wstring(1023, L'c')}, L"CReg::SetValue: 122", {L"default"}, L""}};
    EachRow(lists, [&](const List& r) {
        RegDeleteValueW(scratch.key.Handle(), L"List");
        EXPECT_EQ(Thrown([&] { scratch.key.SetStringList(L"List", r.written); }), r.writeError);
        Strings read;
        EXPECT_EQ(Thrown([&] { read = scratch.key.QueryStringList(L"List", {L"default"}); }), r.readError);
        EXPECT_EQ(read, r.read);
    });
    struct Raw { DWORD type; std::wstring data; DWORD bytes; Strings read; };
    const Raw raws[] = {{REG_MULTI_SZ, L"a\0b\0\0ignored\0"s, 26, {L"a", L"b"}}, {REG_BINARY, L"abc", 6, {L"abc"}},
                        {REG_BINARY, L"xy", 3, {L"x"}}};
    EachRow(raws, [&](const Raw& r) {
        scratch.Set(L"Raw", r.type, r.data, r.bytes);
        EXPECT_EQ(scratch.key.QueryStringList(L"Raw", {}), r.read);
    });
    scratch.Set(L"Digits", L"0123456789");
    scratch.Set(L"Bare", REG_SZ, L"abcdef", 6);
    scratch.Set(L"Number", REG_DWORD, L"\x7", 4);
    const std::wstring key = L"HKCU\\Software\\Tenvale\\HovelleUnit\\";
    struct Read { std::wstring path; std::size_t capacity; std::wstring text; };
    const Read reads[] = {{key + L"Digits", 5, L"0123"}, {key + L"Digits", 11, L"0123456789"}, {key + L"Bare", 8, L"abc"},
        {L"HKEY_CURRENT_USER\\Software\\Tenvale\\HovelleUnit\\Digits", 12, L"0123456789"},
        {L"hkcu\\Software\\Tenvale\\HovelleUnit\\Digits", 4, L""}, {key + L"Number", 4, L""}, {key + L"Absent", 4, L""},
        {L"HKCU\\Software\\Tenvale\\NoKey\\Digits", 4, L""}, {L"HKCU", 4, L""},
        {L"HKCU\\" + std::wstring(3000, L'k') + L"\\v", 4, L""}};
    EachRow(reads, [](const Read& r) {
        std::wstring output(r.capacity + 1, L'#');
        ReadRegistryString(r.path.c_str(), &output[0], r.capacity);
        EXPECT_EQ(output, r.text + std::wstring(r.capacity - r.text.size(), L'\0') + L"#");
    });
}

std::string debugStrings;  // what OutputDebugString raised in this process

LONG CALLBACK CatchDebugString(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode == DBG_PRINTEXCEPTION_C) debugStrings += reinterpret_cast<const char*>(record.ExceptionInformation[1]);
    return EXCEPTION_CONTINUE_SEARCH;
}

void Log(const wchar_t* destination, const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    WriteLogLine(destination, format, arguments);
    va_end(arguments);
}

const char LogFile[] = "C:\\Lorvek\\Lorvek.log";  // the shipped destination

std::wstring ReadLogFile()
{
    std::ifstream file(LogFile, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

TEST(DebugLog, DestinationRows)
{
    const Scratch scratch;
    const std::wstring key = L"Reg:HKCU\\Software\\Tenvale\\HovelleUnit\\";
    scratch.Set(L"Debugger", L"OutputDebug:");
    scratch.Set(L"File", L"File:C:\\Lorvek\\Lorvek.log");
    scratch.Set(L"Loop", key + L"Debugger");
    CreateDirectoryW(L"C:\\Lorvek", nullptr);
    const PVOID catcher = AddVectoredExceptionHandler(1, CatchDebugString);
    struct Row { std::wstring destination; std::string debugger; std::wstring file; };
    const Row rows[] = {{L"OutputDebug:", "line 7\n", L""}, {L"OutputDebug", "", L""}, {L"outputdebug:", "", L""},
        {L"File:C:\\Lorvek\\Lorvek.log", "", L"line 7\n"}, {L"file:C:\\Lorvek\\Lorvek.log", "", L""},
        {key + L"Debugger", "line 7\n", L""}, {key + L"File", "", L"line 7\n"}, {key + L"Loop", "", L""},
        {key + L"Absent", "", L""}, {L"File:C:\\Lorvek\\Absent.log", "", L""}, {L"Nowhere", "", L""}};
    EachRow(rows, [](const Row& r) {
        std::ofstream(LogFile, std::ios::binary).write(reinterpret_cast<const char*>(L"old\n"), 8);
        debugStrings.clear();
        Log(r.destination.c_str(), L"%s %d", L"line", 7);
        EXPECT_EQ(debugStrings, r.debugger);
        EXPECT_EQ(ReadLogFile(), L"old\n" + r.file);
    });
    Log(nullptr, L"nothing");
    LogMessage(L"shipped %d", 1);
    RemoveVectoredExceptionHandler(catcher);
    EXPECT_EQ(ReadLogFile(), L"old\nshipped 1\n");
    EXPECT_EQ(GetFileAttributesW(L"C:\\Lorvek\\Absent.log"), INVALID_FILE_ATTRIBUTES) << "a missing file is not created";
    DeleteFileA(LogFile);
    RemoveDirectoryW(L"C:\\Lorvek");
}

TEST(Toolkit, FailuresCarryTheirOperationCodeAndText)
{
    const HWND bogus = reinterpret_cast<HWND>(0xDEAD0);
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const CWndProxy proxy(bogus);
    RECT rect;
    WINDOWPLACEMENT placement = {};
    const WNDCLASSEXW windowClass = {sizeof windowClass, 0, DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, L"HovelleUnitTwice", nullptr};
    RegisterClassExW(&windowClass);
    struct Row { std::function<void()> operation; std::wstring thrown; };
    const Row rows[] = {{[&] { proxy.GetClientRect(rect); }, L"CWndProxy::GetClientRect 1400"},
        {[&] { proxy.GetWindowRect(rect); }, L"CWndProxy::GetWindowRect 1400"},
        {[&] { proxy.InvalidateRect(nullptr, false); }, L"CWndProxy::InvalidateRect 1400"},
        {[&] { proxy.GetWindowPlacement(placement); }, L"CWndProxy::GetWindowPlacement 1400"},
        {[&] { proxy.SetWindowPlacement(placement); }, L"CWndProxy::SetWindowPlacement 87"},
        {[&] { proxy.MoveWindow(0, 0, 1, 1, false); }, L"CWndProxy::MoveWindow 1400"},
        {[&] { proxy.SetWindowText(L"x"); }, L"CWndProxy::SetWindowText 1400"},
        {[&] { proxy.DestroyWindow(); }, L"CWndProxy::DestroyWindow 5"},
        {[&] { proxy.EndDialog(1); }, L"CWndProxy::EndDialog 1400"},
        {[&] { CWndProxy(window).GetDlgItem(4711); }, L"CWndProxy::GetDlgItem 1400"},
        {[&] { CWindowDC dc(proxy); }, L"CWindowDC::Create 1400"}, {[&] { CPaintDC dc(proxy); }, L"CPaintDC::Create 1400"},
        {[&] { CMenuHandle(reinterpret_cast<HMENU>(bogus), false).Destroy(); }, L"Windows Error : 1400"},
        {[&] { RegisterWndClass(windowClass); }, L"Windows Error : 1410"},
        {[&] { CReg().Open(HKEY_CURRENT_USER, L"Software\\Tenvale\\NoSuchKey"); }, L"CReg::Open: 2"},
        {[&] { CWndProxy(window).GetWindowRect(rect); }, L""}};
    EachRow(rows, [](const Row& r) { EXPECT_EQ(Thrown(r.operation), r.thrown); });
    struct Text { DWORD code; HMODULE module; std::wstring text; };
    const Text texts[] = {{ERROR_FILE_NOT_FOUND, nullptr, L"File not found.\r\n"},
                          {ERROR_FILE_NOT_FOUND, GetModuleHandleW(nullptr), L"File not found.\r\n"}, {0x2000FF17, nullptr, L""}};
    EachRow(texts, [](const Text& r) { EXPECT_EQ(FormatErrorText(r.code, r.module), r.text); });
    EXPECT_EQ(CWindowsError(ERROR_FILE_NOT_FOUND, L"CReg::Open: ").Message(), L"CReg::Open: File not found.\r\n");
    DestroyWindow(window);
}

TEST(Toolkit, OwnedHandlesGoWithTheirHolders)
{
    const HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    { const CWndProxy proxy(window); }
    EXPECT_TRUE(IsWindow(window));
    const HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), L"sub");
    { const CMenuHandle borrowed(menu, false), sub = CMenuHandle(menu, false).GetSubMenu(0); }
    EXPECT_TRUE(IsMenu(menu));
    { CMenuHandle owned(menu, true), moved(std::move(owned)); }
    EXPECT_FALSE(IsMenu(menu));
    CWindowDC dc{CWndProxy(window)};
    const HGDIOBJ before = GetCurrentObject(dc.Handle(), OBJ_BRUSH);
    const HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    {
        const CGdiObject owned(brush, true);
        { const CObjectSelection selection(dc, owned); EXPECT_EQ(GetCurrentObject(dc.Handle(), OBJ_BRUSH), brush); }
        EXPECT_EQ(GetCurrentObject(dc.Handle(), OBJ_BRUSH), before);
        { const CGdiObject borrowed(brush, false); }
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(brush), 0u);
    DestroyWindow(window);
}

} // namespace
