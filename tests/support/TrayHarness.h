// Stand-ins for what the tray program talks to, and Hovelle.exe in its own process.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <memory>
#include <string>
#include <vector>

namespace harness {
class ChildProcess;
// What Wine's Shell_NotifyIconW sent: NIM_ADD, ... and its record (hWnd in 32 bits), the balloon's text in info.
struct IconNotification {
    DWORD command, window;
    UINT id, flags, callbackMessage, iconWidth, iconHeight;
    std::wstring tip, info;
    size_t size;
};
// A topmost "Shell_TrayWnd", found by Shell_NotifyIconW before Wine's own, that records the notifications
// (while this thread pumps messages) and answers FALSE when `refuse`.
struct FakeTray {
    FakeTray();
    ~FakeTray() { DestroyWindow(window); }
    HWND Handle() const { return window; }
    std::vector<DWORD> Commands() const;  // those of the icon of id 0
    HWND window;
    std::vector<IconNotification> notifications;
    bool refuse = false;
};
// A hidden "HovelleMoveSizeWnd" titled "MoveSize", in place of the program's overlay, that records the
// "MOX_MOVESIZE" posts (after pumping 50 ms).
struct MoveSizePost { WPARAM cause; LPARAM data; };
struct MoveSizeOverlay {
    MoveSizeOverlay();
    ~MoveSizeOverlay() { DestroyWindow(window); }
    std::vector<MoveSizePost> Posts();
    HWND window;
};
// Hovelle.exe of the test's folder, its main window and overlay once Ready(); "Exit" at the end of the scope.
struct HovelleProcess {
    HovelleProcess();
    ~HovelleProcess();
    bool Ready();
    bool Running() const;
    DWORD WaitForExit();  // the exit code, or STILL_ACTIVE after 10 s
    HWND Find(const wchar_t* className, bool visibleOnly = false) const;  // a top-level window of it
    std::unique_ptr<ChildProcess> process;
    HWND main = nullptr, overlay = nullptr;
};
} // namespace harness
