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

// Stops admission by the hook for its lifetime and waits a little for the
// admissions under way to finish reading the ignore lists.
class AdmissionPause {
public:
    AdmissionPause() : m_enabled(__atomic_exchange_n(&Shared.ManageEnabled, false, __ATOMIC_SEQ_CST))
    {
        // A process that died while admitting leaves the count up: the wait
        // is bounded.
        for (int tries = 0; tries < 100 && InterlockedCompareExchange(&Shared.AdmissionsRunning, 0, 0) > 0; ++tries) {
            Sleep(1);
        }
    }
    ~AdmissionPause() { __atomic_store_n(&Shared.ManageEnabled, m_enabled, __ATOMIC_SEQ_CST); }
    AdmissionPause(const AdmissionPause&) = delete;
    AdmissionPause& operator=(const AdmissionPause&) = delete;

private:
    bool m_enabled;
};

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
    const AdmissionPause pause;
    StorePatternList(Shared.IgnoreTitlePatterns, MoxPatternListUnits, patterns);
}

void WindowManagerSetIgnoreClass(const std::vector<std::wstring>& patterns)
{
    const AdmissionPause pause;
    StorePatternList(Shared.IgnoreClassPatterns, MoxPatternListUnits, patterns);
}
