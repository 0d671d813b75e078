// The title buttons on a composed frame: a small popup on the window's thread
// over its caption, left of the caption buttons that Windows draws, kept right
// above the window in the z-order. The popup is disabled and lets the mouse
// through, so a click on it arrives at the window's own hit test at that place,
// as a click on a button drawn into the frame does; it is never activated and
// has no taskbar button. It is not owned by the window: the window's owned
// popups are its program's (GW_ENABLEDPOPUP, GetLastActivePopup), and a window
// that owns a popup shown above it does not become topmost under Wine.
#include <windows.h>

#include <commctrl.h>

#include "DevContext.h"
#include "FeatureMessages.h"
#include "LibraryModule.h"
#include "RuntimeLink.h"
#include "TitleButtonGeometry.h"
#include "TitleButtons.h"

namespace {

constexpr UINT_PTR PinSubclassId = 0x00125691;
// Window attributes of the desktop window manager.
constexpr DWORD CaptionButtonBounds = 5;  // DWMWA_CAPTION_BUTTON_BOUNDS
constexpr DWORD DarkModeOld = 19;         // DWMWA_USE_IMMERSIVE_DARK_MODE before Windows 10 20H1
constexpr DWORD DarkMode = 20;            // DWMWA_USE_IMMERSIVE_DARK_MODE
constexpr DWORD CaptionColour = 35;       // DWMWA_CAPTION_COLOR (Windows 11)
constexpr DWORD TextColour = 36;          // DWMWA_TEXT_COLOR (Windows 11)

// dwmapi, looked up at run time: the library must load where there is none.
struct DwmFunctions {
    HRESULT(WINAPI* compositionEnabled)(BOOL*);                // DwmIsCompositionEnabled
    HRESULT(WINAPI* windowAttribute)(HWND, DWORD, void*, DWORD);  // DwmGetWindowAttribute
};

const DwmFunctions& Dwm()
{
    static const DwmFunctions functions = [] {
        DwmFunctions found = {};
        const HMODULE dwmapi = LoadLibraryW(L"dwmapi.dll");
        if (dwmapi == nullptr) return found;
        Look(found.compositionEnabled, dwmapi, "DwmIsCompositionEnabled");
        Look(found.windowAttribute, dwmapi, "DwmGetWindowAttribute");
        return found;
    }();
    return functions;
}

template <typename Value>
bool WindowAttribute(HWND window, DWORD attribute, Value& value)
{
    const DwmFunctions& dwm = Dwm();
    return dwm.windowAttribute != nullptr &&
           SUCCEEDED(dwm.windowAttribute(window, attribute, &value, static_cast<DWORD>(sizeof value)));
}

// The popup's place, window-relative: around all the buttons.
RECT ButtonsArea(HWND window, const TitleButtons* block)
{
    RECT area = {};
    for (int i = 0; i < block->count; ++i) {
        const RECT face = GetTitleButtonRect(block, window, i, true);
        UnionRect(&area, &area, &face);
    }
    return area;
}

void FillFace(HDC dc, const RECT& rect, COLORREF colour)
{
    const CGdiObject brush(CreateSolidBrush(colour), true);
    FillRect(dc, &rect, static_cast<HBRUSH>(brush.Handle()));
}

void PaintButtonsWindow(HWND window, const TitleButtons* block, HDC dc, const RECT& paint)
{
    BOOL dark = FALSE;
    if (!WindowAttribute(window, DarkMode, dark)) WindowAttribute(window, DarkModeOld, dark);
    COLORREF caption = DefaultColour, text = DefaultColour;
    WindowAttribute(window, CaptionColour, caption);
    WindowAttribute(window, TextColour, text);
    const bool active = block->windowActive != FALSE;
    FillFace(dc, paint, ComposedButtonColours(dark != FALSE, active, false, false, caption, text).face);
    const RECT area = ButtonsArea(window, block);
    const UINT dpi = TitleButtonDpi(window);
    for (int i = 0; i < block->count; ++i) {
        RECT face = GetTitleButtonRect(block, window, i, true);
        OffsetRect(&face, -area.left, -area.top);
        bool pressed = false, hot = false;
        TitleButtonLook(block, i, pressed, hot);
        const ButtonColours colours = ComposedButtonColours(dark != FALSE, active, pressed, hot, caption, text);
        FillFace(dc, face, colours.face);
        DrawTitleButtonGlyph(face, colours.glyph, dc, block->buttons[i].glyph, dpi);
    }
}

LRESULT CALLBACK ButtonsWindowProc(HWND popup, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR owner)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint = {};
        const HDC dc = BeginPaint(popup, &paint);
        const TitleButtons* block = FindTitleButtons(reinterpret_cast<HWND>(owner));
        if (dc != nullptr && block != nullptr) PaintButtonsWindow(reinterpret_cast<HWND>(owner), block, dc, paint.rcPaint);
        EndPaint(popup, &paint);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        return DefSubclassProc(popup, message, wParam, lParam);
    }
}

