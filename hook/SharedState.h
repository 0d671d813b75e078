// The data every process that loads the library sees alike: it lives in the
// shared section HOVELLE. No constructor may ever run on it.
#pragma once

#include "Lorvek.h"

struct SharedState {
    BindingTable MouseActions;
    BindingTable MouseActionsDblClk;
    HHOOK HookHandle;
    bool ManageEnabled;
    // Admissions from the hook that are reading the ignore lists right now.
    LONG AdmissionsRunning;
    wchar_t IgnoreTitlePatterns[MoxPatternListUnits];
    wchar_t IgnoreClassPatterns[MoxPatternListUnits];
};

extern SharedState Shared;
