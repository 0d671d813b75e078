// The tray program's code in this process: the dialog framework, the order
// in which Exit destroys the windows, and the manifest's activation context.
#include <windows.h>
#include <commctrl.h>

#include "DialogDriver.h"
#include "DlgHandler.h"
#include "MainWnd.h"
#include "MoveSizeWnd.h"
#include "TrayTest.h"
#include "WindowsError.h"

using namespace harness;

namespace {

std::vector<std::string> trace;  // what reached the dialogs, and the error boxes shown

// A dialog (template 104) that posts its script of commands when it starts,
// may throw there, runs `inner` on command 1002 and traces what reaches it.
struct ScriptedDlg : CDlgHandler, CDlgMessageObserver {
    ScriptedDlg(std::string name, std::vector<WORD> script, int throwing = 0, ScriptedDlg* inner = nullptr)
        : name(name), script(script), throwing(throwing), inner(inner)
    {
        AddObserver(this);
    }
    INT_PTR OnInitDialog(WPARAM focus) override
    {
        for (const WORD command : script) PostMessageW(m_hwnd, WM_COMMAND, command, 0);
        if (throwing == 1) throw CWindowsError(0x20001234, L"Init failed");
        if (throwing == 2) throw 42;
        return CDlgHandler::OnInitDialog(focus);
    }
    INT_PTR OnCommand(UINT code, WPARAM wParam, LPARAM control) override
    {
        if (LOWORD(wParam) == 1002) {
            trace.push_back("inner ended " + std::to_string(inner->RunModal(m_hwnd, 104, GetModuleHandleW(nullptr))));
            PostMessageW(m_hwnd, WM_COMMAND, IDCANCEL, 0);
        }
        return CDlgHandler::OnCommand(code, wParam, control);
    }
    // Without the base's OnDestroy, as a derived dialog may forget it.
    INT_PTR OnDestroy() override { return throwing == 3 ? 1 : CDlgHandler::OnDestroy(); }
    void BeforeMessage(CDlgHandler&, UINT message, WPARAM wParam, LPARAM) override
    {
        const std::string bound = FindDlgHandler(window = m_hwnd) == this ? "" : " unbound";
        if (message == WM_INITDIALOG) trace.push_back(name + " init" + bound);
        if (message == WM_COMMAND) trace.push_back(name + " command " + std::to_string(LOWORD(wParam)) + bound);
        if (message == WM_DESTROY) trace.push_back(name + " destroy" + bound);
    }
    void AfterMessage(CDlgHandler&, UINT, WPARAM, LPARAM) override {}
    std::string name;
    std::vector<WORD> script;
    int throwing;
    ScriptedDlg* inner;
    HWND window = nullptr;
};

// Ends the message boxes of this thread as they come, tracing them.
void CALLBACK EndBoxes(HWND, UINT, UINT_PTR, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), [](HWND box, LPARAM) -> BOOL {
        if (!IsWindowVisible(box) || FindDlgHandler(box) || !GetDlgItem(box, 0xFFFF)) return TRUE;
        const std::wstring text = MessageBoxText(box);
        trace.push_back((GetWindow(box, GW_OWNER) ? "owned box " : "box ") + std::string(text.begin(), text.end()));
        return EndDialog(box, IDOK);
    }, 0);
}

TEST(DlgHandler, EndingsErrorsNestingAndBindings)
{
    const std::vector<std::string> okay = {"d init", "d command 1", "d destroy"};
    const struct {
        WORD dialog;
        WORD command;
        int throwing;  // 1: a CWindowsError, 2: something else, 3: no OnDestroy of the base
        INT_PTR result;
        std::vector<std::string> trace;
    } rows[] = {
        {104, IDOK, 0, 1, okay},  // Enter
        {104, IDCANCEL, 0, 0, {"d init", "d command 2", "d destroy"}},  // Escape
        {4711, IDOK, 0, -1, {}},  // no such template: nothing shown
        {104, IDOK, 1, 1, {"d init", "d command 1", "box Init failed", "d destroy"}},
        {104, IDOK, 2, 1, {"d init", "d command 1", "owned box Unknown Exception. Caught in CDlgHandler:OnMessage",
                           "d destroy"}},
        {104, 1002, 0, 0, {"d init", "d command 1002", "i init", "i command 1", "i destroy", "inner ended 1",
                           "d command 2", "d destroy"}},
        {104, IDOK, 3, 1, okay},
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, EndBoxes);
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "command " << row.command << ", throwing " << row.throwing);
        trace.clear();
        ScriptedDlg inner("i", {IDOK});
        ScriptedDlg dialog("d", {row.command}, row.throwing, &inner);
        EXPECT_EQ(dialog.RunModal(nullptr, row.dialog, GetModuleHandleW(nullptr)), row.result);
        EXPECT_EQ(trace, row.trace);
        // No binding outlives the dialog.
        EXPECT_EQ(dialog.Handle(), nullptr);
        EXPECT_EQ(FindDlgHandler(dialog.window), nullptr);
        EXPECT_EQ(FindDlgHandler(inner.window), nullptr);
    }
    KillTimer(nullptr, timer);
}

std::vector<std::pair<HWND, UINT>> destroyed;

LRESULT CALLBACK RecordDestruction(int code, WPARAM wParam, LPARAM lParam)
{
    const auto& sent = *reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (sent.message == WM_DESTROY || sent.message == WM_NCDESTROY) destroyed.emplace_back(sent.hwnd, sent.message);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Exit: the overlay goes before the main window, the icon goes, and the message
// loop is asked to end with 0. A restarted shell ("TaskbarCreated") gets the icon again.
TEST_F(TrayTest, ExitDestroysTheOverlayBeforeTheMainWindowAndQuits)
{
    FakeTray tray;
    const HWND main = CreateMainWindow(GetModuleHandleW(nullptr))->Handle();
    const HWND overlay = CreateMoveSizeWindow(main, GetModuleHandleW(nullptr))->Handle();
    SendMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordDestruction, nullptr, GetCurrentThreadId());
    SendMessageW(main, WM_COMMAND, 1003, 0);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(destroyed, (std::vector<std::pair<HWND, UINT>>{
                             {overlay, WM_DESTROY}, {overlay, WM_NCDESTROY}, {main, WM_DESTROY}, {main, WM_NCDESTROY}}));
    std::vector<DWORD> icon;
    for (const IconNotification& note : tray.notifications) icon.push_back(note.command);
    EXPECT_EQ(icon, (std::vector<DWORD>{NIM_ADD, NIM_ADD, NIM_DELETE}));
    MSG quit = {};
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && quit.wParam == 0);
}

// Only buttons of common controls 6 answer BCM_GETIDEALSIZE; this program has no manifest.
TEST(Manifest, ItsActivationContextGivesCommonControls6)
{
    const std::wstring program = ExecutableDirectory() + L"Hovelle.exe";
    ACTCTXW description = {};
    description.cbSize = sizeof description;
    description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.lpSource = program.c_str();
    description.lpResourceName = MAKEINTRESOURCEW(1);
    const HANDLE context = CreateActCtxW(&description);
    ULONG_PTR cookie = 0;
    for (const bool activated : {false, true}) {
        ASSERT_TRUE(!activated || ActivateActCtx(context, &cookie));
        const HWND button = CreateWindowExW(0, L"Button", L"Close", WS_POPUP, 0, 0, 50, 14, 0, 0, 0, 0);
        SIZE ideal = {};
        EXPECT_EQ(SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) && ideal.cx, activated);
        DestroyWindow(button);
    }
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
}

} // namespace
