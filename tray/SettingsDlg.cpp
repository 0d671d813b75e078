#include "SettingsDlg.h"

#include <commctrl.h>

#include <cwchar>

#include "Hotkey.h"
#include "LorvekRules.h"
#include "MainWnd.h"
#include "Program.h"
#include "Resource.h"
#include "RulesDlg.h"
#include "Settings.h"
#include "SettingsResource.h"
#include "WindowCommands.h"
#include "WindowsError.h"

namespace {

// The dialog on screen, so a second request only brings it to the front.
HWND openDialog = nullptr;

const int SwitchControls[4] = {IDC_SET_SENDTOBACK, IDC_SET_TOTRAY, IDC_SET_ROLLUP, IDC_SET_MOVE};
bool Settings::* const SwitchMembers[4] = {&Settings::enableSendToBack, &Settings::enableMinimizeWindowToTray,
                                           &Settings::enableRollupToggle, &Settings::enableInteractiveMove};

} // namespace

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

void CSettingsDlg::Show(HWND owner, HINSTANCE instance)
{
    if (openDialog != nullptr) {
        SetForegroundWindow(openDialog);
        return;
    }
    const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_HOTKEY_CLASS};
    InitCommonControlsEx(&classes);
    CSettingsDlg dialog(owner);
    dialog.RunModal(owner, IDD_SETTINGS, instance);
    openDialog = nullptr;
}

INT_PTR CSettingsDlg::OnInitDialog(WPARAM focusControl)
{
    openDialog = m_hwnd;
    const Settings& settings = CurrentSettings();
    for (int i = 0; i < 4; ++i) CheckDlgButton(m_hwnd, SwitchControls[i], settings.*SwitchMembers[i]);
    SetList(IDC_SET_TITLES, m_titles = settings.ignoreTitles);
    SetList(IDC_SET_CLASSES, m_classes = settings.ignoreClasses);
    CheckDlgButton(m_hwnd, IDC_SET_AUTOSTART, m_autostart = AutostartNamesThisProgram());
    CheckDlgButton(m_hwnd, IDC_SET_MANAGEOPEN, settings.manageExistingWindows);
    CheckDlgButton(m_hwnd, IDC_SET_WIN, HotkeyHasWin(settings.onTopHotkey));
    SendDlgItemMessageW(m_hwnd, IDC_SET_HOTKEY, HKM_SETHOTKEY, HotkeyToControl(settings.onTopHotkey), 0);
    SetHotkeyRules();
    ShowHotkeyState();
    // Its own taskbar button and icon, where the pointer is: it cannot get
    // lost behind other windows.
    SendMessageW(m_hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon()));
    const HANDLE smallIcon = LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDI_HOVELLE), IMAGE_ICON,
                                    GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED);
    SendMessageW(m_hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    PlaceOnPointerMonitor();
    // A one-line edit control reports its text set here as a change.
    SetDlgItemInt(m_hwnd, IDC_SET_OPACITY, settings.transparentOpacity, FALSE);
    EnableApply(false);
    SetForegroundWindow(m_hwnd);
    return CDlgHandler::OnInitDialog(focusControl);
}

INT_PTR CSettingsDlg::OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control)
{
    const int id = LOWORD(wParam);
    if (id == IDC_SET_APPLY && notifyCode == BN_CLICKED) {
        Apply();
        return 1;
    }
    if (LOWORD(wParam) == IDC_SET_RULES && notifyCode == BN_CLICKED) {
        CRulesDlg::Show(m_hwnd, ProgramInstance());
        return 1;
    }
    if (id == IDC_SET_WIN && notifyCode == BN_CLICKED) SetHotkeyRules();
    if (id == IDC_SET_WIN || (id == IDC_SET_HOTKEY && notifyCode == EN_CHANGE)) ShowHotkeyState();
    if ((notifyCode == BN_CLICKED && id != IDOK && id != IDCANCEL) || notifyCode == EN_CHANGE) EnableApply(true);
    return CDlgHandler::OnCommand(notifyCode, wParam, control);
}

INT_PTR CSettingsDlg::OnOK()
{
    if (Apply()) EndDialog(1);
    return 1;
}

