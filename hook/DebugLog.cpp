#include "DebugLog.h"

#include <windows.h>

#include <cwchar>

#include "Reg.h"

// A folder that does not exist until somebody wants the log: the failed open
// of a silent log then ends at the first missing path component.
const wchar_t LogDestination[] = L"File:C:\\Lorvek\\Lorvek.log";

namespace {

bool StartsWith(const wchar_t* text, const wchar_t* prefix, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i) {
        if (text[i] != prefix[i]) return false;  // also stops at the end of text
    }
    return true;
}

// Closes the file handle at the end of the scope.
class CLogFile {
public:
    explicit CLogFile(const wchar_t* path)
        : m_handle(CreateFileW(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;
    ~CLogFile()
    {
        if (IsOpen()) CloseHandle(m_handle);
    }
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Append(const wchar_t* line, std::size_t length) const
    {
        SetFilePointer(m_handle, 0, nullptr, FILE_END);
        DWORD written = 0;
        WriteFile(m_handle, line, static_cast<DWORD>(length * sizeof(wchar_t)), &written, nullptr);
        const wchar_t lineFeed = L'\n';
        WriteFile(m_handle, &lineFeed, sizeof lineFeed, &written, nullptr);
    }

private:
    HANDLE m_handle;
};

// The log file this process last found missing, and when: it is not looked
// for again until MissingFileMemory milliseconds have passed.
SRWLOCK missingLock = SRWLOCK_INIT;
wchar_t missingPath[MAX_PATH];
ULONGLONG missingSince = 0;

bool RememberedMissing(const wchar_t* path, ULONGLONG now)
{
    AcquireSRWLockShared(&missingLock);
    const bool missing = missingSince != 0 && now - missingSince < MissingFileMemory && wcscmp(path, missingPath) == 0;
    ReleaseSRWLockShared(&missingLock);
    return missing;
}

void RememberMissing(const wchar_t* path, ULONGLONG now)
{
    if (wcslen(path) >= MAX_PATH) return;
    AcquireSRWLockExclusive(&missingLock);
    wcscpy(missingPath, path);
    missingSince = now == 0 ? 1 : now;
    ReleaseSRWLockExclusive(&missingLock);
}

} // namespace

bool LogFileMayExist(const wchar_t* destination)
{
    const wchar_t* rest = nullptr;
    return ParseLogDestination(destination, &rest) != LogTarget::File || !RememberedMissing(rest, GetTickCount64());
}

LogTarget ParseLogDestination(const wchar_t* destination, const wchar_t** rest)
{
    static const wchar_t debugger[] = L"OutputDebug:";
    static const wchar_t file[] = L"File:";
    static const wchar_t registry[] = L"Reg:";
    LogTarget target = LogTarget::None;
    std::size_t skip = 0;
    if (destination == nullptr) {
        destination = L"";
    } else if (StartsWith(destination, debugger, 12)) {
        target = LogTarget::Debugger;
        skip = 12;
    } else if (StartsWith(destination, file, 5)) {
        target = LogTarget::File;
        skip = 5;
    } else if (StartsWith(destination, registry, 4)) {
        target = LogTarget::Registry;
        skip = 4;
    }
    if (rest != nullptr) *rest = destination + skip;
    return target;
}

void WriteLogLine(const wchar_t* destination, const wchar_t* format, va_list arguments)
{
    const wchar_t* rest = nullptr;
    LogTarget target = ParseLogDestination(destination, &rest);
    wchar_t resolved[LogLineCapacity];
    if (target == LogTarget::Registry) {
        ReadRegistryString(rest, resolved, LogLineCapacity);
        target = ParseLogDestination(resolved, &rest);
    }
    wchar_t line[LogLineCapacity];
    if (target == LogTarget::Debugger) {
        FormatLogLine(line, LogLineCapacity, format, arguments);
        OutputDebugStringW(line);
        OutputDebugStringW(L"\n");
    } else if (target == LogTarget::File) {
        // The file usually does not exist: the line is only formatted once it
        // has opened, and a failed open is remembered for a moment, so a
        // silent log costs a clock read and a comparison.
        const ULONGLONG now = GetTickCount64();
        if (RememberedMissing(rest, now)) return;
        const DWORD error = GetLastError();
        const CLogFile file(rest);
        if (!file.IsOpen()) {
            RememberMissing(rest, now);
            SetLastError(error);
            return;
        }
        const std::size_t length = FormatLogLine(line, LogLineCapacity, format, arguments);
        file.Append(line, length);
    }
}

int LogMessage(const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    WriteLogLine(LogDestination, format, arguments);
    va_end(arguments);
    return 0;
}
