// The Settings window: the four binding switches, the two ignore lists, the
// autostart value, managing windows already open at the start, the
// always-on-top hotkey, the opacity of "Transparent" and the button of the
// Rules window. Apply and OK write the registry and put the change into
// effect at once; no managed window is released or restored. A hotkey that
// cannot be used or a write that fails keeps the window open, saying so.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "DlgHandler.h"

// The lines of an edit control's text that are not empty, in order.
std::vector<std::wstring> SplitLines(const std::wstring& text);

class CSettingsDlg : public CDlgHandler {
public:
    // Shows dialog 105 of `instance` modally, owned by `owner` (the window
    // that receives the hotkey), until it closes. While it is open, a second
    // request only brings it to the front.
    static void Show(HWND owner, HINSTANCE instance);

    INT_PTR OnInitDialog(WPARAM focusControl) override;
    INT_PTR OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control) override;
    INT_PTR OnOK() override;

private:
    explicit CSettingsDlg(HWND owner) : m_owner(owner) {}

    // False, with the reason shown and the change not in effect, when a list
    // does not fit, the hotkey cannot be used or a write fails.
    bool Apply();
    void ReportWriteFailure(const wchar_t* setting, long error);
    unsigned long EditedHotkey() const;
    // Bare keys (and Shift + key) are turned into Ctrl + Alt + key as they are
    // typed, unless Win is ticked.
    void SetHotkeyRules();
    void ShowHotkeyState();
    void PlaceOnPointerMonitor();
    void EnableApply(bool enable);
    void SetList(int control, const std::vector<std::wstring>& patterns);
    std::vector<std::wstring> GetList(int control) const;

    HWND m_owner;
    // What the window showed when it opened or was last applied.
    bool m_autostart = false;
    std::vector<std::wstring> m_titles, m_classes;
};