bool CSettingsDlg::Apply()
{
    Settings settings = CurrentSettings();
    settings.ignoreTitles = GetList(IDC_SET_TITLES);
    settings.ignoreClasses = GetList(IDC_SET_CLASSES);
    const struct {
        const std::vector<std::wstring>& patterns;
        const wchar_t* name;
        int control;
    } lists[2] = {{settings.ignoreTitles, SettingsValueNames[4], IDC_SET_TITLES},
                  {settings.ignoreClasses, SettingsValueNames[5], IDC_SET_CLASSES}};
    for (const auto& list : lists) {
        const size_t units = PatternListUnits(list.patterns);
        if (units <= PatternListLimit) continue;
        wchar_t text[256] = {};
        std::swprintf(text, 256,
                      L"The list %ls is too long: it takes %zu characters, terminators included, and a list "
                      L"holds at most %zu. Nothing was saved.",
                      list.name, units, PatternListLimit);
        MessageBox(text, L"Window Manager", MB_OK | MB_ICONWARNING);
        ::SetFocus(GetDlgItem(list.control).Handle());
        return false;
    }
    BOOL number = FALSE;
    settings.transparentOpacity = GetDlgItemInt(m_hwnd, IDC_SET_OPACITY, &number, FALSE);
    if (!number || settings.transparentOpacity < 10 || settings.transparentOpacity > 100) {
        MessageBox(L"The opacity is a percentage from 10 to 100. Nothing was saved.", L"Window Manager",
                   MB_OK | MB_ICONWARNING);
        ::SetFocus(GetDlgItem(IDC_SET_OPACITY).Handle());
        return false;
    }
    const unsigned long hotkey = EditedHotkey();
    if (HotkeyWithoutModifier(hotkey) ||
        (hotkey != OnTopHotkeyValue() && hotkey != 0 && !HotkeyAvailable(m_hwnd, hotkey))) {
        // The reason is on the status line; the hotkey in effect stays.
        ShowHotkeyState();
        MessageBeep(MB_ICONWARNING);
        ::SetFocus(GetDlgItem(IDC_SET_HOTKEY).Handle());
        return false;
    }
    for (int i = 0; i < 4; ++i) settings.*SwitchMembers[i] = IsDlgButtonChecked(m_hwnd, SwitchControls[i]) != 0;
    settings.manageExistingWindows = IsDlgButtonChecked(m_hwnd, IDC_SET_MANAGEOPEN) != 0;
    settings.onTopHotkey = hotkey;
    // The switches shown are the ones chosen; a list the start could not read
    // stays as stored until it is edited here.
    settings.keepStored &= (settings.ignoreTitles == m_titles ? 1u << 4 : 0) |
                           (settings.ignoreClasses == m_classes ? 1u << 5 : 0);
    const bool autostart = IsDlgButtonChecked(m_hwnd, IDC_SET_AUTOSTART) != 0;
    if (autostart != m_autostart) {
        const long error = SetAutostart(autostart);
        if (error != ERROR_SUCCESS) {
            ReportWriteFailure(L"Start with Windows", error);
            return false;
        }
        m_autostart = autostart;
    }
    const SaveFailure failure = SaveSettings(settings);
    if (failure.name != nullptr) {
        ReportWriteFailure(failure.name, failure.error);
        return false;
    }
    // The bindings change element by element and the lists while admission
    // waits; managed windows keep everything they have.
    ApplyMouseBindings(settings);
    WindowManagerSetIgnoreTitle(settings.ignoreTitles);
    WindowManagerSetIgnoreClass(settings.ignoreClasses);
    WindowManagerSetTransparentOpacity(static_cast<int>(settings.transparentOpacity));
    RegisterOnTopHotkey(m_owner, settings.onTopHotkey);
    CurrentSettings() = settings;
    m_titles = settings.ignoreTitles;
    m_classes = settings.ignoreClasses;
    ShowHotkeyState();
    EnableApply(false);
    return true;
}

void CSettingsDlg::ReportWriteFailure(const wchar_t* setting, long error)
{
    const std::wstring text = L"The setting \"" + std::wstring(setting) + L"\" could not be saved: " +
                              FormatErrorText(static_cast<DWORD>(error), nullptr) +
                              L"\nThe change is not in effect and would be lost at the next start.";
    MessageBox(text.c_str(), L"Window Manager", MB_OK | MB_ICONERROR);
}

unsigned long CSettingsDlg::EditedHotkey() const
{
    const auto control = static_cast<WORD>(SendDlgItemMessageW(m_hwnd, IDC_SET_HOTKEY, HKM_GETHOTKEY, 0, 0));
    return HotkeyFromControl(control, IsDlgButtonChecked(m_hwnd, IDC_SET_WIN) != 0);
}

void CSettingsDlg::SetHotkeyRules()
{
    const bool win = IsDlgButtonChecked(m_hwnd, IDC_SET_WIN) != 0;
    SendDlgItemMessageW(m_hwnd, IDC_SET_HOTKEY, HKM_SETRULES, win ? 0 : HKCOMB_NONE | HKCOMB_S,
                        MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
}

void CSettingsDlg::ShowHotkeyState()
{
    const unsigned long hotkey = EditedHotkey();
    const bool inEffect = hotkey == OnTopHotkeyValue();
    HotkeyState state = OnTopHotkeyState();
    if (!inEffect) state = HotkeyAvailable(m_hwnd, hotkey) ? HotkeyState::Registered : HotkeyState::Held;
    GetDlgItem(IDC_SET_HOTKEYSTATE).SetWindowText(HotkeyStateText(hotkey, state, inEffect).c_str());
}

void CSettingsDlg::PlaceOnPointerMonitor()
{
    POINT pointer = {};
    GetCursorPos(&pointer);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT window = {};
    GetWindowRect(window);
    const RECT& work = monitor.rcWork;
    const int x = work.left + (work.right - work.left - (window.right - window.left)) / 2;
    const int y = work.top + (work.bottom - work.top - (window.bottom - window.top)) / 2;
    SetWindowPos(m_hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSettingsDlg::EnableApply(bool enable)
{
    const HWND apply = GetDlgItem(IDC_SET_APPLY).Handle();
    // A disabled button with the focus would leave the keyboard nowhere.
    if (!enable && GetFocus() == apply) SendMessageW(m_hwnd, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(apply, enable);
}

void CSettingsDlg::SetList(int control, const std::vector<std::wstring>& patterns)
{
    std::wstring text;
    for (const std::wstring& pattern : patterns) text += pattern + L"\r\n";
    GetDlgItem(control).SetWindowText(text.c_str());
}

std::vector<std::wstring> CSettingsDlg::GetList(int control) const
{
    const HWND edit = GetDlgItem(control).Handle();
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
    return SplitLines(text);
}
