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

void DrawTitleButtonGlyph(const RECT& rect, COLORREF colour, HDC dc, HBITMAP glyph, UINT dpi)
{
    if (glyph == nullptr) return;
    BITMAP bitmap = {};
    GetObjectW(glyph, sizeof bitmap, &bitmap);
    const int width = ScaleToDpi(bitmap.bmWidth, dpi), height = ScaleToDpi(bitmap.bmHeight, dpi);
    if (width <= 0 || height <= 0) return;
    const GlyphPlacement placement = PlaceGlyph(rect, width, height);
    const RECT& area = placement.target;
    // The glyph bitmap is shared by every window of the process.
    const CThemeImageLock shared;
    CMemoryDC memory(dc);
    const CGdiObject glyphObject(glyph, false);
    const CObjectSelection glyphSelection(memory, glyphObject);
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
    StretchBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory.Handle(),
               placement.sourceX * bitmap.bmWidth / width, placement.sourceY * bitmap.bmHeight / height,
               (area.right - area.left) * bitmap.bmWidth / width, (area.bottom - area.top) * bitmap.bmHeight / height,
               0x00B8074A);
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

    PaintTitleButtons(window, block);
}

void PaintTitleButtons(HWND window, TitleButtons* block)
{
    const CFrameDC dc(window);
    const COLORREF colour = block->themeImage != nullptr ? block->glyphColour : GetSysColor(COLOR_3DDKSHADOW);
    for (int i = 0; i < block->count; ++i) {
        const TitleButton& button = block->buttons[i];
        LogMessage(L"%s 0x%X Button Draw %X %X", L"Caption_NCPaint", Hex32(window), Hex32(block->themeImage),
                   Hex32(button.glyph));
        const RECT face = GetTitleButtonRect(block, window, i, true);
        bool pressed = false, hot = false;
        TitleButtonLook(block, i, pressed, hot);
        DrawTitleButtonFace(block, dc.Handle(), face, pressed, hot, block->windowActive != FALSE);
        const RECT glyph = TitleButtonGlyphRect(face, pressed, block->themeImage != nullptr);
        LogMessage(L"%s 0x%X Button Rect top:%d bottom:%d left:%d right%d", L"Caption_NCPaint", Hex32(window),
                   glyph.top, glyph.bottom, glyph.left, glyph.right);
        DrawTitleButtonGlyph(glyph, colour, dc.Handle(), button.glyph);
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

LRESULT Caption_SetText(HWND window, TitleButtons*, WPARAM wParam, LPARAM lParam)
{
    LogMessage(L"%s 0x%X", L"Caption_SetText", Hex32(window));
    const LRESULT result = CallOwnProcedure(window, WM_SETTEXT, wParam, lParam);
    // The default handling draws the new caption straight into the frame,
    // over the buttons: they are drawn again on top of it.
    TitleButtons* block = FindTitleButtons(window);
    if (block != nullptr && FrameDrawn(block)) PaintTitleButtons(window, block);
    return result;
}
