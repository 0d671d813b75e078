// The window handler framework with real windows of this process: decoding,
// end of life and the quit message, error boxes, and handlers deleted while
// their own operations run.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "DialogDriver.h"
#include "WindowsError.h"
#include "WndHandler.h"

namespace {

const wchar_t* const TestClass = L"HovelleTestHandlerWnd";

void RegisterTestClass()
{
    static bool registered = false;
    if (registered) return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WndHandlerWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = TestClass;
    RegisterWndClass(windowClass);
    registered = true;
}

// Removes a pending WM_QUIT; returns whether there was one, and its code.
bool TakeQuit(WPARAM& code)
{
    MSG message;
    if (!PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    code = message.wParam;
    return true;
}

// Deleted handlers are not freed until the test ends: their bytes are kept
// as they were at deletion, so a later write into a deleted handler shows,
// and an observer called for a deleted handler can tell.
struct Grave {
    unsigned char* memory;
    std::vector<unsigned char> snapshot;
};
std::vector<Grave> graveyard;
int destructions = 0;
std::vector<std::string> discardedLog;

bool GraveyardUntouched()
{
    for (const Grave& grave : graveyard) {
        if (std::memcmp(grave.memory, grave.snapshot.data(), grave.snapshot.size()) != 0) return false;
    }
    return true;
}

bool Buried(const void* object)
{
    for (const Grave& grave : graveyard) {
        if (grave.memory == object) return true;
    }
    return false;
}

void EmptyGraveyard()
{
    for (const Grave& grave : graveyard) ::operator delete(grave.memory);
    graveyard.clear();
    destructions = 0;
}

// Records the decoded operations it receives.
class CRecordingWnd : public CWndHandler {
public:
    CRecordingWnd() : CWndHandler(DefWindowProcW) {}
    ~CRecordingWnd() override { ++destructions; }

    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* memory, size_t size)
    {
        auto* bytes = static_cast<unsigned char*>(memory);
        graveyard.push_back({bytes, std::vector<unsigned char>(bytes, bytes + size)});
    }

    LRESULT OnCreate(CREATESTRUCTW* create) override
    {
        if (failCreate) return -1;
        return CWndHandler::OnCreate(create);
    }
    LRESULT OnMove(int x, int y) override
    {
        log->push_back("move " + std::to_string(x) + " " + std::to_string(y));
        return DoDefault();
    }
    LRESULT OnMouseWheel(UINT keys, UINT delta, LPARAM* position) override
    {
        log->push_back("wheel " + std::to_string(keys) + " " + std::to_string(delta));
        *position = 0x00420042;
        return 0;
    }
    LRESULT OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control) override
    {
        log->push_back("command " + std::to_string(notifyCode) + " " + std::to_string(wParam) + " " +
                       std::to_string(control));
        if (LOWORD(wParam) == 99) {
            DestroyWindow();
            return 7;
        }
        return 0;
    }
    LRESULT OnPaint(CPaintDC& dc) override
    {
        log->push_back("paint");
        paintDc = dc.Handle();
        if (throwInPaint) throw CWindowsError(ERROR_INVALID_WINDOW_HANDLE, L"CDevContext::DrawText ");
        return 0;
    }
    LRESULT OnDestroy() override
    {
        log->push_back(name + " destroy");
        return DoDefault();
    }
    LRESULT OnNcDestroy() override
    {
        log->push_back(name + " ncdestroy");
        return CWndHandler::OnNcDestroy();
    }

    static CRecordingWnd* Create(std::vector<std::string>& log, const std::string& name, HWND owner = nullptr,
                                 DWORD style = WS_OVERLAPPEDWINDOW)
    {
        RegisterTestClass();
        auto* handler = new CRecordingWnd;
        handler->log = &log;
        handler->name = name;
        CWndHandler::CreateWnd(handler, TestClass, L"Recorder", style, 0, 10, 10, 200, 120, owner, nullptr,
                               GetModuleHandleW(nullptr));
        return handler;
    }

    std::vector<std::string>* log = &discardedLog;
    std::string name;
    bool throwInPaint = false;
    HDC paintDc = nullptr;
    static bool failCreate;
};
bool CRecordingWnd::failCreate = false;

