#include "PackageHarness.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <stdexcept>

namespace package {

const wchar_t* const RunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const RunOnceKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t* const UninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Hovelle";
const wchar_t* const SettingsKey = L"Software\\Tenvale\\Hovelle";

namespace {

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) result = path;
    CoTaskMemFree(path);
    return result;
}

// Pumps this thread's messages while waiting, so windows of this thread never
// hold up a program that sends to every top-level window.
bool WaitPumping(HANDLE handle, DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
        const DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, left < 100 ? left : 100, QS_ALLINPUT);
        if (result == WAIT_OBJECT_0) return true;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (left == 0) return false;
    }
}

void PumpFor(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

HANDLE KillOnCloseJob()
{
    const HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

PROCESS_INFORMATION Start(const std::wstring& commandLine, HANDLE job)
{
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    for (int attempt = 0; attempt < 5; ++attempt) {
        // Starting a process occasionally fails with an internal error under load.
        if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                           &process)) {
            AssignProcessToJobObject(job, process.hProcess);
            ResumeThread(process.hThread);
            return process;
        }
        Sleep(200);
    }
    throw std::runtime_error("cannot start a process");
}

} // namespace

std::wstring Widen(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

bool EqualPaths(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::wstring ExecutableDirectory()
{
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring directory = path;
    return directory.substr(0, directory.find_last_of(L'\\') + 1);
}

std::wstring SetupProgram()
{
    const std::wstring folder = ExecutableDirectory() + L"..\\installer\\";
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW((folder + L"Hovelle-*-win64-setup.exe").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::wstring();
    FindClose(search);
    return folder + found.cFileName;
}

std::wstring InstallDirectory()
{
    return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Tenvale\\Hovelle";
}

std::wstring StartMenuShortcut()
{
    return KnownFolder(FOLDERID_Programs) + L"\\Hovelle.lnk";
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<char> FileBytes(const std::wstring& path)
{
    std::vector<char> bytes;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) read = 0;
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
}

std::vector<std::wstring> FilesIn(const std::wstring& directory)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found = {};
    const HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::wstring RegistryValue::String() const
{
    std::wstring text(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

DWORD RegistryValue::Dword() const
{
    DWORD value = 0;
    if (data.size() >= sizeof value) memcpy(&value, data.data(), sizeof value);
    return value;
}

RegistryValue ReadValue(HKEY root, const std::wstring& key, const wchar_t* name)
{
    RegistryValue value;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExW(handle, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExW(handle, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS) {
            value.data.resize(size);
            value.present = true;
        }
    }
    RegCloseKey(handle);
    return value;
}

bool KeyExists(HKEY root, const std::wstring& key)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

void DeleteValue(HKEY root, const std::wstring& key, const wchar_t* name)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
    RegDeleteValueW(handle, name);
    RegCloseKey(handle);
}

void DeleteKeyTree(HKEY root, const std::wstring& key)
{
    RegDeleteTreeW(root, key.c_str());
    RegDeleteKeyW(root, key.c_str());
}

Shortcut ReadShortcut(const std::wstring& path)
{
    Shortcut shortcut;
    const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
                wchar_t text[MAX_PATH * 2] = {};
                if (SUCCEEDED(link->GetPath(text, MAX_PATH * 2, nullptr, SLGP_RAWPATH))) shortcut.target = text;
                text[0] = L'\0';
                if (SUCCEEDED(link->GetDescription(text, MAX_PATH * 2))) shortcut.description = text;
                shortcut.loaded = true;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(initialised)) CoUninitialize();
    return shortcut;
}

Process::Process(const std::wstring& commandLine)
{
    m_job = KillOnCloseJob();
    m_process = Start(commandLine, m_job);
}

Process::~Process()
{
    if (Running()) TerminateProcess(m_process.hProcess, 1);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_job);
}

bool Process::Running() const
{
    return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD Process::WaitForExit(DWORD milliseconds)
{
    WaitPumping(m_process.hProcess, milliseconds);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

std::wstring Process::ImagePath() const
{
    wchar_t path[MAX_PATH * 2] = {};
    DWORD size = MAX_PATH * 2;
    if (!QueryFullProcessImageNameW(m_process.hProcess, 0, path, &size)) return std::wstring();
    return path;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (owner == search.processId && wcscmp(name, search.className) == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND Process::WaitForWindow(const wchar_t* className, DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        WindowSearch search = {Id(), className, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) return search.found;
        if (!Running() || GetTickCount64() >= end) return nullptr;
        WaitPumping(m_process.hProcess, 50);
    }
}

DWORD RunToEnd(const std::wstring& commandLine, DWORD milliseconds)
{
    // Everything the program starts lands in the same job; the run is over when
    // the job has no process left.
    const HANDLE job = KillOnCloseJob();
    const PROCESS_INFORMATION process = Start(commandLine, job);
    const ULONGLONG end = GetTickCount64() + milliseconds;
    DWORD code = STILL_ACTIVE;
    WaitPumping(process.hProcess, milliseconds);
    GetExitCodeProcess(process.hProcess, &code);
    for (;;) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                       nullptr) ||
            accounting.ActiveProcesses == 0) {
            break;
        }
        if (GetTickCount64() >= end) {
            code = STILL_ACTIVE;
            break;
        }
        PumpFor(50);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return code;
}

void RemoveInstallation()
{
    const std::wstring directory = InstallDirectory();
    for (const std::wstring& name : FilesIn(directory)) DeleteFileW((directory + L"\\" + name).c_str());
    RemoveDirectoryW(directory.c_str());
    RemoveDirectoryW((directory + L"\\..").c_str());
    DeleteFileW(StartMenuShortcut().c_str());
    DeleteValue(HKEY_CURRENT_USER, RunKey, L"Hovelle");
    DeleteValue(HKEY_CURRENT_USER, RunOnceKey, L"Hovelle cleanup");
    DeleteKeyTree(HKEY_CURRENT_USER, UninstallKey);
}

} // namespace package
