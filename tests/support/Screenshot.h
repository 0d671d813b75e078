// Screen pixels of a window, and PNG files of them for people to look at.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace harness {

// An image of 0x00RRGGBB pixels, rows top to bottom.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// What the screen shows in the window's rectangle, or in a rectangle of
// screen coordinates (empty when it cannot be read).
Image CaptureWindow(HWND window);
Image CaptureScreen(const RECT& rect);

// Writes the image as a PNG file (through the system's imaging component).
bool SavePng(const Image& image, const std::wstring& path);

} // namespace harness
