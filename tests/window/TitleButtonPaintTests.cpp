// The pin button in the caption of a managed window of another process: the
// glyph resource of the built library, the block, and the pixels drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "TitleButtonSupport.h"

using namespace harness;

namespace {

const wchar_t* const OnTop = L"MOX_ON_TOP";

TEST(PinGlyph, ResourceOfTheBuiltLibraryMatchesThePinTable)
{
    const HMODULE library = GetModuleHandleW(L"Lorvek.dll");
    ASSERT_NE(library, nullptr);
    // The stored form: a 28 x 28 bitmap of 1 bit per pixel, index 0 black, 1 white.
    const HRSRC resource = FindResourceW(library, MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(2));
    ASSERT_NE(resource, nullptr) << "no bitmap 102 in Lorvek.dll";
    const auto header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(library, resource)));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 28);
    EXPECT_EQ(std::abs(header->biHeight), 28);
    EXPECT_EQ(header->biBitCount, 1);
    const auto palette = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(header) + header->biSize);
    EXPECT_EQ(RGB(palette[0].rgbRed, palette[0].rgbGreen, palette[0].rgbBlue), RGB(0, 0, 0));
    EXPECT_EQ(RGB(palette[1].rgbRed, palette[1].rgbGreen, palette[1].rgbBlue), RGB(255, 255, 255));

    // Loaded as the button loads it, every pixel compared with the table.
    const HBITMAP glyph = LoadBitmapW(library, MAKEINTRESOURCEW(102));
    ASSERT_NE(glyph, nullptr);
    BITMAP bitmap = {};
    GetObjectW(glyph, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 28);
    EXPECT_EQ(bitmap.bmHeight, 28);
    EXPECT_EQ(bitmap.bmBitsPixel, 1);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info = {};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = 28;
    info.header.biHeight = -28;
    info.header.biPlanes = 1;
    info.header.biBitCount = 32;
    info.header.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(28 * 28);
    const HDC screen = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(screen, glyph, 0, 28, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 28);
    ReleaseDC(nullptr, screen);
    DeleteObject(glyph);
    int black = 0;
    for (int row = 0; row < 28; ++row) {
        for (int column = 0; column < 28; ++column) {
            const uint32_t expected = PinGlyphBlack(column, row) ? 0x000000u : 0xFFFFFFu;
            EXPECT_EQ(pixels[static_cast<size_t>(row) * 28 + column] & 0xFFFFFFu, expected)
                << "column " << column << " row " << row;
            if (expected == 0) ++black;
        }
    }
    EXPECT_EQ(black, 37);
}

// Waits until the capture shows the pin where it belongs for the look.
bool PinDrawn(TargetProcess& target, HWND window, bool pressed, Image& image)
{
    const uint32_t dark = Rgb(GetSysColor(COLOR_3DDKSHADOW));
    const bool drawn = WaitFor([&] {
        image = CaptureWindow(target, window);
        if (image.pixels.empty()) return false;
        for (const POINT& p : ExpectedPinPixels(window, pressed)) {
            if (image.At(p.x, p.y) != dark) return false;
        }
        return true;
    });
    if (!drawn && !image.pixels.empty()) {
        const std::wstring path = SaveScreenshot(image, L"failed-capture.png");
        ADD_FAILURE() << "the capture is saved as " << std::string(path.begin(), path.end());
    }
    return drawn;
}

int CountColour(const Image& image, const std::vector<POINT>& points, uint32_t colour)
{
    return static_cast<int>(std::count_if(points.begin(), points.end(),
                                          [&](const POINT& p) { return image.At(p.x, p.y) == colour; }));
}

double Brightness(uint32_t pixel)
{
    return ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF);
}

TEST(TitleButtonPaint, ClassicButtonShowsThePinInTheDarkShadowColour)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Pin button");
    MakeClassic(target, window);
    TitleButtons block = {};
    ASSERT_TRUE(ReadTitleButtons(target.ProcessId(), window, block));
    EXPECT_EQ(block.count, 1);
    EXPECT_EQ(block.buttons[0].message, RegisterWindowMessageW(OnTop));
    EXPECT_EQ(block.buttons[0].spacing, 2);
    EXPECT_EQ(block.buttons[0].state, 0);
    EXPECT_NE(block.buttons[0].glyph, nullptr);
    EXPECT_EQ(block.themeImage, nullptr) << "the window has no visual style";

    Image image;
    ASSERT_TRUE(PinDrawn(target, window, false, image)) << "pin not drawn at its resting place";
    SaveScreenshot(image, L"pin-button.png");
    const uint32_t face = Rgb(GetSysColor(COLOR_3DFACE));
    const std::vector<POINT> background = GlyphBackgroundPixels(window, false);
    EXPECT_EQ(CountColour(image, background, face), static_cast<int>(background.size()))
        << "only the pin's pixels differ from the face";
    // A raised classic push button: light top-left edge, dark bottom-right edge.
    const RECT rect = PinFace(window, true);
    EXPECT_GT(Brightness(image.At(rect.left, rect.top)), Brightness(image.At(rect.right - 1, rect.bottom - 1)));
}

