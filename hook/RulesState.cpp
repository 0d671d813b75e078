// The rules table in the shared section, written by the tray program and
// read when a window is admitted; the pin's Shift + click; the opacity of
// "Transparent".
#include "RulesState.h"

#include "DebugLog.h"
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "LorvekRules.h"
#include "SharedState.h"
#include "TitleButtons.h"

namespace {

// A reader that saw a write begin tries again, at most this often.
constexpr int RuleReadTries = 4;

// Program names and patterns are compared as Windows compares file names:
// both are folded to upper case.
void FoldFileName(wchar_t* text)
{
    CharUpperBuffW(text, lstrlenW(text));
}

// This process's executable file name, folded; read once per process.
const wchar_t* ProgramName()
{
    static wchar_t name[MAX_PATH];
    static bool read = false;
    if (!__atomic_load_n(&read, __ATOMIC_ACQUIRE)) {
        wchar_t path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        // A path cut short names no program.
        const std::wstring file = length < MAX_PATH ? FileNameOf(std::wstring(path, length)) : std::wstring();
        lstrcpynW(name, file.c_str(), MAX_PATH);
        FoldFileName(name);
        __atomic_store_n(&read, true, __ATOMIC_RELEASE);
    }
    return name;
}

LONG LoadShared(const LONG& value)
{
    return __atomic_load_n(&value, __ATOMIC_ACQUIRE);
}

// The actions of the first rule that matches, read from the active copy;
// false when none matches or the table kept changing while it was read.
bool FindActions(HWND window, BasicRuleEntry<wchar_t>& actions)
{
    wchar_t className[RulePatternUnits * 2] = {};
    wchar_t title[RulePatternUnits * 2] = {};
    GetClassNameW(window, className, RulePatternUnits * 2);
    bool titleRead = false;
    for (int tries = 0; tries < RuleReadTries; ++tries) {
        const LONG generation = LoadShared(Shared.RuleGeneration);
        const LONG active = LoadShared(Shared.ActiveRuleTable) & 1;
        const LONG stored = LoadShared(Shared.RuleCounts[active]);
        const int count = stored < 0 ? 0 : stored > MaxRules ? MaxRules : static_cast<int>(stored);
        const BasicRuleEntry<wchar_t>* table = Shared.RuleTables[active];
        // The title is asked for (a message to the window) only when a rule
        // names one.
        for (int i = 0; i < count && !titleRead; ++i) {
            if (table[i].title[0] != 0) {
                GetWindowTextW(window, title, RulePatternUnits * 2);
                titleRead = true;
            }
        }
        const int index = FindRule(table, count, ProgramName(), className, title);
        if (index >= 0) actions = table[index];
        __atomic_thread_fence(__ATOMIC_ACQUIRE);
        if (LoadShared(Shared.RuleGeneration) == generation) return index >= 0;
    }
    return false;
}

void RefreshPin(HWND window)
{
    const int state = static_cast<int>(SendMessageW(window, MsgOnTop(), FeatureQuery, 0));
    // The answer may come after the window has gone, and its block with it.
    TitleButtons* block = FindTitleButtons(window);
    for (int i = 0; block != nullptr && i < block->count; ++i) {
        if (block->buttons[i].message == MsgOnTop()) block->buttons[i].state = state;
    }
}

} // namespace

void ApplyRulesAtAdmission(HWND window)
{
    const LONG active = LoadShared(Shared.ActiveRuleTable) & 1;
    if (LoadShared(Shared.RuleCounts[active]) <= 0) return;
    BasicRuleEntry<wchar_t> actions;
    if (!FindActions(window, actions)) return;
    // Through the features, so the menu's check marks and the pin show them.
    if (actions.alwaysOnTop) {
        SendMessageW(window, MsgOnTop(), FeatureOn, 0);
        RefreshPin(window);
    }
    if (actions.alpha != 255) {
        SendMessageW(window, MsgTransparent(), FeatureOn, 0);
        SetLayeredWindowAttributes(window, 0, actions.alpha, LWA_ALPHA);
    }
    if (actions.rollup) SendMessageW(window, MsgRollup(), FeatureOn, 0);
}

bool PinClickedWithShift(HWND window, UINT message)
{
    if (message != MsgOnTop() || GetKeyState(VK_SHIFT) >= 0) return false;
    SendMessageW(window, message, FeatureToggle, 0);
    const WPARAM command = SendMessageW(window, message, FeatureQuery, 0) == 1 ? FeatureOn : FeatureOff;
    const HWND tray = FindWindowW(L"HovelleWnd", L"Window Manager");
    static UINT request = 0;
    if (request == 0) request = RegisterWindowMessageW(MoxRuleRequestMessageName);
    if (tray != nullptr) PostMessageW(tray, request, command, static_cast<LPARAM>(GetCurrentProcessId()));
    return true;
}

BYTE TransparentAlphaNow()
{
    const LONG alpha = LoadShared(Shared.TransparentAlpha);
    return alpha > 0 && alpha <= 255 ? static_cast<BYTE>(alpha) : AlphaOfPercent(75);
}

void WindowManagerSetRules(const std::vector<MoxStoredRule>& rules)
{
    const LONG target = 1 - (LoadShared(Shared.ActiveRuleTable) & 1);
    InterlockedIncrement(&Shared.RuleGeneration);
    int count = 0;
    for (const MoxStoredRule& stored : rules) {
        Rule rule;
        const int bad = ParseRule(stored.values, rule);
        if (bad >= 0) {
            LogMessage(L"Rule \"%s\" skipped: bad %s", stored.name.c_str(), RuleValueNames[bad]);
            continue;
        }
        if (count == MaxRules) {
            LogMessage(L"Rule \"%s\" skipped: more than %d rules", stored.name.c_str(), MaxRules);
            continue;
        }
        BasicRuleEntry<wchar_t>& entry = Shared.RuleTables[target][count++];
        EncodeRule(rule, entry);
        FoldFileName(entry.program);
    }
    InterlockedExchange(&Shared.RuleCounts[target], count);
    InterlockedExchange(&Shared.ActiveRuleTable, target);
}

void WindowManagerSetTransparentOpacity(int percent)
{
    InterlockedExchange(&Shared.TransparentAlpha, AlphaOfPercent(percent < 0 ? 0u : static_cast<unsigned>(percent)));
}
