// Ignore patterns: whole-string, case-sensitive matching with '?' and a
// non-backtracking '*', and the stored list encoding (each pattern followed by
// its NUL, one more NUL after the last). Pure functions over code units, so
// they work for wchar_t and char16_t alike.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

template <typename CharT>
bool MatchPattern(const CharT* text, const CharT* pattern)
{
    while (*text != 0 && *pattern != 0) {
        if (*pattern == CharT('?')) {
            ++text;
            ++pattern;
        } else if (*pattern == CharT('*')) {
            // Skip the star and every '*' or '?' right after it: those '?' match nothing.
            while (*pattern == CharT('*') || *pattern == CharT('?')) ++pattern;
            const CharT wanted = *pattern;
            const CharT* found = text;
            while (*found != 0 && *found != wanted) ++found;
            if (*found != wanted) break;
            text = found;  // the next pass compares `wanted` with itself
        } else if (*pattern == *text) {
            ++text;
            ++pattern;
        } else {
            break;
        }
    }
    if (*pattern == CharT('*')) ++pattern;
    return *text == 0 && *pattern == 0;
}

// True at the first pattern of the stored list that matches the text. The walk
// never leaves the `capacity` units of the list.
template <typename CharT>
bool MatchPatternList(const CharT* text, const CharT* list, std::size_t capacity)
{
    std::size_t position = 0;
    while (position < capacity && list[position] != 0) {
        const CharT* pattern = list + position;
        std::size_t length = 0;
        while (position + length < capacity && pattern[length] != 0) ++length;
        if (position + length == capacity) return false;  // unterminated: not a pattern
        if (MatchPattern(text, pattern)) return true;
        position += length + 1;
    }
    return false;
}

// Writes the patterns into the list buffer in order. Patterns that do not fit
// whole, and every pattern after them, are left out; empty patterns are
// skipped, since an empty pattern would end the list. The final NUL always
// fits, so the buffer's last unit is only ever written with NUL. Returns the
// number of units written.
template <typename CharT>
std::size_t StorePatternList(CharT* list, std::size_t capacity,
                             const std::vector<std::basic_string<CharT>>& patterns)
{
    if (capacity == 0) return 0;
    std::size_t position = 0;
    for (const auto& pattern : patterns) {
        std::size_t length = 0;
        while (length < pattern.size() && pattern[length] != 0) ++length;
        if (length == 0) continue;
        if (position + length + 2 > capacity) break;
        for (std::size_t i = 0; i < length; ++i) list[position + i] = pattern[i];
        position += length;
        list[position++] = 0;
    }
    list[position++] = 0;
    return position;
}
