#include "MoveSizeWnd.h"

#include <cwchar>

#include "MonitorGeometry.h"
#include "WindowsError.h"

namespace {

ATOM moveSizeWindowClass = 0;
UINT moveSizeMessage = 0;
bool moveSizeMessageRegistered = false;
CMoveSizeWnd* moveSizeWindow = nullptr;

constexpr UINT MeasureFormat = DT_CALCRECT | DT_SINGLELINE | DT_CENTER;
constexpr UINT PaintFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

// GetDpiForMonitor of shcore.dll, looked up at run time: Windows 7 has none.
class CMonitorDpi {
public:
    CMonitorDpi() : m_module(LoadLibraryW(L"shcore.dll")), m_dpiForMonitor(nullptr)
    {
        if (m_module == nullptr) return;
        m_dpiForMonitor = reinterpret_cast<DpiForMonitor>(
            reinterpret_cast<void (*)()>(GetProcAddress(m_module, "GetDpiForMonitor")));
    }
    CMonitorDpi(const CMonitorDpi&) = delete;
    CMonitorDpi& operator=(const CMonitorDpi&) = delete;
    ~CMonitorDpi()
    {
        if (m_module != nullptr) FreeLibrary(m_module);
    }
    // The monitor's effective DPI, or `fallback` when it cannot be read.
    UINT Of(HMONITOR monitor, UINT fallback) const
    {
        UINT x = 0;
        UINT y = 0;
        if (m_dpiForMonitor == nullptr || FAILED(m_dpiForMonitor(monitor, 0, &x, &y)) || y == 0) return fallback;
        return y;
    }

private:
    using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    HMODULE m_module;
    DpiForMonitor m_dpiForMonitor;
};

UINT ReadSystemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : DefaultDpi;
}

// The two signed 16-bit words of a report, low word first.
POINT Words(LPARAM lParam)
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

// Fixed for the session.
UINT SystemDpi()
{
    static const UINT dpi = ReadSystemDpi();
    return dpi;
}

// Where the read-out goes for a window: the full-screen area and the DPI of
// the monitor that holds it. On the primary monitor the area is (0, 0) and
// the system's full-screen size.
struct ReadoutPlace {
    RECT area;
    UINT dpi;
};

ReadoutPlace ReadoutPlaceFor(const RECT& window)
{
    static const CMonitorDpi monitorDpi;
    const int fullWidth = GetSystemMetrics(SM_CXFULLSCREEN);
    const int fullHeight = GetSystemMetrics(SM_CYFULLSCREEN);
    const HMONITOR monitor = MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST);
    const UINT dpi = monitorDpi.Of(monitor, SystemDpi());
    MONITORINFO held = {};
    held.cbSize = sizeof held;
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    if (!GetMonitorInfoW(monitor, &held) || (held.dwFlags & MONITORINFOF_PRIMARY) != 0 ||
        !GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary)) {
        return {{0, 0, fullWidth, fullHeight}, dpi};
    }
    return {FullScreenArea({held.rcMonitor, held.rcWork, false}, primary.rcWork, fullWidth, fullHeight), dpi};
}

} // namespace

std::wstring MoveSizeText(WPARAM kind, LPARAM lParam)
{
    const int first = static_cast<short>(LOWORD(lParam));
    const int second = static_cast<short>(HIWORD(lParam));
    const wchar_t* format = nullptr;
    if (kind == WM_MOVE) format = L"%d, %d";
    if (kind == WM_SIZE) format = L"%d x %d";
    if (format == nullptr) return std::wstring();
    wchar_t text[32] = {};
    std::swprintf(text, 32, format, first, second);
    return text;
}

RECT CentredOverlayRect(int textWidth, int textHeight, int screenWidth, int screenHeight)
{
    return ReadoutRect(textWidth, textHeight, RECT{0, 0, screenWidth, screenHeight}, DefaultDpi);
}

CMoveSizeWnd* MoveSizeWindow()
{
    return moveSizeWindow;
}

void SetMoveSizeWindow(CMoveSizeWnd* window)
{
    moveSizeWindow = window;
}

void RegisterMoveSizeWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = WndHandlerWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_INFOBK + 1);
    windowClass.lpszClassName = L"HovelleMoveSizeWnd";
    moveSizeWindowClass = RegisterWndClass(windowClass);
}

