// The few Windows types the pure headers use, for the native fuzz build.
#pragma once
#include <cstdint>
using LONG = std::int32_t;
using WPARAM = std::uintptr_t;
using HWND = struct HWND__*;
struct RECT { LONG left, top, right, bottom; };
enum : WPARAM { WMSZ_LEFT = 1, WMSZ_RIGHT, WMSZ_TOP, WMSZ_TOPLEFT, WMSZ_TOPRIGHT, WMSZ_BOTTOM, WMSZ_BOTTOMLEFT,
    WMSZ_BOTTOMRIGHT };