class CRecordingObserver : public CMessageObserver {
public:
    void BeforeMessage(CWndHandler& handler, UINT message, WPARAM, LPARAM) override
    {
        if (Buried(&handler)) ++deadCalls;
        before.push_back(message);
    }
    void AfterMessage(CWndHandler& handler, UINT message, WPARAM, LPARAM lParam) override
    {
        if (Buried(&handler)) ++deadCalls;
        after.push_back(message);
        lastLParam = lParam;
    }
    std::vector<UINT> before;
    std::vector<UINT> after;
    LPARAM lastLParam = 0;
    int deadCalls = 0;
};

class WndHandlerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        WPARAM code = 0;
        TakeQuit(code);
        EmptyGraveyard();
        CRecordingWnd::failCreate = false;
    }
    std::vector<std::string> log;
};

TEST_F(WndHandlerTest, LastFrameworkWindowGonePostsQuitZero)
{
    CRecordingWnd* first = CRecordingWnd::Create(log, "first");
    CRecordingWnd* second = CRecordingWnd::Create(log, "second");
    const HWND firstWindow = first->Handle();
    const HWND secondWindow = second->Handle();
    EXPECT_EQ(FindWndHandler(firstWindow), first);
    WPARAM code = 99;
    ASSERT_FALSE(TakeQuit(code));

    DestroyWindow(firstWindow);
    EXPECT_FALSE(TakeQuit(code)) << "another framework window still exists";
    EXPECT_EQ(FindWndHandler(firstWindow), nullptr);
    EXPECT_EQ(destructions, 1);

    DestroyWindow(secondWindow);
    ASSERT_TRUE(TakeQuit(code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(destructions, 2);
    EXPECT_TRUE(GraveyardUntouched());
}

TEST_F(WndHandlerTest, OwnerTakesItsOwnedWindowFirst)
{
    CRecordingWnd* owner = CRecordingWnd::Create(log, "owner");
    CRecordingWnd::Create(log, "owned", owner->Handle(), WS_POPUP | WS_BORDER);
    log.clear();
    DestroyWindow(owner->Handle());
    const std::vector<std::string> expected = {"owned destroy", "owned ncdestroy", "owner destroy",
                                               "owner ncdestroy"};
    EXPECT_EQ(log, expected);
    WPARAM code = 1;
    EXPECT_TRUE(TakeQuit(code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(destructions, 2);
}

TEST_F(WndHandlerTest, ArgumentsAreDecodedAsTheMessageCarriesThem)
{
    CRecordingWnd* handler = CRecordingWnd::Create(log, "decode");
    const HWND window = handler->Handle();
    CRecordingObserver observer;
    handler->AddObserver(&observer);
    log.clear();

    // A real move above and left of the screen origin.
    SetWindowPos(window, nullptr, -50, -40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    ASSERT_LT(origin.x, 0);
    // The wheel delta arrives as the unsigned high word; the handler's change
    // to lParam reaches the after-observers.
    EXPECT_EQ(SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-120)), MAKELPARAM(5, 6)),
              0);
    EXPECT_EQ(observer.lastLParam, 0x00420042);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(1234, 5), 0x77);

    const std::vector<std::string> expected = {
        "move " + std::to_string(origin.x) + " " + std::to_string(origin.y),
        "wheel 8 65416",
        "command 5 " + std::to_string(MAKEWPARAM(1234, 5)) + " 119",
    };
    EXPECT_EQ(log, expected);
    EXPECT_EQ(handler->CurrentMessage(), static_cast<UINT>(WM_COMMAND));
    handler->RemoveObserver(&observer);
    DestroyWindow(window);
}

TEST_F(WndHandlerTest, WindowDestroyedDuringItsCreationIsDeletedOnce)
{
    CRecordingWnd::failCreate = true;
    DWORD code = 0;
    try {
        CRecordingWnd::Create(log, "stillborn");
    } catch (const CWindowsError& error) {
        code = 1;
        EXPECT_EQ(error.Operation(), L"CWndHandler::CreateWnd ");
    }
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(destructions, 1);
    EXPECT_TRUE(GraveyardUntouched());

    // The same through a creator, which must not delete the handler again.
    struct Creator : CWndCreator {
        CWndHandler* CreateHandler() override { return new CRecordingWnd; }
    } creator;
    creator.windowClass = TestClass;
    creator.windowName = L"Stillborn";
    creator.style = WS_OVERLAPPEDWINDOW;
    creator.instance = GetModuleHandleW(nullptr);
    EXPECT_THROW(creator.Create(), CWindowsError);
    EXPECT_EQ(destructions, 2);

    // A class that does not exist: no window ever held the handler.
    creator.windowClass = L"NoSuchHovelleClass";
    EXPECT_THROW(creator.Create(), CWindowsError);
    EXPECT_EQ(destructions, 3);
    EXPECT_TRUE(GraveyardUntouched());
}

TEST_F(WndHandlerTest, OperationThatDestroysItsWindowLeavesTheDeletedHandlerAlone)
{
    CRecordingWnd* handler = CRecordingWnd::Create(log, "self");
    const HWND window = handler->Handle();
    CRecordingObserver observer;
    handler->AddObserver(&observer);

    // An ordinary command is seen before and after.
    SendMessageW(window, WM_COMMAND, 1, 0);
    ASSERT_EQ(observer.after.size(), observer.before.size());

    // The command that destroys the window answers, and nothing touches the
    // deleted handler afterwards: no after-observer, no write into it.
    observer.before.clear();
    observer.after.clear();
    EXPECT_EQ(SendMessageW(window, WM_COMMAND, 99, 0), 7);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(destructions, 1);
    ASSERT_EQ(graveyard.size(), 1u);
    EXPECT_TRUE(GraveyardUntouched());
    EXPECT_EQ(observer.deadCalls, 0);
    ASSERT_FALSE(observer.before.empty());
    EXPECT_EQ(observer.before.front(), static_cast<UINT>(WM_COMMAND));
    for (UINT message : observer.after) {
        EXPECT_NE(message, static_cast<UINT>(WM_COMMAND));
        EXPECT_NE(message, static_cast<UINT>(WM_NCDESTROY));
    }

    // The default close destroys the window inside DefWindowProcW.
    CRecordingWnd* closing = CRecordingWnd::Create(log, "closing");
    const HWND closingWindow = closing->Handle();
    SendMessageW(closingWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(closingWindow));
    EXPECT_EQ(destructions, 2);
    EXPECT_TRUE(GraveyardUntouched());
}

// Finds this process's visible message box, reads it and closes it.
struct SeenBox {
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
};

BOOL CALLBACK FindOwnBox(HWND window, LPARAM data)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (processId != GetCurrentProcessId() || lstrcmpW(className, L"#32770") != 0 || !IsWindowVisible(window)) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(data) = window;
    return FALSE;
}

