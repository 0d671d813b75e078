// The move/size overlay of the real program, driven with "MOX_MOVESIZE" as
// the hook library posts it from other processes.
#include <string>

#include "MoveSizeWnd.h"
#include "Screenshot.h"
#include "TrayFixture.h"

using namespace harness;

namespace {

// The size of a text as the overlay measures it, measured here on a screen DC.
SIZE MeasureText(const std::wstring& text)
{
    const HDC dc = GetDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = {0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_CALCRECT | DT_SINGLELINE | DT_CENTER);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// Where the box of a text must be: its size plus (10, 5), centred on the
// full-screen client area.
RECT ExpectedBox(const std::wstring& text)
{
    const SIZE size = MeasureText(text);
    const int width = size.cx + 10;
    const int height = size.cy + 5;
    RECT box;
    box.left = (GetSystemMetrics(SM_CXFULLSCREEN) - width) / 2;
    box.top = (GetSystemMetrics(SM_CYFULLSCREEN) - height) / 2;
    box.right = box.left + width;
    box.bottom = box.top + height;
    return box;
}

bool SameRect(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

// The client area as drawn on the screen, and as the text with tooltip
// colours would draw it; equal when the box shows exactly that text.
std::vector<COLORREF> Capture(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);
    const HDC screen = GetDC(nullptr);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(screen, origin.x + x, origin.y + y));
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

std::vector<COLORREF> Render(const std::wstring& text, int width, int height)
{
    const HDC screen = GetDC(nullptr);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previousBitmap = SelectObject(memory, bitmap);
    RECT rect = {0, 0, width, height};
    FillRect(memory, &rect, GetSysColorBrush(COLOR_INFOBK));
    const HGDIOBJ previousFont = SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
    SetBkColor(memory, GetSysColor(COLOR_INFOBK));
    SetTextColor(memory, GetSysColor(COLOR_INFOTEXT));
    DrawTextW(memory, text.c_str(), static_cast<int>(text.size()), &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(memory, x, y));
    }
    SelectObject(memory, previousFont);
    SelectObject(memory, previousBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

class OverlayTest : public TrayTest {
protected:
    void SetUp() override
    {
        TrayTest::SetUp();
        tray.reset(new FakeTray);
        hovelle.reset(new HovelleProcess);
        ASSERT_TRUE(hovelle->WaitUntilReady());
        overlay = hovelle->Overlay();
    }
    void TearDown() override
    {
        hovelle.reset();
        tray.reset();
        TrayTest::TearDown();
    }
    void Post(WPARAM kind, int first = 0, int second = 0)
    {
        PostMessageW(overlay, moveSize, kind, MAKELPARAM(static_cast<WORD>(first), static_cast<WORD>(second)));
    }
    // Waits until the box has the place of the text and shows it.
    void ExpectShowing(const std::wstring& text)
    {
        const RECT expected = ExpectedBox(text);
        RECT actual = {};
        const bool placed = WaitFor([&] {
            GetWindowRect(overlay, &actual);
            return IsWindowVisible(overlay) && SameRect(actual, expected);
        });
        EXPECT_TRUE(placed) << "expected " << Describe(expected) << ", got " << Describe(actual);
        if (!placed) return;
        // Moving the box does not take the activation from the window the
        // user is moving.
        EXPECT_NE(GetForegroundWindow(), overlay);
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(overlay, nullptr), &info);
        EXPECT_NE(info.hwndActive, overlay);
        RECT client = {};
        GetClientRect(overlay, &client);
        const std::vector<COLORREF> wanted = Render(text, client.right, client.bottom);
        std::vector<COLORREF> shown;
        EXPECT_TRUE(WaitFor([&] { return (shown = Capture(overlay)) == wanted; }))
            << "the box does not show the text";
    }

    std::unique_ptr<FakeTray> tray;
    std::unique_ptr<HovelleProcess> hovelle;
    HWND overlay = nullptr;
    const UINT moveSize = RegisterWindowMessageW(L"MOX_MOVESIZE");
};

TEST_F(OverlayTest, FirstShowingIsEmptyUntilAPositionArrives)
{
    Post(WM_ENTERSIZEMOVE);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(overlay) != FALSE; }));
    RECT rect = {};
    GetWindowRect(overlay, &rect);
    EXPECT_EQ(rect.right - rect.left, 0);
    EXPECT_EQ(rect.bottom - rect.top, 0);
    // Shown without being activated.
    EXPECT_NE(GetForegroundWindow(), overlay);
}

