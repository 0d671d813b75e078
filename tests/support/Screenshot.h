// Screen pixels, and PNG files of them for people to look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace harness {

struct Image {  // 0x00RRGGBB pixels, rows top to bottom
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Image CaptureScreen(const RECT& rect);  // empty when it cannot be read
inline Image CaptureWindow(HWND window) { RECT r = {}; return GetWindowRect(window, &r) ? CaptureScreen(r) : Image(); }
bool SavePng(const Image& image, const std::wstring& path);  // through the system's imaging component

} // namespace harness
