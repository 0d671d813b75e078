// The few Windows types the pure headers use, for the native fuzz build.
#pragma once

#include <cstdint>

using LONG = std::int32_t;
using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using HWND = struct HWND__*;
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
enum : WPARAM {
    WMSZ_LEFT = 1,
    WMSZ_RIGHT = 2,
    WMSZ_TOP = 3,
    WMSZ_TOPLEFT = 4,
    WMSZ_TOPRIGHT = 5,
    WMSZ_BOTTOM = 6,
    WMSZ_BOTTOMLEFT = 7,
    WMSZ_BOTTOMRIGHT = 8,
};
constexpr UINT WM_NCLBUTTONDOWN = 0x00A1;
constexpr UINT WM_NCMBUTTONDBLCLK = 0x00A9;
