// A stand-in for the shell's notification area, and Hovelle.exe in its own process.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

namespace harness {

class ChildProcess;
std::wstring ExecutableDirectory();  // as in Process.h

// What Wine's Shell_NotifyIconW sent: NIM_ADD, ... and its record (hWnd in 32 bits).
struct IconNotification {
    DWORD command, window;
    UINT id, flags, callbackMessage, iconWidth, iconHeight;
    std::wstring tip;
    size_t size;
};

// A topmost "Shell_TrayWnd" of this thread, found by Shell_NotifyIconW before
// Wine's own, that records the notifications (while the thread pumps
// messages) and answers FALSE when `refuse`, as a shell refusing the icon.
struct FakeTray {
    FakeTray();
    ~FakeTray() { DestroyWindow(window); }
    HWND Handle() const { return window; }
    std::vector<IconNotification> notifications;
    bool refuse = false;
    HWND window;
};

// Hovelle.exe of the test's folder, its main window and overlay once Ready();
// "Exit" at the end of the scope.
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
