// Helpers for the tests of the shipped files: the built programs next to the
// test, the setup program, the installed folder, registry values, shortcuts
// and processes started from wherever the files were installed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace package {

// The folder of the running test program, ending in a backslash.
std::wstring ExecutableDirectory();
// The setup program written by the build (..\installer\Hovelle-*-win64-setup.exe),
// or an empty string.
std::wstring SetupProgram();

// Where the setup program installs by default, and the Start-menu shortcut.
std::wstring InstallDirectory();
std::wstring StartMenuShortcut();

bool FileExists(const std::wstring& path);
bool DirectoryExists(const std::wstring& path);
std::vector<char> FileBytes(const std::wstring& path);
// The names of the files in a folder (not its subfolders).
std::vector<std::wstring> FilesIn(const std::wstring& directory);

struct RegistryValue {
    bool present = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    std::wstring String() const;  // REG_SZ text without the terminating NUL
    DWORD Dword() const;
};
RegistryValue ReadValue(HKEY root, const std::wstring& key, const wchar_t* name);
bool KeyExists(HKEY root, const std::wstring& key);
void DeleteValue(HKEY root, const std::wstring& key, const wchar_t* name);
void DeleteKeyTree(HKEY root, const std::wstring& key);

extern const wchar_t* const RunKey;
extern const wchar_t* const RunOnceKey;
extern const wchar_t* const UninstallKey;
extern const wchar_t* const SettingsKey;

struct Shortcut {
    bool loaded = false;
    std::wstring target;
    std::wstring description;
};
Shortcut ReadShortcut(const std::wstring& path);

// A process started from a command line, in a job that ends it (and what it
// started) when the object goes.
class Process {
public:
    explicit Process(const std::wstring& commandLine);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return m_process.dwProcessId; }
    bool Running() const;
    // The exit code once the process has ended, or STILL_ACTIVE.
    DWORD WaitForExit(DWORD milliseconds);
    // The full path of the process's program file.
    std::wstring ImagePath() const;
    // Waits for a top-level window of the class owned by this process.
    HWND WaitForWindow(const wchar_t* className, DWORD milliseconds);

private:
    PROCESS_INFORMATION m_process = {};
    HANDLE m_job = nullptr;
};

// Runs a command line to its end (and everything it started directly, as a
// setup program that hands over to a copy of itself does); returns the first
// process's exit code, or STILL_ACTIVE if the limit passed.
DWORD RunToEnd(const std::wstring& commandLine, DWORD milliseconds = 120000);

// Removes everything an earlier run may have left: installed files, the
// shortcut, the Run, RunOnce and Add/Remove Programs entries. Files still
// mapped by another process stay.
void RemoveInstallation();

bool EqualPaths(const std::wstring& a, const std::wstring& b);
std::wstring Widen(const std::string& text);

} // namespace package
