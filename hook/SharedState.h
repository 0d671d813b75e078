// The data every process that loads the library sees alike: it lives in the
// shared section HOVELLE. No constructor may ever run on it.
#pragma once

#include "Lorvek.h"

struct SharedState {
    MoxAction MouseActions[MoxButtonCount][MoxModifierRowCount][MoxHitTestCount];
    MoxAction MouseActionsDblClk[MoxButtonCount][MoxModifierRowCount][MoxHitTestCount];
    HHOOK HookHandle;
    bool ManageEnabled;
    wchar_t IgnoreTitlePatterns[MoxPatternListUnits];
    wchar_t IgnoreClassPatterns[MoxPatternListUnits];
};

extern SharedState Shared;
