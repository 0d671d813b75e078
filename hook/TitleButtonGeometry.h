// Where the title buttons sit and how their parts are laid out: arithmetic
// only, on style bits, system metrics, DPI values and rectangles.
#pragma once

#include <windows.h>

#include "MonitorGeometry.h"

// The system metrics the layout depends on.
struct CaptionMetrics {
    int cxSize, cySize;              // SM_CXSIZE, SM_CYSIZE
    int cxSmSize, cySmSize;          // SM_CXSMSIZE, SM_CYSMSIZE
    int cxFrame, cyFrame;            // SM_CXFRAME, SM_CYFRAME
    int cxFixedFrame, cyFixedFrame;  // SM_CXFIXEDFRAME, SM_CYFIXEDFRAME
};

inline CaptionMetrics ReadCaptionMetrics()
{
    return {GetSystemMetrics(SM_CXSIZE),      GetSystemMetrics(SM_CYSIZE),      GetSystemMetrics(SM_CXSMSIZE),
            GetSystemMetrics(SM_CYSMSIZE),    GetSystemMetrics(SM_CXFRAME),     GetSystemMetrics(SM_CYFRAME),
            GetSystemMetrics(SM_CXFIXEDFRAME), GetSystemMetrics(SM_CYFIXEDFRAME)};
}

// The same metrics at a given DPI, read through GetSystemMetricsForDpi.
using MetricForDpi = int(WINAPI*)(int, UINT);
inline CaptionMetrics ReadCaptionMetrics(MetricForDpi metric, UINT dpi)
{
    return {metric(SM_CXSIZE, dpi),       metric(SM_CYSIZE, dpi),      metric(SM_CXSMSIZE, dpi),
            metric(SM_CYSMSIZE, dpi),     metric(SM_CXFRAME, dpi),     metric(SM_CYFRAME, dpi),
            metric(SM_CXFIXEDFRAME, dpi), metric(SM_CYFIXEDFRAME, dpi)};
}

// Width of the standard caption buttons plus the right frame, with `metrics`
// those of `dpi`.
inline int CaptionButtonsWidth(DWORD style, DWORD exStyle, const CaptionMetrics& metrics, UINT dpi = DefaultDpi)
{
    int width = 0;
    if (exStyle & WS_EX_TOOLWINDOW) {
        width = (style & WS_SYSMENU) ? metrics.cxSmSize : 0;
    } else {
        const int c = metrics.cxSize;
        width = (style & WS_SYSMENU) ? c : 0;
        if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
            width += 2 * c - ScaleToDpi(2, dpi);
        } else if (exStyle & WS_EX_CONTEXTHELP) {
            width += c;
        }
    }
    return width + ((style & WS_THICKFRAME) ? metrics.cxFrame : metrics.cxFixedFrame);
}

// The face of button `index`, given the spacings of buttons 0..index and the
// window rectangle in the wanted coordinates. `metrics` are those of `dpi`;
// the spacings and the face's insets are pixels at 100 % and scale with it.
inline RECT TitleButtonRect(const RECT& window, DWORD style, DWORD exStyle, const int* spacings, int index,
                            const CaptionMetrics& metrics, UINT dpi = DefaultDpi)
{
    const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
    const int bw = tool ? metrics.cxSmSize : metrics.cxSize;
    const int bh = tool ? metrics.cySmSize : metrics.cySize;
    const int two = ScaleToDpi(2, dpi);
    int x = CaptionButtonsWidth(style, exStyle, metrics, dpi);
    for (int k = 0; k <= index; ++k) x += ScaleToDpi(spacings[k], dpi) + bw - two;
    const int frame = (style & WS_THICKFRAME) ? metrics.cyFrame : metrics.cyFixedFrame;
    RECT rect;
    rect.left = window.right - x;
    rect.top = window.top + frame + two;
    rect.right = rect.left + bw - two;
    rect.bottom = rect.top + bh - ScaleToDpi(4, dpi);
    return rect;
}

// The area of a button that counts for the mouse: its face grown by 2 pixels
// (at 100 %) at the top and at the bottom.
inline RECT TitleButtonHitRect(const RECT& face, UINT dpi = DefaultDpi)
{
    const int two = ScaleToDpi(2, dpi);
    return {face.left, face.top - two, face.right, face.bottom + two};
}

