// The shared section and the exports that write and read it.
#include "SharedState.h"

#include "PatternList.h"

// Zeroed when the first process maps the library; constant-initialised, so no
// process resets it when it loads the library.
__attribute__((section("HOVELLE"), shared)) SharedState Shared = {};

namespace {

void StoreBinding(BindingTable& table, MoxButton button, int modifier, int hitTest, MoxAction action)
{
    if (IsBindingIndex(button, modifier, hitTest)) table[button][modifier][hitTest] = action;
}

MoxAction ReadBinding(const BindingTable& table, MoxButton button, int modifier, int hitTest)
{
    return IsBindingIndex(button, modifier, hitTest) ? table[button][modifier][hitTest] : MoxActionNone;
}

} // namespace

void SetMouseAction(MoxButton button, int modifier, int hitTest, MoxAction action)
{
    StoreBinding(Shared.MouseActions, button, modifier, hitTest, action);
}

MoxAction GetMouseAction(MoxButton button, int modifier, int hitTest)
{
    return ReadBinding(Shared.MouseActions, button, modifier, hitTest);
}

void SetMouseActionDblClk(MoxButton button, int modifier, int hitTest, MoxAction action)
{
    StoreBinding(Shared.MouseActionsDblClk, button, modifier, hitTest, action);
}

MoxAction GetMouseActionDblClk(MoxButton button, int modifier, int hitTest)
{
    return ReadBinding(Shared.MouseActionsDblClk, button, modifier, hitTest);
}

void WindowManagerSetIgnoreTitle(const std::vector<std::wstring>& patterns)
{
    Shared.IgnoreTitlePatterns.Write(
        [&](PatternListBuffer& list) { StorePatternList(list.units, MoxPatternListUnits, patterns); });
}

void WindowManagerSetIgnoreClass(const std::vector<std::wstring>& patterns)
{
    Shared.IgnoreClassPatterns.Write(
        [&](PatternListBuffer& list) { StorePatternList(list.units, MoxPatternListUnits, patterns); });
}
