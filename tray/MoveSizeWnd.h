// The move/size overlay: a small topmost box in the middle of the monitor that
// holds the window being moved or sized in any program, showing the window's
// position or size as the hook library reports it with "MOX_MOVESIZE". Its
// font and margins follow that monitor's scale.
#pragma once

#include <windows.h>

#include <string>

#include "DevContext.h"
#include "WndHandler.h"

class CMoveSizeWnd : public CWndHandler {
public:
    explicit CMoveSizeWnd(WNDPROC defaultProcedure);

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnPaint(CPaintDC& dc) override;

    // Stores the text, fits and centres the box around it and repaints it.
    void UpdateOverlay(const std::wstring& text);
    const std::wstring& Text() const { return m_text; }

private:
    // The reported window: the position from move reports and the size from
    // size reports of the current loop (empty until one arrives).
    RECT ReportedWindow() const;
    // Chooses the font for the monitor's DPI.
    void UseFontFor(UINT dpi);

    std::wstring m_text;
    POINT m_position = {};
    SIZE m_size = {};
    CGdiObject m_font;
    UINT m_fontDpi = 0;
};

void RegisterMoveSizeWindowClass(HINSTANCE instance);
// Registers the class on first use and creates the overlay, owned by `owner`.
CMoveSizeWnd* CreateMoveSizeWindow(HWND owner, HINSTANCE instance);

// The one overlay of the program (null before it is created and after exit).
CMoveSizeWnd* MoveSizeWindow();
void SetMoveSizeWindow(CMoveSizeWnd* window);

// The text shown for a "MOX_MOVESIZE" notification: "%d, %d" for a move
// (0x0003), "%d x %d" for a size (0x0005), both numbers taken from lParam as
// signed 16-bit words, low word first; empty for any other kind.
std::wstring MoveSizeText(WPARAM kind, LPARAM lParam);

// The box around a measured text on the primary monitor at 100 %: the text's
// size plus (10, 5), centred on a full-screen area of the given size
// (divisions truncate toward zero).
RECT CentredOverlayRect(int textWidth, int textHeight, int screenWidth, int screenHeight);
