// Starting the programs the tests drive, waiting while this thread's messages are pumped, and reading their windows'
// texts. The one way the tests start a process.
#pragma once

#include <windows.h>

#include <string>

namespace harness {

std::wstring ExecutableDirectory();  // the folder of the running test program, with its trailing backslash
std::wstring Widen(const std::string& text);  // UTF-8 in
inline std::wstring Text(HWND window) { wchar_t text[1024] = {}; return GetWindowTextW(window, text, 1024), text; }
inline std::wstring MessageBoxText(HWND box) { return Text(GetDlgItem(box, 0xFFFF)); }  // its static control 0xFFFF

// A process started in a kill-on-close job: everything it starts ends with the object. Standard input and output
// are the given handles (inherited) when they are not null.
class ChildProcess {
public:
    explicit ChildProcess(const std::wstring& commandLine, HANDLE input = nullptr, HANDLE output = nullptr);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    DWORD Id() const { return m_process.dwProcessId; }
    bool Running() const { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD WaitForExit(DWORD milliseconds = 20000);  // the exit code once ended, or STILL_ACTIVE; pumps meanwhile

private:
    PROCESS_INFORMATION m_process = {};
    HANDLE m_job = nullptr;
};

void PumpFor(DWORD milliseconds);  // dispatches this thread's messages for the given time
// Polls `condition` for up to `milliseconds`, pumping this thread's messages.
template <typename Condition> bool WaitFor(Condition condition, DWORD milliseconds = 5000) {
    for (const ULONGLONG end = GetTickCount64() + milliseconds; !condition(); PumpFor(10)) {
        if (GetTickCount64() >= end) return false;
    }
    return true;
}

} // namespace harness
