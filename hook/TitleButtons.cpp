// The title-button block of a window: creation, removal, geometry and the
// visual style's button image.
#include "TitleButtons.h"

#include <uxtheme.h>

#include <new>

#include "DevContext.h"
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "LibraryModule.h"
#include "RuntimeLink.h"
#include "TitleButtonGeometry.h"

const wchar_t TitleButtonsProperty[] = L"MOX_TITLEBUTTONS";

namespace {

constexpr int PinGlyphResource = 102;
constexpr int OnTopButtonSpacing = 2;
// Visual-style identifiers of the maximize button's image file.
constexpr int WindowPartMaxButton = 17;  // WP_MAXBUTTON
constexpr int MaxButtonNormal = 1;       // MAXBS_NORMAL
constexpr int PropertyImageFile = 3001;  // TMT_IMAGEFILE

DWORD StyleOf(HWND window)
{
    return static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
}

DWORD ExStyleOf(HWND window)
{
    return static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE));
}

// A theme handle, closed once at the end of the scope.
class CThemeData {
public:
    explicit CThemeData(HWND window) : m_theme(OpenThemeData(window, L"window")) {}
    CThemeData(const CThemeData&) = delete;
    CThemeData& operator=(const CThemeData&) = delete;
    ~CThemeData()
    {
        if (m_theme != nullptr) CloseThemeData(m_theme);
    }
    HTHEME Handle() const { return m_theme; }

private:
    HTHEME m_theme;
};

