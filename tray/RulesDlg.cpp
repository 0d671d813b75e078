#include "RulesDlg.h"

#include <cwchar>

#include "RulesResource.h"
#include "StoredRules.h"

namespace {

const int PatternControls[3] = {IDC_RULE_PROGRAM, IDC_RULE_CLASS, IDC_RULE_TITLE};

std::wstring ControlText(HWND dialog, int control)
{
    const HWND edit = GetDlgItem(dialog, control);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, &text[0], static_cast<int>(text.size()))));
    return text;
}

} // namespace

std::wstring RuleLine(const std::wstring& name, const Rule& rule, int badValue)
{
    if (badValue >= 0) return name + L": bad " + RuleValueNames[badValue] + L" (skipped)";
    const auto any = [](const std::wstring& pattern) { return pattern.empty() ? std::wstring(L"*") : pattern; };
    std::wstring actions;
    if (rule.alwaysOnTop) actions += L", on top";
    if (rule.opacity != 100) actions += L", " + std::to_wstring(rule.opacity) + L" %";
    if (rule.rollup) actions += L", rolled up";
    return any(rule.program) + L" | " + any(rule.className) + L" | " + any(rule.title) + L":" +
           (actions.empty() ? L" nothing" : actions.substr(1));
}

INT_PTR CRulesDlg::Show(HWND owner, HINSTANCE instance)
{
    CRulesDlg dialog;
    return dialog.RunModal(owner, IDD_RULES, instance);
}

INT_PTR CRulesDlg::OnInitDialog(WPARAM focusControl)
{
    for (const MoxStoredRule& stored : LoadStoredRules()) {
        Entry entry = {stored.name, Rule(), -1, false};
        entry.badValue = ParseRule(stored.values, entry.rule);
        m_entries.push_back(entry);
    }
    for (const int control : PatternControls) SendDlgItemMessageW(m_hwnd, control, EM_LIMITTEXT, RulePatternUnits - 1, 0);
    Fill();
    ShowEntry(m_entries.empty() ? -1 : 0);
    return CDlgHandler::OnInitDialog(focusControl);
}

void CRulesDlg::Fill()
{
    const HWND list = ::GetDlgItem(m_hwnd, IDC_RULE_LIST);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const Entry& entry : m_entries) {
        const std::wstring line = RuleLine(entry.name, entry.rule, entry.badValue);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
}

