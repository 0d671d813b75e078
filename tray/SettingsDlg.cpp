#include "SettingsDlg.h"

#include <cwchar>

#include "LorvekRules.h"
#include "Program.h"
#include "RulesDlg.h"
#include "Settings.h"
#include "SettingsResource.h"
#include "WindowCommands.h"

namespace {

// The dialog on screen, so a second request only brings it to the front.
HWND openDialog = nullptr;

const int SwitchControls[4] = {IDC_SET_SENDTOBACK, IDC_SET_TOTRAY, IDC_SET_ROLLUP, IDC_SET_MOVE};
bool Settings::* const SwitchMembers[4] = {&Settings::enableSendToBack, &Settings::enableMinimizeWindowToTray,
                                           &Settings::enableRollupToggle, &Settings::enableInteractiveMove};

// Check box -> RegisterHotKey modifier.
const struct {
    int control;
    unsigned long modifier;
} HotkeyModifiers[4] = {{IDC_SET_WIN, MOD_WIN}, {IDC_SET_CTRL, MOD_CONTROL}, {IDC_SET_ALT, MOD_ALT},
                        {IDC_SET_SHIFT, MOD_SHIFT}};

// The keys the hotkey list offers, after "(none)": letters, digits, F1-F12.
void FillKeyList(HWND list, unsigned long current)
{
    const auto add = [list](const wchar_t* name, unsigned long key) {
        const LRESULT index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        SendMessageW(list, CB_SETITEMDATA, index, key);
        return index;
    };
    LRESULT selected = add(L"(none)", 0);
    wchar_t name[16] = {};
    for (unsigned long key = 1; key <= 0xFF; ++key) {
        if (key >= '0' && key <= '9') std::swprintf(name, 16, L"%c", static_cast<wchar_t>(key));
        else if (key >= 'A' && key <= 'Z') std::swprintf(name, 16, L"%c", static_cast<wchar_t>(key));
        else if (key >= VK_F1 && key <= VK_F12) std::swprintf(name, 16, L"F%lu", key - VK_F1 + 1);
        else if (key == current) std::swprintf(name, 16, L"Key %02lX", key);
        else continue;
        const LRESULT index = add(name, key);
        if (key == current) selected = index;
    }
    SendMessageW(list, CB_SETCURSEL, selected, 0);
}

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
    CSettingsDlg dialog(owner);
    dialog.RunModal(owner, IDD_SETTINGS, instance);
    openDialog = nullptr;
}

INT_PTR CSettingsDlg::OnInitDialog(WPARAM focusControl)
{
    openDialog = m_hwnd;
    const Settings& settings = CurrentSettings();
    for (int i = 0; i < 4; ++i) CheckDlgButton(m_hwnd, SwitchControls[i], settings.*SwitchMembers[i]);
    SetList(IDC_SET_TITLES, settings.ignoreTitles);
    SetList(IDC_SET_CLASSES, settings.ignoreClasses);
    CheckDlgButton(m_hwnd, IDC_SET_AUTOSTART, AutostartEnabled());
    CheckDlgButton(m_hwnd, IDC_SET_MANAGEOPEN, settings.manageExistingWindows);
    const unsigned long hotkey = settings.onTopHotkey;
    for (const auto& modifier : HotkeyModifiers) {
        CheckDlgButton(m_hwnd, modifier.control, hotkey != 0 && ((hotkey >> 16) & modifier.modifier) != 0);
    }
    FillKeyList(GetDlgItem(IDC_SET_KEY).Handle(), hotkey & 0xFF);
    ShowHotkeyState();
    SetDlgItemInt(m_hwnd, IDC_SET_OPACITY, settings.transparentOpacity, FALSE);
    SetForegroundWindow(m_hwnd);
    return CDlgHandler::OnInitDialog(focusControl);
}

INT_PTR CSettingsDlg::OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control)
{
    if (LOWORD(wParam) == IDC_SET_APPLY && notifyCode == BN_CLICKED) {
        Apply();
        return 1;
    }
    if (LOWORD(wParam) == IDC_SET_RULES && notifyCode == BN_CLICKED) {
        CRulesDlg::Show(m_hwnd, ProgramInstance());
        return 1;
    }
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
    for (int i = 0; i < 4; ++i) settings.*SwitchMembers[i] = IsDlgButtonChecked(m_hwnd, SwitchControls[i]) != 0;
    settings.manageExistingWindows = IsDlgButtonChecked(m_hwnd, IDC_SET_MANAGEOPEN) != 0;
    unsigned long modifiers = 0;
    for (const auto& modifier : HotkeyModifiers) {
        if (IsDlgButtonChecked(m_hwnd, modifier.control)) modifiers |= modifier.modifier;
    }
    const HWND keys = GetDlgItem(IDC_SET_KEY).Handle();
    const LRESULT key = SendMessageW(keys, CB_GETITEMDATA, SendMessageW(keys, CB_GETCURSEL, 0, 0), 0);
    settings.onTopHotkey = key > 0 ? (modifiers << 16) | static_cast<unsigned long>(key & 0xFF) : 0;
    // What the dialog shows is what the user chose: every value is written.
    settings.unreadFrom = -1;
    SaveSettings(settings);
    // The bindings change element by element and the lists while admission
    // waits; managed windows keep everything they have.
    ApplyMouseBindings(settings);
    WindowManagerSetIgnoreTitle(settings.ignoreTitles);
    WindowManagerSetIgnoreClass(settings.ignoreClasses);
    WindowManagerSetTransparentOpacity(static_cast<int>(settings.transparentOpacity));
    const bool autostart = IsDlgButtonChecked(m_hwnd, IDC_SET_AUTOSTART) != 0;
    if (!SetAutostart(autostart)) CheckDlgButton(m_hwnd, IDC_SET_AUTOSTART, !autostart);
    RegisterOnTopHotkey(m_owner, settings.onTopHotkey);
    ShowHotkeyState();
    CurrentSettings() = settings;
    return true;
}

void CSettingsDlg::ShowHotkeyState()
{
    const wchar_t* text = L"Press the hotkey to pin or unpin the window in front.";
    if (OnTopHotkeyValue() == 0) text = L"No hotkey: choose a key to have one.";
    if (OnTopHotkeyRefused()) text = L"Another program holds this hotkey, so it does nothing here; choose another.";
    GetDlgItem(IDC_SET_HOTKEYSTATE).SetWindowText(text);
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
