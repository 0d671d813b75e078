#include "Process.h"

#include <stdexcept>

namespace harness {

std::wstring ExecutableDirectory() {
    wchar_t path[MAX_PATH * 2] = {};
    const std::wstring directory(path, GetModuleFileNameW(nullptr, path, MAX_PATH * 2));
    return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

std::wstring Widen(const std::string& text) {
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    return MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], length), wide;
}

ChildProcess::ChildProcess(const std::wstring& commandLine, HANDLE input, HANDLE output) {
    m_job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    const bool redirect = input != nullptr || output != nullptr;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup, startup.hStdInput = input, startup.hStdOutput = output;
    if (redirect) startup.dwFlags = STARTF_USESTDHANDLES, startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring line = commandLine;
    for (int attempt = 0; attempt < 5; ++attempt, Sleep(200)) {  // fails now and then with an internal error under load
        if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, redirect, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                           &m_process)) {
            AssignProcessToJobObject(m_job, m_process.hProcess), ResumeThread(m_process.hThread);
            return;
        }
    }
    CloseHandle(m_job);
    throw std::runtime_error("cannot start a process");
}

ChildProcess::~ChildProcess() {
    if (Running()) TerminateProcess(m_process.hProcess, 1);
    CloseHandle(m_process.hThread), CloseHandle(m_process.hProcess), CloseHandle(m_job);
}

DWORD ChildProcess::WaitForExit(DWORD milliseconds) {
    WaitFor([&] { return !Running(); }, milliseconds);
    DWORD code = STILL_ACTIVE;
    return GetExitCodeProcess(m_process.hProcess, &code), code;
}

void PumpFor(DWORD milliseconds) {
    for (const ULONGLONG end = GetTickCount64() + milliseconds;;) {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

} // namespace harness
