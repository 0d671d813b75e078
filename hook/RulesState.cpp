// The rules table in the shared section, written by the tray program and
// read when a window is admitted; the pin's Shift + click; the opacity of
// "Transparent".
#include "RulesState.h"

#include "DebugLog.h"
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "LorvekRules.h"
#include "SharedState.h"
#include "MessageHandlers.h"

namespace {

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

int RuleCount(const RuleTable& table)
{
    return table.count < 0 ? 0 : table.count > MaxRules ? MaxRules : table.count;
}

// The actions of the first rule that matches, read from the current copy;
// false when none matches.
bool FindActions(HWND window, BasicRuleEntry<wchar_t>& actions)
{
    wchar_t className[RulePatternUnits * 2] = {};
    wchar_t title[RulePatternUnits * 2] = {};
    GetClassNameW(window, className, RulePatternUnits * 2);
    // The title is read only when a rule names one, and without a message:
    // the window has not seen its own WM_CREATE yet.
    bool titleNamed = false;
    Shared.Rules.Read([&](const RuleTable& table) {
        titleNamed = false;
        for (int i = 0; i < RuleCount(table) && !titleNamed; ++i) titleNamed = table.entries[i].title[0] != 0;
    });
    if (titleNamed) InternalGetWindowText(window, title, RulePatternUnits * 2);
    int index = -1;
    Shared.Rules.Read([&](const RuleTable& table) {
        index = FindRule(table.entries, RuleCount(table), ProgramName(), className, title);
        if (index >= 0) actions = table.entries[index];
    });
    return index >= 0;
}

} // namespace

void ApplyRulesAtAdmission(HWND window)
{
    if (__atomic_load_n(&Shared.Rules.copies[__atomic_load_n(&Shared.Rules.current, __ATOMIC_ACQUIRE) & 1].count,
                        __ATOMIC_RELAXED) <= 0) {
        return;  // no rules: the common case costs two loads
    }
    BasicRuleEntry<wchar_t> actions;
    if (!FindActions(window, actions)) return;
    // Through the features, so the menu's check marks and the pin (which
    // follows the topmost bit) show them.
    if (actions.alwaysOnTop) SendMessageW(window, MsgOnTop(), FeatureOn, 0);
    if (actions.alpha != 255) MakeTransparent(window, actions.alpha);
    if (actions.rollup) SendMessageW(window, MsgRollup(), FeatureOn, 0);
}

void AskForOnTopRule(bool onTop)
{
    const HWND tray = FindWindowW(L"HovelleWnd", L"Window Manager");
    static UINT request = 0;
    if (request == 0) request = RegisterWindowMessageW(MoxRuleRequestMessageName);
    if (tray != nullptr) {
        PostMessageW(tray, request, onTop ? FeatureOn : FeatureOff, static_cast<LPARAM>(GetCurrentProcessId()));
    }
}

BYTE TransparentAlphaNow()
{
    const LONG alpha = __atomic_load_n(&Shared.TransparentAlpha, __ATOMIC_ACQUIRE);
    return alpha > 0 && alpha <= 255 ? static_cast<BYTE>(alpha) : AlphaOfPercent(75);
}

void WindowManagerSetRules(const std::vector<MoxStoredRule>& rules)
{
    Shared.Rules.Write([&](RuleTable& table) {
        table.count = 0;
        for (const MoxStoredRule& stored : rules) {
            Rule rule;
            const int bad = ParseRule(stored.values, rule);
            if (bad >= 0) {
                LogMessage(L"Rule \"%s\" skipped: bad %s", stored.name.c_str(), RuleValueNames[bad]);
                continue;
            }
            if (table.count == MaxRules) {
                LogMessage(L"Rule \"%s\" skipped: more than %d rules", stored.name.c_str(), MaxRules);
                continue;
            }
            BasicRuleEntry<wchar_t>& entry = table.entries[table.count++];
            EncodeRule(rule, entry);
            FoldFileName(entry.program);
        }
    });
}

void WindowManagerSetTransparentOpacity(int percent)
{
    InterlockedExchange(&Shared.TransparentAlpha, AlphaOfPercent(percent < 0 ? 0u : static_cast<unsigned>(percent)));
}
