// Starting the programs the tests drive, and waiting while this thread's
// messages are pumped. The one way the tests start a process.
#pragma once

#include <windows.h>

#include <string>

namespace harness {

// The folder of the running test program, with its trailing backslash.
std::wstring ExecutableDirectory();
std::wstring Widen(const std::string& text);  // UTF-8 in

// A process started in a kill-on-close job: everything it starts ends with
// the object. Standard input and output are the given handles (inherited)
// when they are not null.
class ChildProcess {
public:
    explicit ChildProcess(const std::wstring& commandLine, HANDLE input = nullptr, HANDLE output = nullptr);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    DWORD Id() const { return m_process.dwProcessId; }
    HANDLE Handle() const { return m_process.hProcess; }
    bool Running() const;
    // The exit code once the process has ended, or STILL_ACTIVE; pumps meanwhile.
    DWORD WaitForExit(DWORD milliseconds = 20000);

private:
    PROCESS_INFORMATION m_process = {};
    HANDLE m_job = nullptr;
};

// Dispatches this thread's messages for the given time.
void PumpFor(DWORD milliseconds);

// Polls `condition` for up to `milliseconds`, pumping this thread's messages.
template <typename Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 5000)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        PumpFor(10);
    }
}

} // namespace harness
