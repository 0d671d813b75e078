// The data every process that loads the library sees alike: it lives in the
// shared section HOVELLE. No constructor may ever run on it.
#pragma once

#include "DoubleBuffer.h"
#include "Lorvek.h"
#include "Rules.h"

// One stored ignore-pattern list.
struct PatternListBuffer {
    wchar_t units[MoxPatternListUnits];
};

// The rules as the hook reads them: the first `count` entries, in order.
struct RuleTable {
    int count;
    BasicRuleEntry<wchar_t> entries[MaxRules];
};

struct SharedState {
    BindingTable MouseActions;
    BindingTable MouseActionsDblClk;
    HHOOK HookHandle;
    bool ManageEnabled;
    // The process that installed the hook (its id and creation time):
    // Windows removes a hook with its thread, so once that process has
    // ended the handle above names no hook any more.
    DWORD HookOwnerProcess;
    ULONGLONG HookOwnerStarted;
    // Rewritten while admissions in other processes read them.
    DoubleBuffered<PatternListBuffer> IgnoreTitlePatterns;
    DoubleBuffered<PatternListBuffer> IgnoreClassPatterns;
    // The rules, and the alpha of "Transparent" (0: not set), both written
    // only by the tray program.
    DoubleBuffered<RuleTable> Rules;
    LONG TransparentAlpha;
};

extern SharedState Shared;
