#include "MoveSizeWnd.h"

#include <cwchar>

#include "WindowsError.h"

namespace {

ATOM moveSizeWindowClass = 0;
UINT moveSizeMessage = 0;
bool moveSizeMessageRegistered = false;
CMoveSizeWnd* moveSizeWindow = nullptr;

constexpr UINT MeasureFormat = DT_CALCRECT | DT_SINGLELINE | DT_CENTER;
constexpr UINT PaintFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

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
    const int width = textWidth + 10;
    const int height = textHeight + 5;
    RECT rect;
    rect.left = (screenWidth - width) / 2;
    rect.top = (screenHeight - height) / 2;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
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
            ShowWindow(m_hwnd, SW_SHOWNA);
            break;
        case WM_MOVE:
        case WM_SIZE:
            // Moves and sizes outside a move or size loop change nothing.
            if (IsWindowVisible(m_hwnd)) UpdateOverlay(MoveSizeText(wParam, lParam));
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

void CMoveSizeWnd::UpdateOverlay(const std::wstring& text)
{
    m_text = text;
    RECT measured = {};
    {
        CWindowDC dc(*this);
        const CGdiObject font(GetStockObject(DEFAULT_GUI_FONT), false);
        const CObjectSelection selection(dc, font);
        GetClientRect(measured);
        dc.DrawText(m_text.c_str(), static_cast<int>(m_text.size()), measured, MeasureFormat);
    }
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(placement);
    placement.rcNormalPosition =
        CentredOverlayRect(measured.right - measured.left, measured.bottom - measured.top,
                           GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
    SetWindowPlacement(placement);
    InvalidateRect(nullptr, true);
}

LRESULT CMoveSizeWnd::OnPaint(CPaintDC& dc)
{
    if (m_text.empty()) return 0;
    const CGdiObject font(GetStockObject(DEFAULT_GUI_FONT), false);
    const CObjectSelection selection(dc, font);
    RECT client = {};
    GetClientRect(client);
    dc.SetBkColor(GetSysColor(COLOR_INFOBK));
    dc.SetTextColor(GetSysColor(COLOR_INFOTEXT));
    dc.DrawText(m_text.c_str(), static_cast<int>(m_text.size()), client, PaintFormat);
    return 0;
}