// A plain static control as the popup: no window class of the library's
// own is left registered in the program.
HWND CreateButtonsWindow(HWND window)
{
    const HWND popup = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_TRANSPARENT,
                                       L"Static", L"", WS_POPUP | WS_DISABLED, 0, 0, 0, 0, nullptr, nullptr,
                                       LibraryModule(), nullptr);
    if (popup == nullptr) return nullptr;
    SetLayeredWindowAttributes(popup, 0, 255, LWA_ALPHA);  // a layered window shows only once set
    SetWindowSubclass(popup, ButtonsWindowProc, PinSubclassId, reinterpret_cast<DWORD_PTR>(window));
    return popup;
}

} // namespace

bool IsFrameComposed(HWND window)
{
    if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) return false;
    BOOL enabled = FALSE;
    const DwmFunctions& dwm = Dwm();
    return dwm.compositionEnabled != nullptr && SUCCEEDED(dwm.compositionEnabled(&enabled)) && enabled;
}

void PlaceTitleButtons(HWND window, TitleButtons* block, bool frameMayHaveChanged)
{
    const bool iconic = IsIconic(window) != FALSE;
    if (!iconic && frameMayHaveChanged) {
        block->ownTitleBar = ClientCoversCaption(window);
        if (!block->composed || !WindowAttribute(window, CaptionButtonBounds, block->captionButtons)) {
            SetRectEmpty(&block->captionButtons);
        }
    }
    // The always-on-top button follows the topmost bit however it changed.
    const int topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    bool changed = false;
    for (int i = 0; i < block->count; ++i) {
        TitleButton& button = block->buttons[i];
        if (button.message != MsgOnTop() || (button.state != 0) == (topmost != 0)) continue;
        button.state = topmost;
        changed = true;
    }
    const bool shown = IsWindowVisible(window) && !iconic;
    if (!block->composed || block->ownTitleBar || !shown || block->count == 0) {
        if (block->pinWindow != nullptr) {
            SetWindowPos(block->pinWindow, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER);
        }
        if (changed && shown && FrameDrawn(block)) PaintTitleButtons(window, block);
        return;
    }
    if (block->pinWindow == nullptr) block->pinWindow = CreateButtonsWindow(window);
    if (block->pinWindow == nullptr) return;
    RECT place = ButtonsArea(window, block), windowRect = {};
    GetWindowRect(window, &windowRect);
    OffsetRect(&place, windowRect.left, windowRect.top);
    // Right above the window, in its band (topmost or not).
    const HWND popup = block->pinWindow;
    if (((GetWindowLongW(popup, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) != (topmost != 0)) {
        SetWindowPos(popup, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    HWND above = GetWindow(window, GW_HWNDPREV);
    if (above == nullptr) above = topmost ? HWND_TOPMOST : HWND_TOP;
    SetWindowPos(popup, above, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE | (above == popup ? SWP_NOZORDER : 0));
    if (changed) InvalidateRect(block->pinWindow, nullptr, FALSE);
}

void DestroyTitleButtonWindow(TitleButtons* block)
{
    // Not owned, the popup goes only here; the handle is checked in case
    // someone else destroyed it first.
    if (block->pinWindow != nullptr && IsWindow(block->pinWindow)) DestroyWindow(block->pinWindow);
    block->pinWindow = nullptr;
}

void RepaintTitleButtons(HWND window, TitleButtons* block)
{
    if (block->pinWindow != nullptr && IsWindowVisible(block->pinWindow)) {
        InvalidateRect(block->pinWindow, nullptr, FALSE);
    } else if (FrameDrawn(block)) {
        RepaintFrame(window);
    }
}