void CRulesDlg::ShowEntry(int index)
{
    SendDlgItemMessageW(m_hwnd, IDC_RULE_LIST, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    const Rule rule = index >= 0 && m_entries[index].badValue < 0 ? m_entries[index].rule : Rule();
    SetDlgItemTextW(m_hwnd, IDC_RULE_PROGRAM, rule.program.c_str());
    SetDlgItemTextW(m_hwnd, IDC_RULE_CLASS, rule.className.c_str());
    SetDlgItemTextW(m_hwnd, IDC_RULE_TITLE, rule.title.c_str());
    CheckDlgButton(m_hwnd, IDC_RULE_ONTOP, rule.alwaysOnTop);
    CheckDlgButton(m_hwnd, IDC_RULE_ROLLUP, rule.rollup);
    SetDlgItemInt(m_hwnd, IDC_RULE_OPACITY, rule.opacity, FALSE);
}

int CRulesDlg::Selected() const
{
    const LRESULT index = SendDlgItemMessageW(m_hwnd, IDC_RULE_LIST, LB_GETCURSEL, 0, 0);
    return index >= 0 && static_cast<size_t>(index) < m_entries.size() ? static_cast<int>(index) : -1;
}

bool CRulesDlg::ReadFields(Rule& rule)
{
    rule.program = ControlText(m_hwnd, IDC_RULE_PROGRAM);
    rule.className = ControlText(m_hwnd, IDC_RULE_CLASS);
    rule.title = ControlText(m_hwnd, IDC_RULE_TITLE);
    rule.alwaysOnTop = IsDlgButtonChecked(m_hwnd, IDC_RULE_ONTOP) != 0;
    rule.rollup = IsDlgButtonChecked(m_hwnd, IDC_RULE_ROLLUP) != 0;
    BOOL number = FALSE;
    rule.opacity = GetDlgItemInt(m_hwnd, IDC_RULE_OPACITY, &number, FALSE);
    if (number && rule.opacity >= 10 && rule.opacity <= 100) return true;
    MessageBox(L"The opacity is a percentage from 10 to 100.", L"Window Manager", MB_OK | MB_ICONWARNING);
    ::SetFocus(::GetDlgItem(m_hwnd, IDC_RULE_OPACITY));
    return false;
}

INT_PTR CRulesDlg::OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control)
{
    const int id = LOWORD(wParam);
    if (id == IDC_RULE_LIST && notifyCode == LBN_SELCHANGE) {
        ShowEntry(Selected());
        return 1;
    }
    if (notifyCode != BN_CLICKED || (id != IDC_RULE_ADD && id != IDC_RULE_CHANGE && id != IDC_RULE_REMOVE)) {
        return CDlgHandler::OnCommand(notifyCode, wParam, control);
    }
    int index = Selected();
    if (id == IDC_RULE_REMOVE) {
        if (index < 0) return 1;
        m_removed.push_back(m_entries[index].name);
        m_entries.erase(m_entries.begin() + index);
        Fill();
        ShowEntry(m_entries.empty() ? -1 : index < static_cast<int>(m_entries.size()) ? index : index - 1);
        return 1;
    }
    Rule rule;
    if (!ReadFields(rule) || (id == IDC_RULE_CHANGE && index < 0)) return 1;
    if (id == IDC_RULE_ADD) {
        std::vector<std::wstring> names = m_removed;
        for (const Entry& entry : m_entries) names.push_back(entry.name);
        const std::wstring name = NewRuleName(names);
        // The list keeps the order in which the rules apply: that of their names.
        auto at = m_entries.begin();
        while (at != m_entries.end() && _wcsicmp(at->name.c_str(), name.c_str()) < 0) ++at;
        index = static_cast<int>(m_entries.insert(at, {name, rule, -1, true}) - m_entries.begin());
    } else {
        m_entries[index].rule = rule;
        m_entries[index].badValue = -1;
        m_entries[index].changed = true;
    }
    Fill();
    ShowEntry(index);
    return 1;
}

INT_PTR CRulesDlg::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SETCURSOR:
        // A press on the finder (which asks its parent first) starts the drag:
        // the dialog then has the mouse until the release.
        if (reinterpret_cast<HWND>(wParam) != ::GetDlgItem(m_hwnd, IDC_RULE_FINDER) || HIWORD(lParam) != WM_LBUTTONDOWN) {
            break;
        }
        m_picking = true;
        SetCapture(m_hwnd);
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
        return 1;
    case WM_MOUSEMOVE:
        if (m_picking) SetCursor(LoadCursorW(nullptr, IDC_CROSS));
        break;
    case WM_LBUTTONUP:
        if (!m_picking) break;
        m_picking = false;
        ReleaseCapture();
        {
            const DWORD position = GetMessagePos();
            Pick({static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))});
        }
        return 1;
    case WM_CAPTURECHANGED:
        m_picking = false;
        break;
    default:
        break;
    }
    return CDlgHandler::OnOtherMessage(message, wParam, lParam);
}

void CRulesDlg::Pick(POINT screenPoint)
{
    const HWND window = GetAncestor(WindowFromPoint(screenPoint), GA_ROOT);
    // This program's own windows are no target.
    DWORD process = 0;
    if (window == nullptr || GetWindowThreadProcessId(window, &process) == 0 || process == GetCurrentProcessId()) {
        return;
    }
    wchar_t text[RulePatternUnits] = {};
    GetClassNameW(window, text, RulePatternUnits);
    SetDlgItemTextW(m_hwnd, IDC_RULE_CLASS, text);
    text[0] = 0;
    // Never waits for a program that does not answer.
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, RulePatternUnits, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 500,
                        &copied);
    text[RulePatternUnits - 1] = 0;
    SetDlgItemTextW(m_hwnd, IDC_RULE_TITLE, text);
    SetDlgItemTextW(m_hwnd, IDC_RULE_PROGRAM, ProgramFileName(process).c_str());
}

INT_PTR CRulesDlg::OnOK()
{
    for (const std::wstring& name : m_removed) DeleteRule(name);
    for (const Entry& entry : m_entries) {
        if (entry.changed) WriteRule(entry.name, entry.rule);
    }
    ApplyStoredRules();
    EndDialog(1);
    return 1;
}
