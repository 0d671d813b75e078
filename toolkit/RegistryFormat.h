// Pure helpers of the registry wrapper: the REG_MULTI_SZ layout and the
// split of a full registry path. Templates over the code unit, so they work
// for wchar_t and char16_t alike; nothing here touches the registry.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The consecutive zero-terminated strings of `units` code units, in stored
// order, up to the first empty string. Reads nothing past `units`: a last
// string without its terminator ends there.
template <typename CharT>
std::vector<std::basic_string<CharT>> SplitMultiString(const CharT* data, std::size_t units)
{
    std::vector<std::basic_string<CharT>> strings;
    std::size_t position = 0;
    while (position < units && data[position] != 0) {
        std::size_t end = position;
        while (end < units && data[end] != 0) ++end;
        strings.emplace_back(data + position, end - position);
        position = end + 1;
    }
    return strings;
}

// Lays the strings out as REG_MULTI_SZ: each string and its zero, then one
// more zero. Returns the number of units written, or 0 when the layout would
// need more than `capacity` units (then nothing is written).
template <typename CharT>
std::size_t EncodeMultiString(const std::vector<std::basic_string<CharT>>& strings, CharT* out, std::size_t capacity)
{
    std::size_t needed = 1;
    for (const auto& text : strings) needed += text.size() + 1;
    if (needed > capacity) return 0;
    std::size_t position = 0;
    for (const auto& text : strings) {
        for (CharT unit : text) out[position++] = unit;
        out[position++] = 0;
    }
    out[position++] = 0;
    return position;
}

// The parts of a full registry path such as HKCU\Software\Example\Target.
template <typename CharT>
struct RegistryPathParts {
    const CharT* root;       // text before the first backslash
    const CharT* subKey;     // text between it and the last backslash
    const CharT* valueName;  // text after the last backslash
};

// Splits a zero-terminated path in place by writing terminators over the
// first and the last backslash. Without a backslash the whole path is the
// root and the rest is empty; when the rest has no backslash it serves as
// both the sub-key and the value name.
template <typename CharT>
RegistryPathParts<CharT> SplitRegistryPath(CharT* path)
{
    RegistryPathParts<CharT> parts = {path, nullptr, nullptr};
    CharT* rest = path;
    while (*rest != 0 && *rest != CharT('\\')) ++rest;
    if (*rest != 0) {
        *rest = 0;
        ++rest;
    }
    CharT* end = rest;
    while (*end != 0) ++end;
    CharT* last = end;
    while (last != rest && *(last - 1) != CharT('\\')) --last;
    if (last != rest) {
        *(last - 1) = 0;
        parts.subKey = rest;
        parts.valueName = last;
    } else {
        parts.subKey = rest;
        parts.valueName = rest;
    }
    return parts;
}
