#include "MoveSizeOverlay.h"

#include "Harness.h"

namespace harness {

namespace {

std::vector<MoveSizePost> received;

LRESULT CALLBACK OverlayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == RegisterWindowMessageW(L"MOX_MOVESIZE")) {
        received.push_back(MoveSizePost{wParam, lParam});
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

MoveSizeOverlay::MoveSizeOverlay()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OverlayWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"HovelleMoveSizeWnd";
    RegisterClassExW(&windowClass);
    m_window = CreateWindowExW(WS_EX_TOOLWINDOW, L"HovelleMoveSizeWnd", L"MoveSize", WS_POPUP, 0, 0, 10, 10, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
    received.clear();
}

MoveSizeOverlay::~MoveSizeOverlay()
{
    DestroyWindow(m_window);
    received.clear();
}

std::vector<MoveSizePost> MoveSizeOverlay::Posts()
{
    WaitFor([] { return false; }, 50);
    return received;
}

void MoveSizeOverlay::Clear()
{
    WaitFor([] { return false; }, 50);
    received.clear();
}

} // namespace harness