TEST(TitleButtonPaint, TopmostWindowGetsAPushedButtonWithThePinMovedByOne)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Pushed pin", WS_EX_TOPMOST);
    MakeClassic(target, window);
    TitleButtons block = {};
    ASSERT_TRUE(ReadTitleButtons(target.ProcessId(), window, block));
    EXPECT_EQ(block.buttons[0].state, 1);
    Image image;
    ASSERT_TRUE(PinDrawn(target, window, true, image)) << "pin not drawn one pixel down and right";
    SaveScreenshot(image, L"pin-button-pushed.png");
    const uint32_t dark = Rgb(GetSysColor(COLOR_3DDKSHADOW));
    // Not also at the resting place: the pin moved.
    const std::vector<POINT> resting = ExpectedPinPixels(window, false);
    EXPECT_LT(CountColour(image, resting, dark), static_cast<int>(resting.size()));
    const RECT rect = PinFace(window, true);
    EXPECT_LT(Brightness(image.At(rect.left, rect.top)), Brightness(image.At(rect.right - 1, rect.bottom - 1)))
        << "a pushed face is dark at the top-left";
}

TEST(TitleButtonPaint, ButtonStaysAfterSetText)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Before");
    MakeClassic(target, window);
    Image image;
    ASSERT_TRUE(PinDrawn(target, window, false, image));
    EXPECT_EQ(target.Command("settext " + Hex(window) + " After the change"), "1");
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"After the change");
    EXPECT_TRUE(IsWindowVisible(window)) << "the visible bit is restored";
    image = CaptureWindow(target, window);
    const uint32_t dark = Rgb(GetSysColor(COLOR_3DDKSHADOW));
    const std::vector<POINT> pin = ExpectedPinPixels(window, false);
    EXPECT_EQ(CountColour(image, pin, dark), static_cast<int>(pin.size())) << "pin gone after WM_SETTEXT";
    SaveScreenshot(image, L"pin-button-after-settext.png");
}

TEST(TitleButtonPaint, ToolWindowButtonUsesTheSmallCaptionMetrics)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Tool pin", WS_EX_TOOLWINDOW);
    MakeClassic(target, window);
    const RECT face = PinFace(window, true);
    EXPECT_EQ(face.right - face.left, GetSystemMetrics(SM_CXSMSIZE) - 2);
    Image image;
    ASSERT_TRUE(PinDrawn(target, window, false, image)) << "pin not where the small metrics put it";
    SaveScreenshot(image, L"pin-button-tool-window.png");
}

TEST(TitleButtonPaint, ReleaseRemovesTheBlockAndRepaintsWithoutThePin)
{
    HookSession session;
    TargetProcess target;
    const HWND managed = target.Create(OverlappedWindow, "Managed");
    MakeClassic(target, managed);
    EXPECT_NE(GetPropW(managed, L"MOX_TITLEBUTTONS"), nullptr);
    // Released at the unsubclass message: the property goes with the subclass.
    SendMessageW(managed, RegisterWindowMessageW(L"MOX_WINDOWMANAGER_UNSUBCLASS"), 0, 0);
    EXPECT_EQ(GetPropW(managed, L"MOX_TITLEBUTTONS"), nullptr);
    Image image = CaptureWindow(target, managed);
    const uint32_t dark = Rgb(GetSysColor(COLOR_3DDKSHADOW));
    const std::vector<POINT> pin = ExpectedPinPixels(managed, false);
    EXPECT_LT(CountColour(image, pin, dark), static_cast<int>(pin.size())) << "the frame was repainted without the pin";
}

} // namespace

