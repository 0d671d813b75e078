// Painting of the title buttons: the face in the visual style or the classic
// look, the glyph, and the caption messages that would otherwise paint over
// the buttons.
#include <windows.h>

#include <commctrl.h>

#include "DebugLog.h"
#include "TitleButtonGeometry.h"
#include "TitleButtons.h"

namespace {

// A memory DC compatible with another, deleted at the end of the scope.
class CMemoryDC {
public:
    explicit CMemoryDC(HDC compatible) : m_dc(CreateCompatibleDC(compatible)) {}
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;
    ~CMemoryDC()
    {
        if (m_dc != nullptr) DeleteDC(m_dc);
    }
    HDC Handle() const { return m_dc; }

private:
    HDC m_dc;
};

// A region that is deleted at the end of the scope when owned.
class CRegion {
public:
    CRegion(HRGN region, bool owned) : m_region(region), m_owned(owned) {}
    CRegion(const CRegion&) = delete;
    CRegion& operator=(const CRegion&) = delete;
    ~CRegion()
    {
        if (m_owned && m_region != nullptr) DeleteObject(m_region);
    }
    HRGN Handle() const { return m_region; }

private:
    HRGN m_region;
    bool m_owned;
};

} // namespace

void DrawTitleButtonFace(const TitleButtons* block, HDC dc, const RECT& rect, bool pressed, bool hot, bool active)
{
    if (block->themeImage == nullptr) {
        RECT face = rect;
        DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        return;
    }
    BITMAP image = {};
    GetObjectW(block->themeImage, sizeof image, &image);
    const int frameHeight = image.bmHeight / 8;
    const int top = frameHeight * ThemeFrameIndex(pressed, hot, active);
    const COLORREF transparent = GetPixel(block->themeDC, 0, top);
    TransparentBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, block->themeDC, 0, top,
                   image.bmWidth, frameHeight, transparent);
}

void DrawTitleButtonGlyph(const RECT& rect, const TitleButtons* block, HDC dc, HBITMAP glyph)
{
    if (glyph == nullptr) return;
    BITMAP bitmap = {};
    GetObjectW(glyph, sizeof bitmap, &bitmap);
    const GlyphPlacement placement = PlaceGlyph(rect, bitmap.bmWidth, bitmap.bmHeight);
    const CMemoryDC memory(dc);
    const HGDIOBJ previous = SelectObject(memory.Handle(), glyph);
    const COLORREF colour = block->themeImage != nullptr ? block->glyphColour : GetSysColor(COLOR_3DDKSHADOW);
    // The glyph's black pixels are painted in `colour` and nothing else
    // changes. A monochrome source turns into the target's text colour (0
    // bits) and background colour (1 bits); with black and white there, the
    // raster operation PSDPxax keeps the destination under white and puts
    // the brush under black. (MaskBlt would do the same on Windows, but
    // Wine's MaskBlt converts the glyph through a DC of its own and paints
    // it black whatever the text colour.)
    const HBRUSH brush = CreateSolidBrush(colour);
    const HGDIOBJ previousBrush = SelectObject(dc, brush);
    const COLORREF previousText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF previousBack = SetBkColor(dc, RGB(255, 255, 255));
    const RECT& target = placement.target;
    BitBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, memory.Handle(),
           placement.sourceX, placement.sourceY, 0x00B8074A);
    SetBkColor(dc, previousBack);
    SetTextColor(dc, previousText);
    SelectObject(dc, previousBrush);
    DeleteObject(brush);
    SelectObject(memory.Handle(), previous);
}

void Caption_NCPaint(HWND window, TitleButtons* block, HRGN region)
{
    LogMessage(L"%s 0x%X", L"Caption_NCPaint", Hex32(window));
    const bool whole = region == reinterpret_cast<HRGN>(0) || region == reinterpret_cast<HRGN>(1);
    RECT windowRect = {};
    if (whole) GetWindowRect(window, &windowRect);
    const CRegion update(whole ? CreateRectRgnIndirect(&windowRect) : region, whole);
    for (int i = 0; i < block->count; ++i) {
        LogMessage(L"%s 0x%X Button Rgn %X", L"Caption_NCPaint", Hex32(window), Hex32(block->themeImage));
        const RECT button = GetTitleButtonRect(block, window, i, false);
        const CRegion buttonRegion(CreateRectRgnIndirect(&button), true);
        CombineRgn(update.Handle(), update.Handle(), buttonRegion.Handle(), RGN_DIFF);
    }
    // The window's own frame painting, without the buttons' areas.
    DefSubclassProc(window, WM_NCPAINT, reinterpret_cast<WPARAM>(update.Handle()), 0);

    const CWholeWindowDC dc(window);
    for (int i = 0; i < block->count; ++i) {
        const TitleButton& button = block->buttons[i];
        LogMessage(L"%s 0x%X Button Draw %X %X", L"Caption_NCPaint", Hex32(window), Hex32(block->themeImage),
                   Hex32(button.glyph));
        const RECT face = GetTitleButtonRect(block, window, i, true);
        bool pressed = button.state != 0;
        bool hot = false;
        if (i == block->activeButton) {
            pressed = (block->tracking && block->inside) != (button.state != 0);
            hot = block->inside != FALSE;
        }
        DrawTitleButtonFace(block, dc.Handle(), face, pressed, hot, block->windowActive != FALSE);
        const RECT glyph = TitleButtonGlyphRect(face, pressed, block->themeImage != nullptr);
        LogMessage(L"%s 0x%X Button Rect top:%d bottom:%d left:%d right%d", L"Caption_NCPaint", Hex32(window),
                   glyph.top, glyph.bottom, glyph.left, glyph.right);
        DrawTitleButtonGlyph(glyph, block, dc.Handle(), button.glyph);
    }
}

LRESULT Caption_NCActivate(HWND window, TitleButtons* block, WPARAM wParam, LPARAM lParam)
{
    LogMessage(L"%s 0x%X", L"Caption_NCActivate", Hex32(window));
    const LRESULT result = DefSubclassProc(window, WM_NCACTIVATE, wParam, lParam);
    block->windowActive = static_cast<BOOL>(wParam);
    Caption_NCPaint(window, block, reinterpret_cast<HRGN>(1));
    return result;
}

LRESULT Caption_SetText(HWND window, TitleButtons* block, WPARAM wParam, LPARAM lParam)
{
    LogMessage(L"%s 0x%X", L"Caption_SetText", Hex32(window));
    // Without the visible bit the default handling does not draw the new
    // caption over the buttons; the repaint below draws both together.
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    SetWindowLongW(window, GWL_STYLE, style & ~WS_VISIBLE);
    const LRESULT result = DefSubclassProc(window, WM_SETTEXT, wParam, lParam);
    SetWindowLongW(window, GWL_STYLE, style);
    Caption_NCPaint(window, block, reinterpret_cast<HRGN>(1));
    return result;
}
