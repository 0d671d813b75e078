#include "MoveSizeOverlay.h"

#include "Process.h"

namespace harness {

static std::vector<MoveSizePost> received;

static LRESULT CALLBACK OverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != RegisterWindowMessageW(L"MOX_MOVESIZE")) return DefWindowProcW(window, message, wParam, lParam);
    received.push_back({wParam, lParam});
    return 0;
}

MoveSizeOverlay::MoveSizeOverlay()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OverlayProc;
    windowClass.lpszClassName = L"HovelleMoveSizeWnd";
    RegisterClassExW(&windowClass);
    window = CreateWindowExW(0, windowClass.lpszClassName, L"MoveSize", WS_POPUP, 0, 0, 1, 1, 0, 0, 0, 0);
    received.clear();
}

std::vector<MoveSizePost> MoveSizeOverlay::Posts()
{
    PumpFor(50);
    return received;
}

void MoveSizeOverlay::Clear()
{
    PumpFor(50);
    received.clear();
}

} // namespace harness
