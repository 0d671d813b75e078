#include "DebugLog.h"

#include <windows.h>

#include <aclapi.h>

#include <cwchar>
#include <memory>

#include "KernelHandle.h"
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

// The user this process runs as, or the owner it gives new objects (the
// Administrators group, for an elevated process), is the file's owner.
bool OwnedByThisUser(HANDLE file)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const std::unique_ptr<void, decltype(&LocalFree)> descriptorOwner(descriptor, LocalFree);
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const CKernelHandle tokenOwner(token);
    union {
        TOKEN_USER user;
        TOKEN_OWNER defaultOwner;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } data;
    DWORD size = 0;
    if (GetTokenInformation(token, TokenUser, &data, sizeof data, &size) && EqualSid(owner, data.user.User.Sid)) {
        return true;
    }
    return GetTokenInformation(token, TokenOwner, &data, sizeof data, &size) && EqualSid(owner, data.defaultOwner.Owner);
}

// The log file, opened only when it is a plain file of the user this process
// runs as. C:\Lorvek can be made by any user: a file another user put there,
// a link or other reparse point, or a second name of another file, is not
// written to, so nobody can point this user's lines elsewhere or have them
// written at all.
class CLogFile {
public:
    explicit CLogFile(const wchar_t* path)
        : m_file(CreateFileW(path, GENERIC_WRITE | READ_CONTROL, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr))
    {
        BY_HANDLE_FILE_INFORMATION info = {};
        const DWORD refused = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;
        m_private = m_file.IsOpen() && GetFileType(m_file.Handle()) == FILE_TYPE_DISK &&
                    GetFileInformationByHandle(m_file.Handle(), &info) && (info.dwFileAttributes & refused) == 0 &&
                    info.nNumberOfLinks == 1 && OwnedByThisUser(m_file.Handle());
    }
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;
    bool IsOpen() const { return m_private; }
    void Append(const wchar_t* line, std::size_t length) const
    {
        SetFilePointer(m_file.Handle(), 0, nullptr, FILE_END);
        DWORD written = 0;
        WriteFile(m_file.Handle(), line, static_cast<DWORD>(length * sizeof(wchar_t)), &written, nullptr);
        const wchar_t lineFeed = L'\n';
        WriteFile(m_file.Handle(), &lineFeed, sizeof lineFeed, &written, nullptr);
    }

private:
    CKernelHandle m_file;
    bool m_private;
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
            // Missing, or refused: either way silent, and cheap for a while.
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
