#include "MainWnd.h"

#include <shellapi.h>

#include "AboutDlg.h"
#include "Lorvek.h"
#include "MenuHandle.h"
#include "Program.h"
#include "Resource.h"
#include "SettingsDlg.h"
#include "StoredRules.h"
#include "WindowCommands.h"
#include "WindowsError.h"

namespace {

ATOM mainWindowClass = 0;
HICON programIcon = nullptr;
// The same icon at the small size of the display's scale, for the
// notification area.
HICON trayIcon = nullptr;
UINT taskbarCreatedMessage = 0;
bool taskbarCreatedRegistered = false;

class CMainWndCreator : public CWndCreator {
public:
    CWndHandler* CreateHandler() override { return new CMainWnd(DefWindowProcW); }
};

} // namespace

void CopyBounded(const wchar_t* text, wchar_t* buffer, size_t capacity)
{
    size_t i = 0;
    for (; i < capacity && text[i] != L'\0'; ++i) buffer[i] = text[i];
    for (; i < capacity; ++i) buffer[i] = L'\0';
}

HICON ProgramIcon()
{
    return programIcon;
}

ATOM RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WndHandlerWindowProc;
    windowClass.hInstance = instance;
    programIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_HOVELLE));
    windowClass.hIcon = programIcon;
    trayIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_HOVELLE), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                             LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"HovelleWnd";
    mainWindowClass = RegisterWndClass(windowClass);
    return mainWindowClass;
}

CMainWnd* CreateMainWindow(HINSTANCE instance)
{
    if (mainWindowClass == 0) RegisterMainWindowClass(instance);
    CMainWndCreator creator;
    creator.exStyle = WS_EX_OVERLAPPEDWINDOW;
    creator.windowClass = MAKEINTATOM(mainWindowClass);
    creator.windowName = L"Window Manager";
    creator.style = WS_OVERLAPPEDWINDOW;
    creator.instance = instance;
    return static_cast<CMainWnd*>(creator.Create());
}

CMainWnd::CMainWnd(WNDPROC defaultProcedure) : CWndHandler(defaultProcedure) {}

LRESULT CMainWnd::OnCreate(CREATESTRUCTW*)
{
    const LRESULT result = DoDefault();
    NotifyIcon(0, NIM_ADD);
    return result;
}

LRESULT CMainWnd::OnCommand(UINT, WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDC_ABOUT: {
        // Modal: this window stays disabled, and its icon's menu closed,
        // until the dialog has ended.
        CAboutDlg about(programIcon);
        about.Show(m_hwnd, ProgramInstance());
        return 0;
    }
    case IDC_SETTINGS:
        // Modal too; only locals after it, as after the icon's menu.
        CSettingsDlg::Show(m_hwnd, ProgramInstance());
        return 0;
    case IDC_MANAGE_OPEN:
        ManageOpenWindows();
        return 0;
    case IDC_RESTORE_HIDDEN:
        WindowManagerRestoreHiddenWindows();
        return 0;
    case IDC_EXIT:
        DestroyWindow();
        PostQuitMessage(0);
        return 0;
    default:
        return DoDefault();
    }
}

LRESULT CMainWnd::OnHotKey(UINT, UINT, WPARAM id)
{
    if (id == OnTopHotkeyId) ToggleForegroundOnTop();
    return 0;
}

LRESULT CMainWnd::OnDestroy()
{
    NotifyIcon(0, NIM_DELETE);
    return DoDefault();
}

LRESULT CMainWnd::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!taskbarCreatedRegistered) {
        taskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
        taskbarCreatedRegistered = true;
    }
    if (taskbarCreatedMessage != 0 && message == taskbarCreatedMessage) {
        // The shell was restarted and has forgotten the icon. A failure here
        // is reported by the window procedure.
        NotifyIcon(0, NIM_ADD);
    }
    // A pin's Shift + click in another program.
    static const UINT ruleRequest = RegisterWindowMessageW(MoxRuleRequestMessageName);
    if (message == ruleRequest) HandleRuleRequest(wParam, static_cast<DWORD>(lParam));
    if (message == TrayCallbackMessage) {
        if (m_iconVersion4) return OnTrayNotify(HIWORD(lParam), LOWORD(lParam));
        return OnTrayNotify(static_cast<UINT>(wParam), static_cast<UINT>(lParam));
    }
    if (message == WM_ENDSESSION && wParam != FALSE) {
        // Log-off or shutdown: release every window now, while this process
        // still runs. The Restart Manager closing this program alone (an
        // installer) asks for an end as by "Exit". A cancelled log-off
        // changes nothing.
        if (!SessionEnds(wParam, lParam)) return OnCommand(0, IDC_EXIT, 0);
        WindowManagerStop();
    }
    return DoDefault();
}

HICON CMainWnd::GetTrayIcon(UINT)
{
    return trayIcon;
}

void CMainWnd::GetTrayTip(UINT, wchar_t* buffer, size_t capacity)
{
    CopyBounded(L"Window Manager", buffer, capacity);
}

