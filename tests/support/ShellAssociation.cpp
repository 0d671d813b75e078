#include "ShellAssociation.h"

namespace harness {

namespace {

// The handlers live in HKEY_CLASSES_ROOT itself (Wine does not merge
// HKCU\Software\Classes into it); the prefix's own keys wait under this
// key of the current user until the scope ends.
const wchar_t* const BackupKey = L"Software\\HovelleTests\\SavedProtocolHandlers";

void SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS) {
        return;
    }
    RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
}

bool KeyExists(HKEY root, const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

// Copies a whole key of one root to a fresh key of another.
void CopyKey(HKEY fromRoot, const std::wstring& from, HKEY toRoot, const std::wstring& to)
{
    HKEY source = nullptr;
    HKEY target = nullptr;
    if (RegOpenKeyExW(fromRoot, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) return;
    RegDeleteTreeW(toRoot, to.c_str());
    if (RegCreateKeyExW(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr) ==
        ERROR_SUCCESS) {
        RegCopyTreeW(source, nullptr, target);
        RegCloseKey(target);
    }
    RegCloseKey(source);
}

// Puts the saved key of the scheme back (if one was saved) and forgets the copy.
void RestoreScheme(const std::wstring& scheme)
{
    const std::wstring saved = std::wstring(BackupKey) + L"\\" + scheme;
    if (!KeyExists(HKEY_CURRENT_USER, saved)) return;
    RegDeleteTreeW(HKEY_CLASSES_ROOT, scheme.c_str());
    CopyKey(HKEY_CURRENT_USER, saved, HKEY_CLASSES_ROOT, scheme);
    RegDeleteTreeW(HKEY_CURRENT_USER, saved.c_str());
}

} // namespace

std::wstring TestDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

RecordingProtocolHandlers::RecordingProtocolHandlers(const std::vector<std::wstring>& schemes)
    : m_schemes(schemes), m_log(TestDirectory() + L"shell-open.log")
{
    DeleteFileW(m_log.c_str());
    const std::wstring recorder = L"\"" + TestDirectory() + L"shell_recorder.exe\"";
    for (const std::wstring& scheme : m_schemes) {
        // A run that ended early left its handlers in place: the saved keys
        // are still the prefix's own.
        RestoreScheme(scheme);
        CopyKey(HKEY_CLASSES_ROOT, scheme, HKEY_CURRENT_USER, std::wstring(BackupKey) + L"\\" + scheme);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, scheme.c_str());
        SetValue(scheme, nullptr, L"URL:" + scheme);
        SetValue(scheme, L"URL Protocol", L"");
        SetValue(scheme + L"\\shell", nullptr, L"view");
        SetValue(scheme + L"\\shell\\open\\command", nullptr, recorder + L" open %1");
        SetValue(scheme + L"\\shell\\view\\command", nullptr, recorder + L" view %1");
    }
}

RecordingProtocolHandlers::~RecordingProtocolHandlers()
{
    for (const std::wstring& scheme : m_schemes) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, scheme.c_str());
        RestoreScheme(scheme);
    }
    // Only empty keys go.
    RegDeleteKeyW(HKEY_CURRENT_USER, BackupKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\HovelleTests");
}

std::vector<std::wstring> RecordingProtocolHandlers::Recorded() const
{
    std::vector<std::wstring> lines;
    const HANDLE file = CreateFileW(m_log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return lines;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(file);
    size_t start = 0;
    for (size_t end = bytes.find('\n'); end != std::string::npos; start = end + 1, end = bytes.find('\n', start)) {
        const std::string line = bytes.substr(start, end - start);
        std::wstring wide(line.size(), L'\0');
        const int length = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &wide[0],
                                               static_cast<int>(wide.size()));
        wide.resize(static_cast<size_t>(length > 0 ? length : 0));
        lines.push_back(wide);
    }
    return lines;
}

bool RecordingProtocolHandlers::WaitForRecorded(size_t count, DWORD milliseconds) const
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (Recorded().size() >= count) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
}

} // namespace harness
