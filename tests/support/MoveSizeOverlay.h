// A stand-in for the tray program's overlay window: a hidden window of class
// "HovelleMoveSizeWnd" titled "MoveSize" in the test process that records the
// "MOX_MOVESIZE" posts it receives.
#pragma once

#include <windows.h>

#include <vector>

namespace harness {

struct MoveSizePost {
    WPARAM cause;
    LPARAM data;
};

class MoveSizeOverlay {
public:
    MoveSizeOverlay();
    ~MoveSizeOverlay();
    MoveSizeOverlay(const MoveSizeOverlay&) = delete;
    MoveSizeOverlay& operator=(const MoveSizeOverlay&) = delete;

    HWND Handle() const { return m_window; }
    // What arrived so far, after delivering this thread's pending messages.
    std::vector<MoveSizePost> Posts();
    void Clear();

private:
    HWND m_window;
};

} // namespace harness
