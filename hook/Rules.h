// Rules: what a window gets when it opens (always on top, an opacity,
// rolled up), chosen by its program's file name, its class and its title.
// Pure functions over code units, so they work for wchar_t and char16_t
// alike: reading a rule from the raw data of its registry values, the fixed
// table entry the hook reads, and the first rule of a table that matches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "PatternList.h"

constexpr int MaxRules = 64;
// A stored pattern and its NUL.
constexpr std::size_t RulePatternUnits = 128;

// The six values of a rule's key, in this order.
enum RuleValue { RuleProgram, RuleClass, RuleTitle, RuleAlwaysOnTop, RuleOpacity, RuleRollup, RuleValueCount };
inline const wchar_t* const RuleValueNames[RuleValueCount] = {L"Program",     L"Class",   L"Title",
                                                              L"AlwaysOnTop", L"Opacity", L"Rollup"};

// The registry types a rule's values must have (REG_SZ, REG_DWORD).
constexpr unsigned long RuleStringType = 1, RuleNumberType = 4;

// One value as read: absent, or its registry type and bytes. A value that
// could not be read is present with a type no rule accepts.
struct RawRuleValue {
    bool present = false;
    unsigned long type = 0;
    std::vector<std::uint8_t> data;
};

template <typename CharT>
struct BasicRule {
    std::basic_string<CharT> program, className, title;  // empty: any
    bool alwaysOnTop = false;
    unsigned opacity = 100;  // percent; 100 leaves the window opaque
    bool rollup = false;
};
using Rule = BasicRule<wchar_t>;

// Reads one rule from its values. Answers -1, or the first value whose data
// is bad (then `rule` means nothing): a pattern that is not REG_SZ or as
// long as a stored pattern, a number that is not a 4-byte REG_DWORD or is
// out of range (AlwaysOnTop and Rollup 0 or 1, Opacity 10 to 100). A missing
// value is no error: a missing pattern matches any, a missing number is 0
// (Opacity 100). A string ends at its first NUL or at its data's end.
template <typename CharT>
int ParseRule(const RawRuleValue (&values)[RuleValueCount], BasicRule<CharT>& rule)
{
    std::basic_string<CharT>* const patterns[3] = {&rule.program, &rule.className, &rule.title};
    for (int i = 0; i < 3; ++i) {
        const RawRuleValue& value = values[i];
        patterns[i]->clear();
        if (!value.present) continue;
        if (value.type != RuleStringType) return i;
        for (std::size_t at = 0; at + 1 < value.data.size(); at += 2) {
            const CharT unit = static_cast<CharT>(value.data[at] | value.data[at + 1] << 8);
            if (unit == 0) break;
            patterns[i]->push_back(unit);
        }
        if (patterns[i]->size() >= RulePatternUnits) return i;
    }
    const struct { std::uint32_t low, high, missing; } limits[3] = {{0, 1, 0}, {10, 100, 100}, {0, 1, 0}};
    std::uint32_t numbers[3] = {};
    for (int i = 0; i < 3; ++i) {
        const RawRuleValue& value = values[RuleAlwaysOnTop + i];
        numbers[i] = limits[i].missing;
        if (!value.present) continue;
        if (value.type != RuleNumberType || value.data.size() != 4) return RuleAlwaysOnTop + i;
        const std::uint32_t number = value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                                     static_cast<std::uint32_t>(value.data[3]) << 24;
        if (number < limits[i].low || number > limits[i].high) return RuleAlwaysOnTop + i;
        numbers[i] = number;
    }
    rule.alwaysOnTop = numbers[0] != 0;
    rule.opacity = numbers[1];
    rule.rollup = numbers[2] != 0;
    return -1;
}

// The alpha of a layered window for an opacity in percent, rounded:
// 75 gives 191, 10 gives 26, 100 gives 255.
constexpr std::uint8_t AlphaOfPercent(unsigned percent)
{
    return static_cast<std::uint8_t>(((percent < 10 ? 10 : percent > 100 ? 100 : percent) * 255 + 50) / 100);
}

// A rule as the hook reads it: fixed arrays, every pattern NUL-terminated.
template <typename CharT>
struct BasicRuleEntry {
    CharT program[RulePatternUnits];
    CharT className[RulePatternUnits];
    CharT title[RulePatternUnits];
    std::uint8_t alwaysOnTop, alpha, rollup;  // alpha 255: opaque
};

// Writes the whole entry; a pattern too long for it is cut.
template <typename CharT>
void EncodeRule(const BasicRule<CharT>& rule, BasicRuleEntry<CharT>& entry)
{
    const std::basic_string<CharT>* const patterns[3] = {&rule.program, &rule.className, &rule.title};
    CharT* const arrays[3] = {entry.program, entry.className, entry.title};
    for (int i = 0; i < 3; ++i) {
        for (std::size_t at = 0; at < RulePatternUnits; ++at) {
            arrays[i][at] = at + 1 < RulePatternUnits && at < patterns[i]->size() ? (*patterns[i])[at] : CharT(0);
        }
    }
    entry.alwaysOnTop = rule.alwaysOnTop ? 1 : 0;
    entry.alpha = AlphaOfPercent(rule.opacity);
    entry.rollup = rule.rollup ? 1 : 0;
}

// True when a stored pattern is empty (any) or matches the text.
template <typename CharT>
bool RulePatternMatches(const CharT* pattern, const CharT* text)
{
    return pattern[0] == 0 || MatchPattern(text, pattern);
}

// The index of the first of `count` entries whose three patterns match, or
// -1. The program pattern and the program's name are compared as given: the
// caller folds both to one case.
template <typename CharT>
int FindRule(const BasicRuleEntry<CharT>* table, int count, const CharT* program, const CharT* className,
             const CharT* title)
{
    for (int i = 0; i < count; ++i) {
        const BasicRuleEntry<CharT>& entry = table[i];
        if (RulePatternMatches(entry.program, program) && RulePatternMatches(entry.className, className) &&
            RulePatternMatches(entry.title, title)) {
            return i;
        }
    }
    return -1;
}

// The file name at the end of a path: what follows the last '\' or '/'.
template <typename CharT>
std::basic_string<CharT> FileNameOf(const std::basic_string<CharT>& path)
{
    const std::size_t slash = path.find_last_of(std::basic_string<CharT>{CharT('\\'), CharT('/')});
    return slash == std::basic_string<CharT>::npos ? path : path.substr(slash + 1);
}
