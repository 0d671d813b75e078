// Helpers for the tests of the tray program: Hovelle.exe in its own process,
// its registry key, and a stand-in for the shell's notification area.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace harness {

// The settings key of the tray program, HKCU "Software\Tenvale\Hovelle".
extern const wchar_t* const HovelleKey;

// Removes the key with everything below it.
void DeleteHovelleKey();
// Writes one value below the key (created as needed).
void SetHovelleValue(const wchar_t* name, DWORD type, const void* data, DWORD size);
void SetHovelleDword(const wchar_t* name, DWORD value);
// A REG_MULTI_SZ value from its code units, terminators included as given.
void SetHovelleUnits(const wchar_t* name, const std::wstring& units, DWORD type = REG_MULTI_SZ);

struct StoredValue {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
    DWORD Dword() const;
    std::wstring Units() const;  // the data as UTF-16 code units
};
StoredValue ReadHovelleValue(const wchar_t* name);

// What Wine's Shell_NotifyIconW sent to the notification area.
struct IconNotification {
    DWORD command = 0;  // NIM_ADD, NIM_DELETE, ...
    DWORD window = 0;   // the icon's window handle, 32 bits
    UINT id = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    std::wstring tip;
    UINT iconWidth = 0;
    UINT iconHeight = 0;
    size_t size = 0;
    std::vector<BYTE> raw;
    // The icon's colour at (x, y), top row first, as 0x00RRGGBB, and whether
    // its mask makes the pixel transparent (32 x 32 icons of 32 bits only).
    UINT IconColour(int x, int y) const;
    bool IconTransparent(int x, int y) const;
};

// A topmost "Shell_TrayWnd" window of this thread that Shell_NotifyIconW
// finds before Wine's own, recording every icon notification it receives.
// The thread must pump messages (WaitFor does) while a program adds icons.
class FakeTray {
public:
    FakeTray();
    ~FakeTray();
    FakeTray(const FakeTray&) = delete;
    FakeTray& operator=(const FakeTray&) = delete;

    std::vector<IconNotification> notifications;
    HWND Handle() const { return m_window; }

private:
    HWND m_window = nullptr;
};

// Hovelle.exe, started from the test's own directory. Everything it started
// ends with the object.
class HovelleProcess {
public:
    HovelleProcess();
    ~HovelleProcess();
    HovelleProcess(const HovelleProcess&) = delete;
    HovelleProcess& operator=(const HovelleProcess&) = delete;

    // Waits until the main window and the overlay exist; false if they do
    // not come within the limit or the process ends first.
    bool WaitUntilReady(DWORD milliseconds = 20000);
    HWND MainWindow() const { return m_main; }
    HWND Overlay() const { return m_overlay; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    bool Running() const;
    // The exit code once the process has ended, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD milliseconds = 20000);

private:
    PROCESS_INFORMATION m_process = {};
    HANDLE m_job = nullptr;
    HWND m_main = nullptr;
    HWND m_overlay = nullptr;
};

// A visible top-level window of the process with the class, or null.
HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly);

} // namespace harness
