// The dialog handler framework with real modal dialogs: the dialog runs on the
// test's thread inside RunModal while a second thread acts as the user.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "DialogDriver.h"
#include "DialogTestIds.h"
#include "DlgHandler.h"
#include "WindowsError.h"

using namespace harness;

namespace {

const wchar_t* const FrameworkTitle = L"Framework dialog";
// Posted by a driver that could not finish: ends the dialog with AbortResult.
constexpr UINT AbortMessage = WM_APP + 7;
constexpr INT_PTR AbortResult = -77;

HINSTANCE Instance()
{
    return GetModuleHandleW(nullptr);
}

// A handler that keeps every default but can be ended by a stuck driver.
class AbortableDlg : public CDlgHandler {
public:
    INT_PTR OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == AbortMessage) {
            EndDialog(AbortResult);
            return 1;
        }
        return CDlgHandler::OnOtherMessage(message, wParam, lParam);
    }
};

// Ends whatever dialog of this process is still open after `dialog` should
// have closed, so a failing test fails instead of hanging.
void EnsureClosed(HWND dialog)
{
    if (dialog != nullptr && WaitForGone(dialog)) return;
    for (HWND open : ProcessDialogs(GetCurrentProcessId())) PostMessageW(open, AbortMessage, 0, 0);
}

// Runs the handler's dialog on this thread and `drive` on another.
template <typename Drive>
INT_PTR RunDriven(CDlgHandler& handler, WORD templateId, Drive drive)
{
    std::thread driver(drive);
    const INT_PTR result = handler.RunModal(nullptr, templateId, Instance());
    driver.join();
    return result;
}

struct Seen {
    UINT message;
    WPARAM wParam;
    bool currentFieldsMatch;
    bool registered;
};

// Records the decoded messages of a handler, with what the handler and the
// registry said at that moment.
class Recorder : public CDlgMessageObserver {
public:
    void BeforeMessage(CDlgHandler& handler, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        const bool current = handler.CurrentMessage() == message && handler.CurrentWParam() == wParam &&
                             handler.CurrentLParam() == lParam;
        seen.push_back({message, wParam, current, FindDlgHandler(handler.Handle()) == &handler});
    }
    void AfterMessage(CDlgHandler&, UINT, WPARAM, LPARAM) override { ++after; }

    // WM_INITDIALOG, WM_DESTROY and the commands of the three buttons, in order.
    std::vector<std::pair<UINT, WPARAM>> Significant() const
    {
        std::vector<std::pair<UINT, WPARAM>> list;
        for (const Seen& item : seen) {
            const bool button = item.message == WM_COMMAND &&
                                (LOWORD(item.wParam) == IDOK || LOWORD(item.wParam) == IDCANCEL ||
                                 LOWORD(item.wParam) == IDC_FRAMEWORK_OTHER);
            if (item.message == WM_INITDIALOG || item.message == WM_DESTROY || button) {
                list.push_back({item.message, item.message == WM_COMMAND ? item.wParam : 0});
            }
        }
        return list;
    }

    std::vector<Seen> seen;
    size_t after = 0;
};

// The key press ends the dialog; returns RunModal's result.
INT_PTR EndWithKey(CDlgHandler& handler, WORD key, HWND& dialog)
{
    return RunDriven(handler, IDD_FRAMEWORK, [&] {
        dialog = WaitForDialog(GetCurrentProcessId(), FrameworkTitle);
        if (dialog != nullptr) {
            BringToFront(dialog);
            PressKey(key);
        }
        EnsureClosed(dialog);
    });
}