namespace {

COLORREF ToColorref(uint32_t pixel)
{
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

// Waits until `expected(frames)` holds for the frames that the face in the
// capture matches best; returns those frames.
template <typename Condition>
unsigned SettledFrames(TargetProcess& target, HWND window, const Image& style, bool pressed, Condition expected,
                       Image& image)
{
    unsigned frames = 0;
    const RECT face = PinFace(window, true);
    const std::vector<POINT> pin = ExpectedPinPixels(window, pressed);
    WaitFor([&] {
        image = CaptureWindow(target, window);
        frames = image.pixels.empty() ? 0 : BestMatchingFrames(image, face, style, pin);
        return expected(frames);
    });
    return frames;
}

bool Has(unsigned frames, int frame)
{
    return (frames & (1u << frame)) != 0;
}

TEST(TitleButtonPaint, VisualStyleFacesComeFromTheMaximizeButtonImage)
{
    const Image style = StyleMaxButtonImage();
    if (style.pixels.empty()) GTEST_SKIP() << "no visual style is switched on in this prefix";
    SaveScreenshot(style, L"style-maxbutton-image.png");
    HookSession session;
    TargetProcess target;
    // Each new window becomes the active one.
    const HWND topmost = target.Create(OverlappedWindow, "Styled topmost pin", WS_EX_TOPMOST);
    const HWND window = target.Create(OverlappedWindow, "Styled pin");
    const HWND active = target.Create(OverlappedWindow, "Styled active pin");
    TitleButtons block = {};
    ASSERT_TRUE(ReadTitleButtons(target.ProcessId(), window, block));
    EXPECT_NE(block.themeImage, nullptr);
    EXPECT_NE(block.themeDC, nullptr);
    EXPECT_EQ(block.glyphColour, ToColorref(style.At(0, 3)));
    EXPECT_FALSE(block.windowActive) << "follows WM_NCACTIVATE";
    ASSERT_TRUE(ReadTitleButtons(target.ProcessId(), active, block));
    EXPECT_TRUE(block.windowActive);

    Image image;
    unsigned frames = SettledFrames(target, window, style, false, [](unsigned f) { return Has(f, 4); }, image);
    EXPECT_TRUE(Has(frames, 4)) << "inactive, resting: frame 4 (frames matched: " << frames << ")";
    SaveScreenshot(image, L"pin-button-styled-inactive.png");
    const std::vector<POINT> pin = ExpectedPinPixels(window, false);
    EXPECT_EQ(CountColour(image, pin, style.At(0, 3)), static_cast<int>(pin.size())) << "pin in the glyph colour";
    frames = SettledFrames(target, active, style, false, [](unsigned f) { return Has(f, 0); }, image);
    EXPECT_TRUE(Has(frames, 0)) << "active, resting: frame 0 (frames matched: " << frames << ")";
    SaveScreenshot(image, L"pin-button-styled-active.png");

    // Pushed: frames 2 (active) and 6 (inactive) differ in this style.
    frames = SettledFrames(target, topmost, style, false, [](unsigned f) { return Has(f, 6) && !Has(f, 2); }, image);
    EXPECT_TRUE(Has(frames, 6) && !Has(frames, 2)) << "inactive, pushed: frame 6 (frames matched: " << frames << ")";
    // Under a visual style a pushed glyph stays where it is.
    const std::vector<POINT> still = ExpectedPinPixels(topmost, false);
    EXPECT_EQ(CountColour(image, still, style.At(0, 3)), static_cast<int>(still.size()));
    SaveScreenshot(image, L"pin-button-styled-pushed-inactive.png");
    EXPECT_EQ(target.Command("activate " + Hex(topmost)), "1");
    frames = SettledFrames(target, topmost, style, false, [](unsigned f) { return Has(f, 2) && !Has(f, 6); }, image);
    EXPECT_TRUE(Has(frames, 2) && !Has(frames, 6)) << "active, pushed: frame 2 (frames matched: " << frames << ")";
    SaveScreenshot(image, L"pin-button-styled-pushed-active.png");
}
TEST(TitleButtonPaint, ThemeChangeToClassicFreesTheImageAndPaintsClassic)
{
    HookSession session;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Loses its style");
    EXPECT_EQ(target.Command("theme " + Hex(window) + " off"), "0");
    TitleButtons block = {};
    ASSERT_TRUE(ReadTitleButtons(target.ProcessId(), window, block));
    EXPECT_EQ(block.themeImage, nullptr);
    EXPECT_EQ(block.themeDC, nullptr);
    EXPECT_EQ(block.savedBitmap, nullptr);
    // The next paint of the frame draws the classic button.
    RepaintFrameOf(window);
    Image image;
    ASSERT_TRUE(PinDrawn(target, window, false, image)) << "classic pin after the change";
    if (!StyleMaxButtonImage().pixels.empty()) {
        // And back: the style's image is loaded again.
        EXPECT_EQ(target.Command("theme " + Hex(window) + " on"), "0");
        ASSERT_TRUE(ReadTitleButtons(target.ProcessId(), window, block));
        EXPECT_NE(block.themeImage, nullptr);
        EXPECT_NE(block.themeDC, nullptr);
    }
}

} // namespace