LRESULT CMainWnd::OnTrayNotify(UINT id, UINT mouseMessage)
{
    switch (mouseMessage) {
    case WM_MOUSEMOVE: return OnTrayMouseMove(id);
    case WM_LBUTTONDOWN: return OnTrayLButtonDown(id);
    case WM_LBUTTONUP: return OnTrayLButtonUp(id);
    case WM_LBUTTONDBLCLK: return OnTrayLButtonDblClk(id);
    case WM_RBUTTONDOWN: return OnTrayRButtonDown(id);
    case WM_RBUTTONUP: return OnTrayRButtonUp(id);
    case WM_RBUTTONDBLCLK: return OnTrayRButtonDblClk(id);
    case WM_MBUTTONDOWN: return OnTrayMButtonDown(id);
    case WM_MBUTTONUP: return OnTrayMButtonUp(id);
    case WM_MBUTTONDBLCLK: return OnTrayMButtonDblClk(id);
    // Version 4: the right button's release, or the menu key; the place for
    // the menu in wParam.
    case WM_CONTEXTMENU: {
        const WPARAM anchor = CurrentWParam();
        return ShowMenu({static_cast<short>(LOWORD(anchor)), static_cast<short>(HIWORD(anchor))});
    }
    default: return 0;
    }
}

LRESULT CMainWnd::OnTrayMouseMove(UINT) { return 0; }
LRESULT CMainWnd::OnTrayLButtonDown(UINT) { return 0; }
LRESULT CMainWnd::OnTrayLButtonUp(UINT) { return 0; }
LRESULT CMainWnd::OnTrayLButtonDblClk(UINT)
{
    // Posted: the shell's notification returns before the dialog runs.
    PostMessageW(m_hwnd, WM_COMMAND, IDC_SETTINGS, 0);
    return 0;
}

LRESULT CMainWnd::OnTrayRButtonDown(UINT) { return 0; }

// The menu opens on the release, so a press that drifts onto an item does
// not choose it; with version 4 the release comes as WM_CONTEXTMENU.
LRESULT CMainWnd::OnTrayRButtonUp(UINT)
{
    if (m_iconVersion4) return 0;
    POINT cursor = {};
    GetCursorPos(&cursor);
    return ShowMenu(cursor);
}

LRESULT CMainWnd::ShowMenu(POINT at)
{
    // Disabled while a modal dialog it owns is open.
    const HWND window = m_hwnd;
    if (!IsWindowEnabled(window)) return 0;
    SetForegroundWindow(window);
    CMenuHandle menu(LoadMenuW(ProgramInstance(), MAKEINTRESOURCEW(IDM_TRAY)), true);
    const CMenuHandle popup = menu.GetSubMenu(0);
    // Bold, as what a double click on the icon does.
    SetMenuDefaultItem(popup.Handle(), IDC_SETTINGS, FALSE);
    // The menu's loop dispatches other messages: this window, and this
    // object with it, may be gone when it returns ("Exit" posted by the
    // setup program, WM_CLOSE from another process). Only locals from here on.
    TrackPopupMenu(popup.Handle(), TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageW(window, WM_NULL, 0, 0);
    menu.Destroy();
    return 0;
}

LRESULT CMainWnd::OnTrayRButtonDblClk(UINT) { return 0; }
LRESULT CMainWnd::OnTrayMButtonDown(UINT) { return 0; }
LRESULT CMainWnd::OnTrayMButtonUp(UINT) { return 0; }
LRESULT CMainWnd::OnTrayMButtonDblClk(UINT) { return 0; }

void CMainWnd::NotifyIcon(UINT id, DWORD command)
{
    // The size that carries balloons and the version.
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_hwnd;
    data.uID = id;
    // Version 4 shows the tip only when asked to.
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = TrayCallbackMessage;
    data.hIcon = GetTrayIcon(id);
    GetTrayTip(id, data.szTip, 64);
    data.szTip[63] = L'\0';
    // A stale error code must not turn a quiet failure into a reported one.
    SetLastError(0);
    if (!Shell_NotifyIconW(command, &data)) {
        const DWORD error = GetLastError();
        if (error != 0) throw CWindowsError(error, L"Windows Error : ");
        return;
    }
    if (command != NIM_ADD) return;
    // Older shells refuse it and send the mouse messages as before.
    data.uVersion = NOTIFYICON_VERSION_4;
    m_iconVersion4 = Shell_NotifyIconW(NIM_SETVERSION, &data) != FALSE;
}

void CMainWnd::ShowBalloon(UINT id, const std::wstring& text)
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_hwnd;
    data.uID = id;
    data.uFlags = NIF_INFO;
    CopyBounded(text.c_str(), data.szInfo, ARRAYSIZE(data.szInfo) - 1);
    CopyBounded(L"Window Manager", data.szInfoTitle, ARRAYSIZE(data.szInfoTitle) - 1);
    data.dwInfoFlags = NIIF_WARNING;
    Shell_NotifyIconW(NIM_MODIFY, &data);
}