inline bool PointInRect(const RECT& rect, POINT point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

// The rectangle the glyph is drawn into: the face shrunk by 2 on every side
// and by one more on the right and bottom, moved by (1, 1) when a classic
// face is pushed.
inline RECT TitleButtonGlyphRect(const RECT& face, bool pressed, bool themed)
{
    RECT rect = {face.left + 2, face.top + 2, face.right - 3, face.bottom - 3};
    if (pressed && !themed) {
        rect.left += 1;
        rect.top += 1;
        rect.right += 1;
        rect.bottom += 1;
    }
    return rect;
}

// How a glyph of gw x gh pixels goes into a rectangle: centred when the
// rectangle is wider than the glyph, otherwise the middle of the glyph fills
// the rectangle.
struct GlyphPlacement {
    RECT target;
    int sourceX, sourceY;
};

inline GlyphPlacement PlaceGlyph(const RECT& rect, int gw, int gh)
{
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const int dx = (w - gw) / 2;
    const int dy = (h - gh) / 2;
    if (w > gw) return {{rect.left + dx, rect.top + dy, rect.left + dx + gw, rect.top + dy + gh}, 0, 0};
    return {rect, -dx, -dy};
}

// The frame of the visual style's 8-frame button image for a look.
inline int ThemeFrameIndex(bool pressed, bool hot, bool active)
{
    return (pressed ? 2 : hot ? 1 : 0) + (active ? 0 : 4);
}

// How many caption buttons Windows draws on a frame it composes itself: close
// with the system menu, minimize and maximize together when either box is
// there, help only without them, close alone on a tool window.
inline int CaptionButtonCount(DWORD style, DWORD exStyle)
{
    if (!(style & WS_SYSMENU)) return 0;
    if (exStyle & WS_EX_TOOLWINDOW) return 1;
    if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) return 3;
    return (exStyle & WS_EX_CONTEXTHELP) ? 2 : 1;
}

// The face of button `index` on a composed frame, in the coordinates of
// `captionButtons` (the bounds of the `buttons` caption buttons there): left
// of them with the button's spacing (at 100 %, scaled to `dpi`), as tall as
// they are and as wide as one of them.
inline RECT ComposedButtonRect(const RECT& captionButtons, int buttons, const int* spacings, int index,
                               UINT dpi = DefaultDpi)
{
    const int height = captionButtons.bottom - captionButtons.top;
    const int width = buttons > 0 ? (captionButtons.right - captionButtons.left) / buttons : height * 3 / 2;
    int right = captionButtons.left;
    for (int k = 0; k <= index; ++k) right -= ScaleToDpi(spacings[k], dpi) + (k > 0 ? width : 0);
    return {right - width, captionButtons.top, right, captionButtons.bottom};
}

// A colour a window has not set (DWMWA_COLOR_DEFAULT).
constexpr COLORREF DefaultColour = 0xFFFFFFFF;

// `percent` of the way from one colour to another, channel by channel.
inline COLORREF BlendColour(COLORREF from, COLORREF to, int percent)
{
    COLORREF blend = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = (from >> shift) & 0xFF, b = (to >> shift) & 0xFF;
        blend |= static_cast<COLORREF>((a * (100 - percent) + b * percent) / 100) << shift;
    }
    return blend;
}

// A button on a composed frame looks like the caption buttons beside it: a
// flat face in the caption's colour, darkened (or on a dark title bar
// lightened) by a tenth under the cursor and by a fifth while pushed, and the
// glyph in the title's text colour. `caption` and `text` are the window's own
// colours, or DefaultColour for the system's.
struct ButtonColours {
    COLORREF face, glyph;
};

inline ButtonColours ComposedButtonColours(bool dark, bool active, bool pressed, bool hot,
                                           COLORREF caption = DefaultColour, COLORREF text = DefaultColour)
{
    const COLORREF ink = dark ? RGB(255, 255, 255) : RGB(0, 0, 0);
    const COLORREF contrast = text != DefaultColour ? text : ink;
    const COLORREF face = caption != DefaultColour ? caption : dark ? RGB(0x20, 0x20, 0x20) : RGB(255, 255, 255);
    const COLORREF glyph = text != DefaultColour ? text : active ? ink : RGB(0x99, 0x99, 0x99);
    return {pressed ? BlendColour(face, contrast, 20) : hot ? BlendColour(face, contrast, 10) : face, glyph};
}
