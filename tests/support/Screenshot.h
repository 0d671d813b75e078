// Screen pixels of a window, kept as a PNG file of the test run.
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

// What the screen shows in the window's rectangle (empty when it cannot be read).
Image CaptureWindow(HWND window);
// What the screen shows in a rectangle of screen coordinates.
Image CaptureScreen(const RECT& rect);
// What a device context holds in a rectangle of its coordinates.
Image CaptureDC(HDC source, const RECT& area);

// A PNG file (8-bit RGB, uncompressed deflate blocks) of the image.
std::vector<uint8_t> EncodePng(const Image& image);

// Writes the PNG of the image to `path`; true when the whole file was written.
bool SavePng(const Image& image, const std::wstring& path);

} // namespace harness