TEST(DlgHandler, EnterEndsWithOneAndEscapeWithZero)
{
    AbortableDlg handler;
    Recorder recorder;
    handler.AddObserver(&recorder);
    HWND dialog = nullptr;
    EXPECT_EQ(EndWithKey(handler, VK_RETURN, dialog), 1);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(handler.Handle(), nullptr);
    EXPECT_EQ(FindDlgHandler(dialog), nullptr);
    // Unlike the last framework window, the last dialog posts no quit message.
    MSG quit;
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));

    const std::vector<std::pair<UINT, WPARAM>> expected = {
        {WM_INITDIALOG, 0}, {WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}, {WM_DESTROY, 0}};
    EXPECT_EQ(recorder.Significant(), expected);
    // Nothing before WM_INITDIALOG (WM_SETFONT) or after WM_DESTROY reaches the handler.
    ASSERT_FALSE(recorder.seen.empty());
    EXPECT_EQ(recorder.seen.front().message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(recorder.seen.back().message, static_cast<UINT>(WM_DESTROY));
    for (const Seen& item : recorder.seen) {
        EXPECT_TRUE(item.currentFieldsMatch) << std::hex << item.message;
        // Bound from WM_INITDIALOG on; WM_DESTROY unbinds while it is handled.
        EXPECT_TRUE(item.registered) << std::hex << item.message;
    }
    EXPECT_EQ(recorder.after, recorder.seen.size());

    // The same handler shows its dialog again; Escape ends it with 0.
    recorder.seen.clear();
    HWND second = nullptr;
    EXPECT_EQ(EndWithKey(handler, VK_ESCAPE, second), 0);
    ASSERT_NE(second, nullptr);
    const std::vector<std::pair<UINT, WPARAM>> cancelled = {
        {WM_INITDIALOG, 0}, {WM_COMMAND, MAKEWPARAM(IDCANCEL, 0)}, {WM_DESTROY, 0}};
    EXPECT_EQ(recorder.Significant(), cancelled);
    EXPECT_EQ(handler.Handle(), nullptr);
}

// Remembers what the default OnCommand answered for the other button.
class OtherButtonDlg : public AbortableDlg {
public:
    INT_PTR OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control) override
    {
        const INT_PTR result = CDlgHandler::OnCommand(notifyCode, wParam, control);
        if (LOWORD(wParam) == IDC_FRAMEWORK_OTHER) {
            otherResult = result;
            otherSeen = true;
        }
        return result;
    }
    std::atomic<bool> otherSeen{false};
    std::atomic<INT_PTR> otherResult{12345};
};

TEST(DlgHandler, CommandFromAnotherControlIsLeftToTheDialogManager)
{
    OtherButtonDlg handler;
    std::atomic<bool> openAfterClick{false};
    const INT_PTR result = RunDriven(handler, IDD_FRAMEWORK, [&] {
        const HWND dialog = WaitForDialog(GetCurrentProcessId(), FrameworkTitle);
        if (dialog != nullptr) {
            BringToFront(dialog);
            ClickCentre(GetDlgItem(dialog, IDC_FRAMEWORK_OTHER));
            for (int i = 0; i < 2000 && !handler.otherSeen; ++i) Sleep(10);
            Sleep(200);
            openAfterClick = IsWindow(dialog) && IsWindowVisible(dialog);
            BringToFront(dialog);
            PressKey(VK_ESCAPE);
        }
        EnsureClosed(dialog);
    });
    EXPECT_TRUE(handler.otherSeen);
    EXPECT_EQ(handler.otherResult, 0);
    EXPECT_TRUE(openAfterClick);
    EXPECT_EQ(result, 0);
}

// Throws from OnInitDialog; remembers its dialog window.
class ThrowingInitDlg : public AbortableDlg {
public:
    explicit ThrowingInitDlg(bool windowsError) : m_windowsError(windowsError) {}
    INT_PTR OnInitDialog(WPARAM) override
    {
        window = Handle();
        if (m_windowsError) throw CWindowsError(ERROR_ACCESS_DENIED, L"CWndProxy::GetDlgItem ");
        throw std::runtime_error("not a Windows error");
    }
    std::atomic<HWND> window{nullptr};

private:
    bool m_windowsError;
};

struct ErrorBoxSeen {
    HWND box = nullptr;
    HWND owner = nullptr;
    std::wstring caption;
    std::wstring text;
    bool dialogShownAfterwards = false;
};

// Waits for the error box, reads it, confirms it and then ends the dialog.
ErrorBoxSeen RunWithErrorBox(ThrowingInitDlg& handler, INT_PTR& result)
{
    ErrorBoxSeen seen;
    result = RunDriven(handler, IDD_FRAMEWORK, [&] {
        // The dialog is still hidden while WM_INITDIALOG runs: the only
        // visible dialog with its title is the box.
        seen.box = WaitForDialog(GetCurrentProcessId(), FrameworkTitle);
        if (seen.box == nullptr) return EnsureClosed(nullptr);
        seen.owner = GetWindow(seen.box, GW_OWNER);
        seen.caption = WindowText(seen.box);
        seen.text = MessageBoxText(seen.box);
        PostMessageW(seen.box, WM_COMMAND, IDOK, 0);
        const HWND dialog = WaitForDialog(GetCurrentProcessId(), FrameworkTitle, seen.box);
        seen.dialogShownAfterwards = dialog != nullptr && dialog == handler.window;
        if (dialog != nullptr) {
            BringToFront(dialog);
            PressKey(VK_ESCAPE);
        }
        EnsureClosed(dialog);
    });
    return seen;
}

