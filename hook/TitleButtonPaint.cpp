// Painting of the title buttons: the face in the visual style or the classic
// look, the glyph, and the caption messages that would otherwise paint over
// the buttons.
#include <windows.h>

#include <commctrl.h>

#include "DebugLog.h"
#include "DevContext.h"
#include "ManagedWindow.h"
#include "TitleButtonGeometry.h"
#include "TitleButtons.h"


void DrawTitleButtonFace(const TitleButtons* block, HDC dc, const RECT& rect, bool pressed, bool hot, bool active)
{
    if (block->themeImage == nullptr) {
        RECT face = rect;
        DrawFrameControl(dc, &face, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
        return;
    }
    const CThemeImageLock shared;
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
    CMemoryDC memory(dc);
    const CGdiObject glyphObject(glyph, false);
    const CObjectSelection glyphSelection(memory, glyphObject);
    const COLORREF colour = block->themeImage != nullptr ? block->glyphColour : GetSysColor(COLOR_3DDKSHADOW);
    // The glyph's black pixels are painted in `colour` and nothing else
    // changes. A monochrome source turns into the target's text colour (0
    // bits) and background colour (1 bits); with black and white there, the
    // raster operation PSDPxax keeps the destination under white and puts
    // the brush under black. (MaskBlt would do the same on Windows, but
    // Wine's MaskBlt converts the glyph through a DC of its own and paints
    // it black whatever the text colour.)
    CDevContext target(dc);
    const CGdiObject brush(CreateSolidBrush(colour), true);
    const CObjectSelection brushSelection(target, brush);
    const COLORREF previousText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF previousBack = SetBkColor(dc, RGB(255, 255, 255));
    const RECT& area = placement.target;
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory.Handle(),
           placement.sourceX, placement.sourceY, 0x00B8074A);
    SetBkColor(dc, previousBack);
    SetTextColor(dc, previousText);
}

void Caption_NCPaint(HWND window, TitleButtons* block, HRGN region)
{
    LogMessage(L"%s 0x%X", L"Caption_NCPaint", Hex32(window));
    const bool whole = region == reinterpret_cast<HRGN>(0) || region == reinterpret_cast<HRGN>(1);
    RECT windowRect = {};
    if (whole) GetWindowRect(window, &windowRect);
    const CGdiObject update(whole ? CreateRectRgnIndirect(&windowRect) : region, whole);
    const HRGN updateRegion = static_cast<HRGN>(update.Handle());
    for (int i = 0; i < block->count; ++i) {
        LogMessage(L"%s 0x%X Button Rgn %X", L"Caption_NCPaint", Hex32(window), Hex32(block->themeImage));
        const RECT button = GetTitleButtonRect(block, window, i, false);
        const CGdiObject buttonRegion(CreateRectRgnIndirect(&button), true);
        CombineRgn(updateRegion, updateRegion, static_cast<HRGN>(buttonRegion.Handle()), RGN_DIFF);
    }
    // The window's own frame painting, without the buttons' areas.
    CallOwnProcedure(window, WM_NCPAINT, reinterpret_cast<WPARAM>(updateRegion), 0);
    // The window's own procedure may have released it.
    block = FindTitleButtons(window);
    if (block == nullptr) return;

    const CFrameDC dc(window);
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
    const LRESULT result = CallOwnProcedure(window, WM_NCACTIVATE, wParam, lParam);
    block = FindTitleButtons(window);
    if (block == nullptr) return result;
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
    const LRESULT result = CallOwnProcedure(window, WM_SETTEXT, wParam, lParam);
    SetWindowLongW(window, GWL_STYLE, style);
    block = FindTitleButtons(window);
    if (block != nullptr) Caption_NCPaint(window, block, reinterpret_cast<HRGN>(1));
    return result;
}
