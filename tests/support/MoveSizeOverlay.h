// A stand-in for the tray program's overlay: a hidden "HovelleMoveSizeWnd"
// titled "MoveSize" that records the "MOX_MOVESIZE" posts it receives.
#pragma once

#include <windows.h>

#include <vector>

namespace harness {

struct MoveSizePost {
    WPARAM cause;
    LPARAM data;
};

struct MoveSizeOverlay {
    MoveSizeOverlay();
    ~MoveSizeOverlay() { DestroyWindow(window); }
    std::vector<MoveSizePost> Posts();  // after delivering this thread's pending messages
    void Clear();
    HWND window;
};

} // namespace harness