TEST(DlgHandler, WindowsErrorFromInitDialogShowsAnUnownedBoxAndTheDialogAppears)
{
    ThrowingInitDlg handler(true);
    INT_PTR result = 1;
    const ErrorBoxSeen seen = RunWithErrorBox(handler, result);
    ASSERT_NE(seen.box, nullptr);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_EQ(seen.caption, FrameworkTitle);
    EXPECT_EQ(seen.text, CWindowsError(ERROR_ACCESS_DENIED, L"CWndProxy::GetDlgItem ").Message());
    EXPECT_EQ(seen.text.rfind(L"CWndProxy::GetDlgItem ", 0), 0u);
    EXPECT_TRUE(seen.dialogShownAfterwards);
    EXPECT_EQ(result, 0);
}

TEST(DlgHandler, OtherExceptionFromInitDialogIsReportedOwnedByTheDialog)
{
    ThrowingInitDlg handler(false);
    INT_PTR result = 1;
    const ErrorBoxSeen seen = RunWithErrorBox(handler, result);
    ASSERT_NE(seen.box, nullptr);
    EXPECT_EQ(seen.owner, handler.window.load());
    EXPECT_NE(seen.owner, nullptr);
    EXPECT_EQ(seen.caption, FrameworkTitle);
    EXPECT_EQ(seen.text, L"Unknown Exception. Caught in CDlgHandler:OnMessage");
    EXPECT_TRUE(seen.dialogShownAfterwards);
    EXPECT_EQ(result, 0);
}

// An OnMessage override that throws for the other button's command: the
// dialog procedure itself has to stop the exception.
class ThrowingOnMessageDlg : public AbortableDlg {
public:
    explicit ThrowingOnMessageDlg(bool windowsError) : m_windowsError(windowsError) {}
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_FRAMEWORK_OTHER) {
            if (m_windowsError) throw CWindowsError(ERROR_INVALID_WINDOW_HANDLE, L"CWndProxy::SetWindowText ");
            throw 42;
        }
        return CDlgHandler::OnMessage(message, wParam, lParam);
    }

private:
    bool m_windowsError;
};

TEST(DlgHandler, DialogProcedureReportsWhatEscapesOnMessage)
{
    for (const bool windowsError : {true, false}) {
        ThrowingOnMessageDlg handler(windowsError);
        ErrorBoxSeen seen;
        HWND dialog = nullptr;
        bool stillOpen = false;
        const INT_PTR result = RunDriven(handler, IDD_FRAMEWORK, [&] {
            dialog = WaitForDialog(GetCurrentProcessId(), FrameworkTitle);
            if (dialog == nullptr) return EnsureClosed(nullptr);
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_FRAMEWORK_OTHER, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_FRAMEWORK_OTHER)));
            seen.box = WaitForDialog(GetCurrentProcessId(), FrameworkTitle, dialog);
            if (seen.box != nullptr) {
                seen.owner = GetWindow(seen.box, GW_OWNER);
                seen.caption = WindowText(seen.box);
                seen.text = MessageBoxText(seen.box);
                PostMessageW(seen.box, WM_COMMAND, IDOK, 0);
                WaitForGone(seen.box);
            }
            stillOpen = IsWindowVisible(dialog) != FALSE;
            BringToFront(dialog);
            PressKey(VK_ESCAPE);
            EnsureClosed(dialog);
        });
        ASSERT_NE(seen.box, nullptr) << windowsError;
        EXPECT_EQ(seen.owner, nullptr);
        EXPECT_EQ(seen.caption, FrameworkTitle);
        EXPECT_EQ(seen.text, windowsError ? CWindowsError(ERROR_INVALID_WINDOW_HANDLE, L"CWndProxy::SetWindowText ")
                                                .Message()
                                          : std::wstring(L"Unknown Exception. Caught in DlgHandlerWindowProc"));
        EXPECT_TRUE(stillOpen);
        EXPECT_EQ(result, 0);
    }
}