CMoveSizeWnd* CreateMoveSizeWindow(HWND owner, HINSTANCE instance)
{
    if (moveSizeWindowClass == 0) RegisterMoveSizeWindowClass(instance);
    auto* handler = new CMoveSizeWnd(DefWindowProcW);
    // The popup's default position and size come out as zeros.
    CWndHandler::CreateWnd(handler, MAKEINTATOM(moveSizeWindowClass), L"MoveSize", WS_POPUP | WS_BORDER,
                           WS_EX_TOPMOST, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                           instance);
    return handler;
}

CMoveSizeWnd::CMoveSizeWnd(WNDPROC defaultProcedure) : CWndHandler(defaultProcedure) {}

LRESULT CMoveSizeWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!moveSizeMessageRegistered) {
        moveSizeMessage = RegisterWindowMessageW(L"MOX_MOVESIZE");
        moveSizeMessageRegistered = true;
    }
    if (moveSizeMessage != 0 && message == moveSizeMessage) {
        switch (wParam) {
        case WM_ENTERSIZEMOVE:
            m_size = {};
            ShowWindow(m_hwnd, SW_SHOWNA);
            break;
        case WM_MOVE:
        case WM_SIZE:
            // Moves and sizes outside a move or size loop change nothing.
            if (!IsWindowVisible(m_hwnd)) break;
            if (wParam == WM_MOVE) m_position = Words(lParam);
            if (wParam == WM_SIZE) m_size = {Words(lParam).x, Words(lParam).y};
            UpdateOverlay(MoveSizeText(wParam, lParam));
            break;
        case WM_EXITSIZEMOVE:
            ShowWindow(m_hwnd, SW_HIDE);
            break;
        default:
            break;
        }
    }
    return CWndHandler::OnMessage(message, wParam, lParam);
}

RECT CMoveSizeWnd::ReportedWindow() const
{
    // A window of no known size counts as its top-left pixel.
    return {m_position.x, m_position.y, m_position.x + (m_size.cx > 0 ? m_size.cx : 1),
            m_position.y + (m_size.cy > 0 ? m_size.cy : 1)};
}

void CMoveSizeWnd::UseFontFor(UINT dpi)
{
    if (m_font.Handle() != nullptr && dpi == m_fontDpi) return;
    m_fontDpi = dpi;
    const HGDIOBJ stock = GetStockObject(DEFAULT_GUI_FONT);
    LOGFONTW look = {};
    const UINT systemDpi = SystemDpi();
    if (dpi == systemDpi || GetObjectW(stock, sizeof look, &look) == 0) {
        m_font.Attach(stock, false);
        return;
    }
    look.lfHeight = ReadoutFontHeight(look.lfHeight, dpi, systemDpi);
    const HFONT scaled = CreateFontIndirectW(&look);
    if (scaled != nullptr) {
        m_font.Attach(scaled, true);
    } else {
        m_font.Attach(stock, false);
    }
}

void CMoveSizeWnd::UpdateOverlay(const std::wstring& text)
{
    m_text = text;
    const ReadoutPlace place = ReadoutPlaceFor(ReportedWindow());
    UseFontFor(place.dpi);
    RECT measured = {};
    {
        CWindowDC dc(*this);
        const CObjectSelection selection(dc, m_font);
        GetClientRect(measured);
        dc.DrawText(m_text.c_str(), static_cast<int>(m_text.size()), measured, MeasureFormat);
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(placement);
    placement.rcNormalPosition =
        ReadoutRect(measured.right - measured.left, measured.bottom - measured.top, place.area, place.dpi);
    SetWindowPlacement(placement);
    InvalidateRect(nullptr, true);
}

LRESULT CMoveSizeWnd::OnPaint(CPaintDC& dc)
{
    if (m_text.empty()) return 0;
    if (m_font.Handle() == nullptr) UseFontFor(SystemDpi());
    const CObjectSelection selection(dc, m_font);
    RECT client = {};
    GetClientRect(client);
    dc.SetBkColor(GetSysColor(COLOR_INFOBK));
    dc.SetTextColor(GetSysColor(COLOR_INFOTEXT));
    dc.DrawText(m_text.c_str(), static_cast<int>(m_text.size()), client, PaintFormat);
    return 0;
}
