// Buttons in the caption of a managed window, to the left of the standard
// caption buttons. Each stands for one feature message: drawn pushed while
// the feature is on, a click on it sends FeatureToggle.
#pragma once

#include <windows.h>

constexpr int MaxTitleButtons = 8;

struct TitleButton {
    UINT message;    // the registered feature message
    int state;       // its FeatureQuery answer; non-zero draws the button pushed
    int spacing;     // extra pixels to the button on its right
    HBITMAP glyph;   // 1-bit glyph, owned by the block (the pin glyph is shared)
};

// The visual style's maximize-button image in a memory DC: one per process
// and style, shared by the windows painted in that style and released with
// the last of them.
struct ThemeButtonImage {
    wchar_t styleFile[MAX_PATH];
    HBITMAP image;
    HGDIOBJ savedBitmap;
    HDC dc;
    COLORREF glyphColour;
    int users;
};

// Painting from the shared image's DC or with the shared pin glyph holds this
// lock: windows of several threads may paint at once, and a bitmap can be
// selected into one DC at a time.
class CThemeImageLock {
public:
    CThemeImageLock();
    ~CThemeImageLock();
    CThemeImageLock(const CThemeImageLock&) = delete;
    CThemeImageLock& operator=(const CThemeImageLock&) = delete;
};

// One block per window, reachable through the property "MOX_TITLEBUTTONS".
struct TitleButtons {
    TitleButton buttons[MaxTitleButtons];  // index 0 rightmost
    int count;
    BOOL tracking;      // a left-button press on a button is being tracked
    BOOL inside;        // the cursor is over buttons[activeButton]
    int activeButton;   // the hot or pressed button
    BOOL windowActive;  // the caption is drawn active
    HBITMAP themeImage; // theme->image, or null without a visual style
    ThemeButtonImage* theme;  // the shared image this window holds, or null
    HDC themeDC;        // theme->dc, or null
    COLORREF glyphColour;
    BOOL composed;        // Windows draws the frame: the buttons are in pinWindow
    BOOL ownTitleBar;     // the client area covers the caption: no buttons at all
    RECT captionButtons;  // on a composed frame the caption buttons' bounds,
                          // window-relative; empty when unknown
    HWND pinWindow;       // the popup that shows the buttons on a composed frame
};

// The buttons are drawn into the window's frame.
inline bool FrameDrawn(const TitleButtons* block)
{
    return !block->composed && !block->ownTitleBar;
}

// How button `index` looks now. The pressed one shows the opposite of its
// state while the cursor is on it.
inline void TitleButtonLook(const TitleButtons* block, int index, bool& pressed, bool& hot)
{
    pressed = block->buttons[index].state != 0;
    hot = false;
    if (index != block->activeButton) return;
    pressed = (block->tracking && block->inside) != pressed;
    hot = block->inside != FALSE;
}

extern const wchar_t TitleButtonsProperty[];  // "MOX_TITLEBUTTONS"

// A handle or address as a "%X" argument of a log line: its low 32 bits
// (all of a window or GDI handle; on 64-bit builds the block's address is cut).
inline unsigned Hex32(const void* handle)
{
    return static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle));
}

void AddOnTopTitleButton(HWND window);
int AddTitleButton(HWND window, UINT message, int spacing, HBITMAP glyph);
// `repaint` false when the window is being destroyed anyway.
int RemoveTitleButtons(HWND window, bool repaint = true);
TitleButtons* FindTitleButtons(HWND window);

int GetCaptionButtonsWidth(HWND window);
// The DPI the window's buttons are sized for.
UINT TitleButtonDpi(HWND window);
// The program draws its own title bar: its client area reaches above the
// bottom of a standard caption.
bool ClientCoversCaption(HWND window);
// Screen coordinates, or window-relative ones (top-left corner at 0, 0).
RECT GetTitleButtonRect(const TitleButtons* block, HWND window, int index, bool windowRelative);
// The screen area of a button that counts for the mouse.
bool IsOnTitleButton(const TitleButtons* block, HWND window, int index, POINT screenPoint);

// Takes and gives back the block's share of the image of the window's style.
void LoadThemeButtonImage(TitleButtons* block, HWND window);
void FreeThemeButtonImage(TitleButtons* block);
// Asks for one WM_NCMOUSELEAVE when the cursor leaves the window.
void TrackNonClientLeave(HWND window);
// Makes the system recalculate and repaint the non-client area.
void RepaintFrame(HWND window);

void DrawTitleButtonFace(const TitleButtons* block, HDC dc, const RECT& rect, bool pressed, bool hot, bool active);
// The glyph's black pixels in `colour`, at `dpi` (its bitmap is made for 100 %).
void DrawTitleButtonGlyph(const RECT& rect, COLORREF colour, HDC dc, HBITMAP glyph, UINT dpi = 96);
void Caption_NCPaint(HWND window, TitleButtons* block, HRGN region);
// Draws the buttons into the frame, over whatever is there.
void PaintTitleButtons(HWND window, TitleButtons* block);
LRESULT Caption_NCActivate(HWND window, TitleButtons* block, WPARAM wParam, LPARAM lParam);
LRESULT Caption_SetText(HWND window, TitleButtons* block, WPARAM wParam, LPARAM lParam);

// On a composed frame (desktop composition, Windows Vista and later), Windows
// draws the caption and its buttons itself over anything painted into the
// frame: the buttons are then shown by a popup of their own over the caption.
// Frames of child windows are drawn as without composition.
bool IsFrameComposed(HWND window);
// After the window moved, changed its size, z-order, visibility or frame:
// the state of the always-on-top button and the popup shown, moved or
// hidden; where the caption buttons are and whether its program draws its
// own title bar are read again only when the frame may have changed (not for
// a plain move, which comes many times a second while the user drags).
void PlaceTitleButtons(HWND window, TitleButtons* block, bool frameMayHaveChanged = true);
void DestroyTitleButtonWindow(TitleButtons* block);
// Shows the buttons' current looks, in the frame or in the popup.
void RepaintTitleButtons(HWND window, TitleButtons* block);
