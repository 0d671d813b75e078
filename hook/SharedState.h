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
};

extern SharedState Shared;