TEST(DlgHandler, MissingTemplateReturnsMinusOneSilently)
{
    AbortableDlg handler;
    EXPECT_EQ(handler.RunModal(nullptr, 4711, Instance()), -1);
    EXPECT_EQ(handler.Handle(), nullptr);
    EXPECT_TRUE(ProcessDialogs(GetCurrentProcessId()).empty()) << "no error box";
}

// Opens the inner dialog from the other button, owned by the outer one.
class OuterDlg : public AbortableDlg {
public:
    INT_PTR OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control) override
    {
        if (LOWORD(wParam) == IDC_FRAMEWORK_OTHER) {
            innerResult = inner.RunModal(Handle(), IDD_INNER, Instance());
            outerBoundAfterInner = FindDlgHandler(Handle()) == this;
        }
        return CDlgHandler::OnCommand(notifyCode, wParam, control);
    }

    class InnerDlg : public AbortableDlg {
    public:
        explicit InnerDlg(OuterDlg& outer) : m_outer(outer) {}
        INT_PTR OnInitDialog(WPARAM focus) override
        {
            bothBound = FindDlgHandler(Handle()) == this && FindDlgHandler(m_outer.Handle()) == &m_outer &&
                        Handle() != m_outer.Handle();
            outerEnabled = IsWindowEnabled(m_outer.Handle()) != FALSE;
            owner = GetWindow(Handle(), GW_OWNER);
            return CDlgHandler::OnInitDialog(focus);
        }
        bool bothBound = false;
        bool outerEnabled = true;
        HWND owner = nullptr;

    private:
        OuterDlg& m_outer;
    };

    InnerDlg inner{*this};
    INT_PTR innerResult = 99;
    bool outerBoundAfterInner = false;
};

TEST(DlgHandler, NestedDialogsAreRoutedToTheirOwnHandlers)
{
    OuterDlg outer;
    HWND outerWindow = nullptr;
    HWND innerWindow = nullptr;
    const INT_PTR result = RunDriven(outer, IDD_FRAMEWORK, [&] {
        outerWindow = WaitForDialog(GetCurrentProcessId(), FrameworkTitle);
        if (outerWindow == nullptr) return EnsureClosed(nullptr);
        PostMessageW(outerWindow, WM_COMMAND, MAKEWPARAM(IDC_FRAMEWORK_OTHER, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(outerWindow, IDC_FRAMEWORK_OTHER)));
        innerWindow = WaitForDialog(GetCurrentProcessId(), L"Inner dialog");
        if (innerWindow != nullptr) {
            BringToFront(innerWindow);
            PressKey(VK_RETURN);
            EnsureClosed(innerWindow);
        }
        BringToFront(outerWindow);
        PressKey(VK_ESCAPE);
        EnsureClosed(outerWindow);
    });
    ASSERT_NE(innerWindow, nullptr);
    EXPECT_TRUE(outer.inner.bothBound);
    EXPECT_FALSE(outer.inner.outerEnabled) << "a modal dialog disables its owner";
    EXPECT_EQ(outer.inner.owner, outerWindow);
    EXPECT_EQ(outer.innerResult, 1);
    EXPECT_TRUE(outer.outerBoundAfterInner);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(FindDlgHandler(outerWindow), nullptr);
    EXPECT_EQ(FindDlgHandler(innerWindow), nullptr);
}

// A derived OnDestroy that forgets the base leaves no binding behind once
// RunModal has returned, and the handler's destructor clears any leftover.
class ForgetfulDlg : public AbortableDlg {
public:
    INT_PTR OnDestroy() override { return 1; }
};

TEST(DlgHandler, NoBindingOutlivesTheDialog)
{
    HWND dialog = nullptr;
    {
        ForgetfulDlg handler;
        EXPECT_EQ(EndWithKey(handler, VK_ESCAPE, dialog), 0);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(FindDlgHandler(dialog), nullptr);
        EXPECT_EQ(handler.Handle(), nullptr);
    }
    // A message for the old handle reaches no handler.
    EXPECT_EQ(DlgHandlerWindowProc(dialog, WM_COMMAND, IDOK, 0), 0);
}

} // namespace