TEST_F(WndHandlerTest, ErrorInPaintEndsThePaintAndShowsTheBox)
{
    CRecordingWnd* handler = CRecordingWnd::Create(log, "paint", nullptr, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const HWND window = handler->Handle();
    SetWindowTextW(window, L"Painter");
    UpdateWindow(window);
    handler->throwInPaint = true;
    log.clear();

    std::atomic<bool> done(false);
    SeenBox seen;
    std::thread watcher([&] {
        const ULONGLONG end = GetTickCount64() + 15000;
        while (!done && GetTickCount64() < end) {
            HWND box = nullptr;
            EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&box));
            if (box != nullptr) {
                wchar_t caption[256] = {};
                GetWindowTextW(box, caption, 256);
                seen.caption = caption;
                seen.text = harness::MessageBoxText(box);
                seen.owner = GetWindow(box, GW_OWNER);
                // The paint is over before the box comes up.
                RECT update = {};
                seen.text += GetUpdateRect(window, &update, FALSE) ? L"|pending" : L"|validated";
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                return;
            }
            Sleep(20);
        }
    });
    InvalidateRect(window, nullptr, TRUE);
    const LRESULT result = SendMessageW(window, WM_PAINT, 0, 0);
    done = true;
    watcher.join();

    EXPECT_EQ(result, 0);
    EXPECT_EQ(log, std::vector<std::string>{"paint"});
    EXPECT_EQ(seen.caption, L"Painter");
    EXPECT_EQ(seen.owner, window);
    EXPECT_EQ(seen.text.rfind(L"CDevContext::DrawText ", 0), 0u) << std::string(seen.text.begin(), seen.text.end());
    EXPECT_NE(seen.text.find(L"|validated"), std::wstring::npos);
    // The paint DC was given back: the window paints normally afterwards.
    handler->throwInPaint = false;
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
    EXPECT_EQ(log.back(), "paint");
    DestroyWindow(window);
}

} // namespace