TEST_F(OverlayTest, MoveLoopShowsThePositionThenHides)
{
    Post(WM_ENTERSIZEMOVE);
    Post(WM_MOVE, 100, 200);
    ExpectShowing(L"100, 200");
    Post(WM_EXITSIZEMOVE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(overlay); }));

    // Off the top left of the screen the numbers are negative.
    Post(WM_ENTERSIZEMOVE);
    Post(WM_MOVE, -8, -3);
    ExpectShowing(L"-8, -3");

    // A size loop shows the size.
    Post(WM_SIZE, 800, 600);
    ExpectShowing(L"800 x 600");
    Post(WM_EXITSIZEMOVE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(overlay); }));
}

TEST_F(OverlayTest, NotificationsWhileHiddenChangeNothing)
{
    Post(WM_ENTERSIZEMOVE);
    Post(WM_SIZE, 640, 480);
    ExpectShowing(L"640 x 480");
    Post(WM_EXITSIZEMOVE);
    // Handled in order: by the time the box shows again, the move and the
    // unknown kind posted while it was hidden have been handled.
    Post(WM_MOVE, 1, 2);
    Post(WM_SIZING, 5, 5);
    Post(WM_ENTERSIZEMOVE);
    ExpectShowing(L"640 x 480");
}

TEST_F(OverlayTest, ManagedWindowOfAnotherProgramDrivesTheBox)
{
    // The program started the hook; a window created now is managed, and its
    // move loop reaches the box through the hook library in its own process.
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Moved window");
    ASSERT_EQ(SendFeature(window, L"MOX_ON_TOP", 4), 0);
    ASSERT_EQ(FeatureItems(target.Menu(window)).size(), 4u) << "the window is managed";
    target.Command("send " + Hex(window) + " 231 0 0");  // WM_ENTERSIZEMOVE
    SetWindowPos(window, nullptr, 150, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectShowing(L"150, 250");
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder(program);
    folder = folder.substr(0, folder.find_last_of(L"\\/") + 1) + L"screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_TRUE(SavePng(CaptureWindow(overlay), folder + L"\\move-size-readout.png"));
    SetWindowPos(window, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ExpectShowing(L"300 x 200");
    target.Command("send " + Hex(window) + " 232 0 0");  // WM_EXITSIZEMOVE
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(overlay); }));
}

TEST(OverlayLayout, TextAndBox)
{
    EXPECT_EQ(MoveSizeText(WM_MOVE, MAKELPARAM(100, 200)), L"100, 200");
    EXPECT_EQ(MoveSizeText(WM_MOVE, MAKELPARAM(static_cast<WORD>(-8), static_cast<WORD>(-3))), L"-8, -3");
    EXPECT_EQ(MoveSizeText(WM_SIZE, MAKELPARAM(800, 600)), L"800 x 600");
    EXPECT_EQ(MoveSizeText(WM_SIZE, MAKELPARAM(0xFFFF, 0x8000)), L"-1 x -32768");
    EXPECT_EQ(MoveSizeText(WM_SIZING, MAKELPARAM(1, 2)), L"");
    const RECT box = CentredOverlayRect(60, 13, 1024, 741);
    EXPECT_EQ(box.left, (1024 - 70) / 2);
    EXPECT_EQ(box.top, (741 - 18) / 2);
    EXPECT_EQ(box.right - box.left, 70);
    EXPECT_EQ(box.bottom - box.top, 18);
    // Wider than the screen: the division truncates toward zero.
    const RECT wide = CentredOverlayRect(1021, 13, 1024, 741);
    EXPECT_EQ(wide.left, -3);
}

} // namespace
