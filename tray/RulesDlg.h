// The Rules window: the stored rules in name order; add, change, remove;
// "Pick a window" fills in a window's program, class and title when the
// finder is dragged onto it. OK writes the changed rules and hands them to
// the hook library: windows opened afterwards get them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "DlgHandler.h"
#include "Rules.h"

// A rule's line in the list: "program | class | title: actions", "*" for an
// empty pattern; or, for a rule with bad data, its name and the bad value.
std::wstring RuleLine(const std::wstring& name, const Rule& rule, int badValue);

class CRulesDlg : public CDlgHandler {
public:
    // Shows dialog 106 of `instance` modally, owned by `owner`.
    static INT_PTR Show(HWND owner, HINSTANCE instance);

    INT_PTR OnInitDialog(WPARAM focusControl) override;
    INT_PTR OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control) override;
    INT_PTR OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnOK() override;

private:
    struct Entry {
        std::wstring name;
        Rule rule;
        int badValue;  // -1: good
        bool changed;
    };

    void Fill();
    void ShowEntry(int index);
    // The fields as a rule; false, with a message, when the opacity is out of
    // range or a pattern too long.
    bool ReadFields(Rule& rule);
    int Selected() const;
    void Pick(POINT screenPoint);

    std::vector<Entry> m_entries;
    std::vector<std::wstring> m_removed;
    bool m_picking = false;
};
