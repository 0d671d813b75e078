// Helpers for the rollup, transparency and tray tests: what a window's
// placement, properties and layered attributes look like from outside, and a
// notification area owned by the test that records what the shell receives.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Harness.h"

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

// A "Shell_TrayWnd" of this thread, topmost so the shell finds it before
// Wine's own; it records every icon command and answers `accept`.
class TestTray {
public:
    explicit TestTray(bool accept = true);
    ~TestTray();
    TestTray(const TestTray&) = delete;
    TestTray& operator=(const TestTray&) = delete;

    HWND Window() const { return m_window; }
    const std::vector<TrayEvent>& Events() const { return m_events; }
    void Clear() { m_events.clear(); }
    // The commands received, in order.
    std::vector<DWORD> Commands() const;

private:
    static LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_window = nullptr;
    bool m_accept;
    std::vector<TrayEvent> m_events;
};

} // namespace harness
