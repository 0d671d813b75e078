// Helpers for the rollup, transparency and tray tests: what a window's
// placement, properties and layered attributes look like from outside, and a
// notification area owned by the test that records what the shell receives.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "Harness.h"
#include "TrayHarness.h"

namespace harness {

struct Placement {
    UINT showCmd = 0;
    RECT normal = {};
    LONG NormalHeight() const { return normal.bottom - normal.top; }
};
// The window's placement, read on the window's own thread.
Placement GetPlacement(TargetProcess& target, HWND window);

// A window property as an integer, read from this process.
INT_PTR Property(HWND window, const wchar_t* name);

struct LayeredAttributes {
    bool read = false;  // GetLayeredWindowAttributes succeeded
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
};
LayeredAttributes GetLayered(HWND window);
bool IsLayered(HWND window);

// Every visible popup menu window of a process.
std::vector<HWND> OpenMenus(DWORD processId);

// What Shell_NotifyIconW hands to the notification area: Wine's shell sends
// WM_COPYDATA to the first "Shell_TrayWnd" with the NIM_ command as dwData
// and this record (followed by the icon's bits) as the data.
struct ShellIconRecord {
    LONG hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    UINT uTimeoutOrVersion;
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
    GUID guidItem;
    UINT iconWidth;
    UINT iconHeight;
    UINT iconPlanes;
    UINT iconBpp;
};

struct TrayEvent {
    DWORD command = 0;  // NIM_ADD, NIM_DELETE, ...
    HWND window = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    std::wstring tip;
    UINT iconWidth = 0;
    UINT iconHeight = 0;
    DWORD size = 0;  // cbData
};

// The icon commands as the notification area received them, read from a
// FakeTray (tests/support/TrayHarness.h) that answers `accept`. Events are
// kept in a deque, so a reference to one stays valid as more arrive.
class TestTray {
public:
    explicit TestTray(bool accept = true) { m_tray.refuse = !accept; }
    TestTray(const TestTray&) = delete;
    TestTray& operator=(const TestTray&) = delete;

    HWND Window() const { return m_tray.Handle(); }
    const std::deque<TrayEvent>& Events() const;
    void Clear();
    // The commands received, in order.
    std::vector<DWORD> Commands() const;

private:
    FakeTray m_tray;
    mutable std::deque<TrayEvent> m_events;
};

} // namespace harness
