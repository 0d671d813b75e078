// The data every process that loads the library sees alike: it lives in the
// shared section HOVELLE. No constructor may ever run on it.
#pragma once

#include "Lorvek.h"

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
};

extern SharedState Shared;