// The visual style's maximize-button image, or null at any failure.
HBITMAP LoadMaxButtonImage(HTHEME theme, const wchar_t* styleFile)
{
    wchar_t imageFile[100];
    if (FAILED(GetThemeFilename(theme, WindowPartMaxButton, MaxButtonNormal, PropertyImageFile, imageFile, 100))) {
        return nullptr;
    }
    const HMODULE style = LoadLibraryExW(styleFile, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (style == nullptr) return nullptr;
    // The image's resource name is its file name with every backslash and
    // period turned into an underscore.
    for (wchar_t* c = imageFile; *c != 0; ++c) {
        if (*c == L'\\' || *c == L'.') *c = L'_';
    }
    const HANDLE image = LoadImageW(style, imageFile, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    FreeLibrary(style);
    return static_cast<HBITMAP>(image);
}

// The shared images of this process (one per style in use; a style change
// briefly needs two) and the pin glyph of every window's pin button.
SRWLOCK themeLock = SRWLOCK_INIT;
ThemeButtonImage themeImages[4];
HBITMAP pinGlyph = nullptr;
int pinGlyphUsers = 0;

ThemeButtonImage* AcquireThemeImage(HWND window, HTHEME theme)
{
    wchar_t styleFile[MAX_PATH];
    if (FAILED(GetCurrentThemeName(styleFile, MAX_PATH, nullptr, 0, nullptr, 0))) return nullptr;
    AcquireSRWLockExclusive(&themeLock);
    ThemeButtonImage* found = nullptr;
    for (ThemeButtonImage& slot : themeImages) {
        if (slot.users > 0 && wcscmp(slot.styleFile, styleFile) == 0) found = &slot;
    }
    for (ThemeButtonImage& slot : themeImages) {
        if (found != nullptr || slot.users > 0) continue;
        slot.image = LoadMaxButtonImage(theme, styleFile);
        if (slot.image == nullptr) break;
        const CFrameDC windowDC(window);
        slot.dc = CreateCompatibleDC(windowDC.Handle());
        slot.savedBitmap = SelectObject(slot.dc, slot.image);
        slot.glyphColour = GetPixel(slot.dc, 0, 3);
        wcscpy(slot.styleFile, styleFile);
        found = &slot;
    }
    if (found != nullptr) found->users += 1;
    ReleaseSRWLockExclusive(&themeLock);
    return found;
}

void ReleaseThemeImage(ThemeButtonImage* slot)
{
    AcquireSRWLockExclusive(&themeLock);
    if (--slot->users == 0) {
        SelectObject(slot->dc, slot->savedBitmap);
        DeleteObject(slot->image);
        DeleteDC(slot->dc);
        *slot = ThemeButtonImage();
    }
    ReleaseSRWLockExclusive(&themeLock);
}

HBITMAP AcquirePinGlyph()
{
    AcquireSRWLockExclusive(&themeLock);
    if (pinGlyph == nullptr) pinGlyph = LoadBitmapW(LibraryModule(), MAKEINTRESOURCEW(PinGlyphResource));
    if (pinGlyph != nullptr) pinGlyphUsers += 1;
    const HBITMAP glyph = pinGlyph;
    ReleaseSRWLockExclusive(&themeLock);
    return glyph;
}

// Deletes a block's glyph, or gives back its share of the pin glyph.
void ReleaseGlyph(HBITMAP glyph)
{
    if (glyph == nullptr) return;
    AcquireSRWLockExclusive(&themeLock);
    bool remove = true;
    if (glyph == pinGlyph) {
        remove = --pinGlyphUsers == 0;
        if (remove) pinGlyph = nullptr;
    }
    ReleaseSRWLockExclusive(&themeLock);
    if (remove) DeleteObject(glyph);
}

} // namespace

CThemeImageLock::CThemeImageLock()
{
    AcquireSRWLockExclusive(&themeLock);
}

CThemeImageLock::~CThemeImageLock()
{
    ReleaseSRWLockExclusive(&themeLock);
}

void LoadThemeButtonImage(TitleButtons* block, HWND window)
{
    const CThemeData theme(window);
    if (theme.Handle() == nullptr) return;  // no visual style: classic buttons
    block->theme = AcquireThemeImage(window, theme.Handle());
    if (block->theme == nullptr) return;
    block->themeImage = block->theme->image;
    block->themeDC = block->theme->dc;
    block->glyphColour = block->theme->glyphColour;
}

void FreeThemeButtonImage(TitleButtons* block)
{
    if (block->theme != nullptr) ReleaseThemeImage(block->theme);
    block->theme = nullptr;
    block->themeImage = nullptr;
    block->themeDC = nullptr;
}

void TrackNonClientLeave(HWND window)
{
    TRACKMOUSEEVENT track = {};
    track.cbSize = sizeof track;
    // TME_NONCLIENT only qualifies TME_LEAVE: on its own it asks for nothing.
    track.dwFlags = TME_LEAVE | TME_NONCLIENT;
    track.hwndTrack = window;
    track.dwHoverTime = 0;
    TrackMouseEvent(&track);
}

void RepaintFrame(HWND window)
{
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

TitleButtons* FindTitleButtons(HWND window)
{
    return static_cast<TitleButtons*>(GetPropW(window, TitleButtonsProperty));
}

void AddOnTopTitleButton(HWND window)
{
    if (!HasCaption(window)) return;
    const HBITMAP glyph = AcquirePinGlyph();
    if (AddTitleButton(window, MsgOnTop(), OnTopButtonSpacing, glyph) == 0) ReleaseGlyph(glyph);
}

int AddTitleButton(HWND window, UINT message, int spacing, HBITMAP glyph)
{
    TitleButtons* block = FindTitleButtons(window);
    if (block == nullptr) {
        block = new (std::nothrow) TitleButtons();
        if (block == nullptr) return 0;
        block->windowActive = GetActiveWindow() == window;
        block->composed = IsFrameComposed(window);
        LoadThemeButtonImage(block, window);
        if (!SetPropW(window, TitleButtonsProperty, block)) {
            FreeThemeButtonImage(block);
            delete block;
            return 0;
        }
        TrackNonClientLeave(window);
    }
    // The block holds a fixed number of buttons; a further one is refused
    // rather than written past its end.
    if (block->count >= MaxTitleButtons) return 0;
    const int index = block->count;
    TitleButton& button = block->buttons[index];
    button.message = message;
    button.spacing = spacing;
    button.glyph = glyph;
    button.state = 0;
    block->count += 1;
    const int state = static_cast<int>(SendMessageW(window, message, FeatureQuery, 0));
    // The answer may come after the window has gone, and its block with it.
    block = FindTitleButtons(window);
    if (block == nullptr) return 1;
    block->buttons[index].state = state;
    PlaceTitleButtons(window, block);  // a window admitted when already shown
    return 1;
}

int RemoveTitleButtons(HWND window, bool repaint)
{
    TitleButtons* block = FindTitleButtons(window);
    if (block == nullptr) return 0;
    RemovePropW(window, TitleButtonsProperty);
    // A press on a button ends with the block: the capture goes back.
    if (block->tracking && GetCapture() == window) ReleaseCapture();
    DestroyTitleButtonWindow(block);
    FreeThemeButtonImage(block);
    for (int i = 0; i < block->count; ++i) ReleaseGlyph(block->buttons[i].glyph);
    delete block;
    if (repaint) RepaintFrame(window);
    return 1;
}

namespace {

// The per-monitor DPI functions of user32, looked up at run time: Windows 7
// has none of them, and the library must still load there.
struct DpiFunctions {
    using AwarenessContext = HANDLE;
    AwarenessContext(WINAPI* windowContext)(HWND);  // GetWindowDpiAwarenessContext
    int(WINAPI* awareness)(AwarenessContext);       // GetAwarenessFromDpiAwarenessContext
    UINT(WINAPI* windowDpi)(HWND);                  // GetDpiForWindow
    MetricForDpi metric;                            // GetSystemMetricsForDpi
    BOOL(WINAPI* adjust)(RECT*, DWORD, BOOL, DWORD, UINT);  // AdjustWindowRectExForDpi
};

const DpiFunctions& Dpi()
{
    static const DpiFunctions functions = [] {
        DpiFunctions found = {};
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        if (user32 == nullptr) return found;
        Look(found.windowContext, user32, "GetWindowDpiAwarenessContext");
        Look(found.awareness, user32, "GetAwarenessFromDpiAwarenessContext");
        Look(found.windowDpi, user32, "GetDpiForWindow");
        Look(found.metric, user32, "GetSystemMetricsForDpi");
        Look(found.adjust, user32, "AdjustWindowRectExForDpi");
        return found;
    }();
    return functions;
}

constexpr int PerMonitorAware = 2;  // DPI_AWARENESS_PER_MONITOR_AWARE

// The caption metrics and the DPI they belong to: the window's own DPI when
// its program scales per monitor, otherwise the system metrics at 100 %.
struct CaptionScale {
    CaptionMetrics metrics;
    UINT dpi;
};

CaptionScale CaptionScaleOf(HWND window)
{
    const DpiFunctions& dpi = Dpi();
    if (dpi.windowContext != nullptr && dpi.awareness != nullptr && dpi.windowDpi != nullptr &&
        dpi.metric != nullptr && dpi.awareness(dpi.windowContext(window)) == PerMonitorAware) {
        const UINT windowDpi = dpi.windowDpi(window);
        if (windowDpi != 0) return {ReadCaptionMetrics(dpi.metric, windowDpi), windowDpi};
    }
    return {ReadCaptionMetrics(), DefaultDpi};
}

} // namespace

UINT TitleButtonDpi(HWND window)
{
    return CaptionScaleOf(window).dpi;
}

bool ClientCoversCaption(HWND window)
{
    RECT windowRect = {}, clientRect = {};
    POINT client = {0, 0};
    // A client area squeezed out by a small window (rolled up) covers nothing.
    if (!GetClientRect(window, &clientRect) || IsRectEmpty(&clientRect)) return false;
    if (!GetWindowRect(window, &windowRect) || !ClientToScreen(window, &client)) return false;
    // The frame a window of this style has above its client area.
    RECT frame = {0, 0, 0, 0};
    const UINT dpi = TitleButtonDpi(window);
    const DWORD style = StyleOf(window) & ~WS_VISIBLE;
    if (dpi != DefaultDpi && Dpi().adjust != nullptr) Dpi().adjust(&frame, style, FALSE, ExStyleOf(window), dpi);
    else AdjustWindowRectEx(&frame, style, FALSE, ExStyleOf(window));
    return client.y - windowRect.top < -frame.top;
}

int GetCaptionButtonsWidth(HWND window)
{
    const CaptionScale scale = CaptionScaleOf(window);
    return CaptionButtonsWidth(StyleOf(window), ExStyleOf(window), scale.metrics, scale.dpi);
}

RECT GetTitleButtonRect(const TitleButtons* block, HWND window, int index, bool windowRelative)
{
    RECT windowRect = {};
    GetWindowRect(window, &windowRect);
    const RECT screen = windowRect;
    if (windowRelative) OffsetRect(&windowRect, -windowRect.left, -windowRect.top);
    int spacings[MaxTitleButtons] = {};
    for (int k = 0; k <= index && k < MaxTitleButtons; ++k) spacings[k] = block->buttons[k].spacing;
    const CaptionScale scale = CaptionScaleOf(window);
    if (block->composed && !IsRectEmpty(&block->captionButtons)) {
        const int buttons = CaptionButtonCount(StyleOf(window), ExStyleOf(window));
        RECT face = ComposedButtonRect(block->captionButtons, buttons, spacings, index, scale.dpi);
        if (!windowRelative) OffsetRect(&face, screen.left, screen.top);
        return face;
    }
    return TitleButtonRect(windowRect, StyleOf(window), ExStyleOf(window), spacings, index, scale.metrics, scale.dpi);
}

bool IsOnTitleButton(const TitleButtons* block, HWND window, int index, POINT screenPoint)
{
    if (block->ownTitleBar) return false;
    const RECT face = GetTitleButtonRect(block, window, index, false);
    return PointInRect(TitleButtonHitRect(face, CaptionScaleOf(window).dpi), screenPoint);
}
