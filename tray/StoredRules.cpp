#include "StoredRules.h"

#include <algorithm>
#include <cwchar>
#include <memory>

#include "Reg.h"
#include "WindowsError.h"

namespace {

const wchar_t RulesKey[] = L"Software\\Tenvale\\Hovelle\\Rules";

RawRuleValue ReadValue(const CReg& key, const wchar_t* name)
{
    RawRuleValue raw;
    CRegValue value = {};
    try {
        if (!key.QueryValue(name, value)) return raw;
        raw.type = value.type;
        raw.data.assign(value.data, value.data + value.size);
    } catch (const CWindowsError&) {
        raw.type = REG_NONE;  // more data than a query takes, or another error: bad data
    }
    raw.present = true;
    return raw;
}

// The rule "this program opens on top" for the folded file name.
bool IsOnTopRuleOf(const MoxStoredRule& stored, const std::wstring& program)
{
    Rule rule;
    return ParseRule(stored.values, rule) < 0 && _wcsicmp(rule.program.c_str(), program.c_str()) == 0 &&
           rule.className.empty() && rule.title.empty() && rule.alwaysOnTop && rule.opacity == 100 && !rule.rollup;
}

} // namespace

std::vector<MoxStoredRule> LoadStoredRules()
{
    std::vector<MoxStoredRule> rules;
    try {
        CReg key;
        key.Open(HKEY_CURRENT_USER, RulesKey);
        std::vector<std::wstring> names;
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            const LONG status = RegEnumKeyExW(key.Handle(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
            if (status != ERROR_SUCCESS) break;
            names.emplace_back(name, length);
        }
        std::sort(names.begin(), names.end(),
                  [](const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) < 0; });
        for (const std::wstring& ruleName : names) {
            MoxStoredRule stored;
            stored.name = ruleName;
            try {
                CReg ruleKey;
                ruleKey.Open(key.Handle(), ruleName.c_str());
                for (int i = 0; i < RuleValueCount; ++i) stored.values[i] = ReadValue(ruleKey, RuleValueNames[i]);
            } catch (const CWindowsError&) {
                stored.values[RuleProgram].present = true;  // a key that cannot be opened: bad data
                stored.values[RuleProgram].type = REG_NONE;
            }
            rules.push_back(stored);
        }
    } catch (const CWindowsError&) {
        // No key: no rules.
    }
    return rules;
}

void ApplyStoredRules()
{
    WindowManagerSetRules(LoadStoredRules());
}

void WriteRule(const std::wstring& name, const Rule& rule)
{
    try {
        CReg software;
        software.Open(HKEY_CURRENT_USER, L"Software");
        CReg key;
        software.CreateKey((L"Tenvale\\Hovelle\\Rules\\" + name).c_str(), &key);
        key.SetString(RuleValueNames[RuleProgram], rule.program);
        key.SetString(RuleValueNames[RuleClass], rule.className);
        key.SetString(RuleValueNames[RuleTitle], rule.title);
        key.SetNumber(RuleValueNames[RuleAlwaysOnTop], rule.alwaysOnTop ? 1 : 0);
        key.SetNumber(RuleValueNames[RuleOpacity], rule.opacity);
        key.SetNumber(RuleValueNames[RuleRollup], rule.rollup ? 1 : 0);
    } catch (const CWindowsError&) {
        // The rule stays as it was stored.
    }
}

void DeleteRule(const std::wstring& name)
{
    try {
        CReg key;
        key.Open(HKEY_CURRENT_USER, RulesKey);
        RegDeleteTreeW(key.Handle(), name.c_str());
    } catch (const CWindowsError&) {
        // No rules at all.
    }
}

std::wstring NewRuleName(const std::vector<std::wstring>& names)
{
    int highest = 0;
    for (const std::wstring& name : names) {
        int number = 0;
        wchar_t rest = 0;
        if (std::swscanf(name.c_str(), L"Rule %d%lc", &number, &rest) == 1) highest = std::max(highest, number);
    }
    wchar_t name[32] = {};
    std::swprintf(name, 32, L"Rule %03d", highest + 1);
    return name;
}

std::wstring ProgramFileName(DWORD processId)
{
    const std::unique_ptr<void, decltype(&CloseHandle)> process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId), &CloseHandle);
    if (!process) return L"";
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = MAX_PATH * 2;
    const bool named = QueryFullProcessImageNameW(process.get(), 0, path, &length) != FALSE;
    return named ? FileNameOf(std::wstring(path, length)) : L"";
}

void HandleRuleRequest(WPARAM command, DWORD processId)
{
    const std::wstring program = ProgramFileName(processId);
    if (program.empty() || (command != 1 && command != 2)) return;
    const std::vector<MoxStoredRule> rules = LoadStoredRules();
    bool present = false;
    for (const MoxStoredRule& stored : rules) {
        if (!IsOnTopRuleOf(stored, program)) continue;
        present = true;
        if (command == 2) DeleteRule(stored.name);
    }
    if (command == 1 && !present) {
        Rule rule;
        rule.program = program;
        rule.alwaysOnTop = true;
        WriteRule(L"On top " + program, rule);
    }
    ApplyStoredRules();
}
