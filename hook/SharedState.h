// The data every process that loads the library sees alike: it lives in the
// shared section HOVELLE. No constructor may ever run on it.
#pragma once

#include "Lorvek.h"
#include "Rules.h"

struct SharedState {
    BindingTable MouseActions;
    BindingTable MouseActionsDblClk;
    HHOOK HookHandle;
    bool ManageEnabled;
    wchar_t IgnoreTitlePatterns[MoxPatternListUnits];
    wchar_t IgnoreClassPatterns[MoxPatternListUnits];
    // Admissions from the hook that are reading the ignore lists right now;
    // last, so the layout before it stays as it was.
    LONG AdmissionsRunning;
    // Rules: two copies of the table. The tray program writes the copy that
    // is not active, then makes it the active one; RuleGeneration counts the
    // writes begun, so a reader notices one that ran while it read.
    BasicRuleEntry<wchar_t> RuleTables[2][MaxRules];
    LONG RuleCounts[2];
    LONG ActiveRuleTable;
    LONG RuleGeneration;
    LONG TransparentAlpha;  // 0: not set
};

extern SharedState Shared;
