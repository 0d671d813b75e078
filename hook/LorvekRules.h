// The hook library's exports for rules and the opacity of "Transparent".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Rules.h"

// A rule's key as stored: its name and the raw data of its six values.
struct MoxStoredRule {
    std::wstring name;
    RawRuleValue values[RuleValueCount];
};

// Posted by a managed window's pin on Shift + click to the tray program's
// main window: wParam 1 (the window is now on top: add the rule "this
// program opens on top") or 2 (it is not: remove that rule), lParam the id
// of the window's process.
constexpr wchar_t MoxRuleRequestMessageName[] = L"MOX_RULE_REQUEST";

extern "C" {
// Replaces the rules every process applies when a window is admitted, in
// the given order (the first match applies); a rule with bad data, and any
// beyond the 64th, is skipped and named in the debug log. Admission never
// waits for this and never reads a half-written table.
void WindowManagerSetRules(const std::vector<MoxStoredRule>& rules);
// The opacity of "Transparent", in percent (10 to 100; 75 until set).
void WindowManagerSetTransparentOpacity(int percent);
}
