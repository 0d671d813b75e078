// Turns fuzzer bytes into 16-bit code units, the unit of every text the
// system handles.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::u16string Units(const uint8_t* data, size_t size)
{
    std::u16string units(size / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    return units;
}

// Splits at the unit 0xFFFF, which the texts never contain.
inline std::vector<std::u16string> Pieces(const std::u16string& units)
{
    std::vector<std::u16string> pieces(1);
    for (char16_t unit : units) {
        if (unit == 0xFFFF) {
            pieces.emplace_back();
        } else {
            pieces.back() += unit;
        }
    }
    return pieces;
}

#define FUZZ_CHECK(condition)        \
    do {                             \
        if (!(condition)) __builtin_trap(); \
    } while (0)
