// Helpers of the title-button tests: pictures of a target window, PNG files
// for reviewers, the button block read from the target process, the pin's
// expected pixels, real mouse input and the shipped log file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "Harness.h"
#include "Screenshot.h"
#include "TitleButtons.h"

namespace harness {

// The window as drawn in its own process (its window DC).
Image CaptureWindow(TargetProcess& target, HWND window);
// Writes the image as a PNG file into the folder "screenshots" next to the
// test program; returns the file's path.
std::wstring SaveScreenshot(const Image& image, const std::wstring& name);

// A COLORREF as 0x00RRGGBB.
uint32_t Rgb(COLORREF colour);

// The window's title-button block, copied out of the target process.
bool ReadTitleButtons(DWORD processId, HWND window, TitleButtons& block);

// The face of the pin button (button 0, spacing 2), window-relative or on screen.
RECT PinFace(HWND window, bool windowRelative);
// The window-relative pixels the pin's black pixels are drawn at, for a
// classic face drawn pushed or not.
std::vector<POINT> ExpectedPinPixels(HWND window, bool pressed);
// Pixels of the glyph rectangle that are not part of the pin.
std::vector<POINT> GlyphBackgroundPixels(HWND window, bool pressed);
// The visual style's maximize-button image (8 frames stacked), loaded in this
// process the way the library loads it; empty when there is no visual style.
Image StyleMaxButtonImage();
// The frames (bit k for frame k, 0 to 7) of the style image that the face
// drawn in `capture` matches best, leaving out the pixels in `skip` (the
// glyph) and each frame's transparent pixels. A style may have identical
// frames, so several bits can be set.
unsigned BestMatchingFrames(const Image& capture, const RECT& face, const Image& style, const std::vector<POINT>& skip);

// Takes the visual style away from the window (its buttons turn classic)
// and has its frame repainted.
void MakeClassic(TargetProcess& target, HWND window);
void RepaintFrameOf(HWND window);

// True when (column, row) of the 28 x 28 glyph is black.
bool PinGlyphBlack(int column, int row);

POINT Centre(const RECT& rect);
// Real mouse input through SendInput (absolute moves on the primary screen).
void MouseMoveTo(POINT point);
void MouseLeft(bool down);
// The mouse button messages posted to the window since the previous call.
std::vector<std::pair<UINT, WPARAM>> PostedMouseMessages(TargetProcess& target, HWND window);

// The shipped log file C:\Lorvek\Lorvek.log, created empty for the scope
// (with its folder when missing; a file already there is put aside and
// restored afterwards).
class ShippedLogFile {
public:
    static const wchar_t Path[];
    ShippedLogFile();
    ~ShippedLogFile();
    ShippedLogFile(const ShippedLogFile&) = delete;
    ShippedLogFile& operator=(const ShippedLogFile&) = delete;
    // Empties the file.
    void Clear();
    // The lines written so far, without their line feeds.
    std::vector<std::wstring> Lines() const;

private:
    bool m_saved = false;
    bool m_madeFolder = false;
};

} // namespace harness
