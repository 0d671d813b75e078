// The setup program under wine64, silent: an install without "Start with
// Windows", one over the running program, and the uninstall of the running program.
#include <gtest/gtest.h>

#include <fstream>

#include "../support/Process.h"

using namespace harness;

namespace {

// A string (the first of a list) of the current user's registry, or "-".
std::wstring Value(const std::wstring& key, const wchar_t* name)
{
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    const DWORD types = RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ;
    return RegGetValueW(HKEY_CURRENT_USER, (L"Software\\" + key).c_str(), name, types, 0, text, &size) ? L"-" : text;
}

std::string Bytes(const std::wstring& path)
{
    return std::string(std::istreambuf_iterator<char>(std::ifstream(std::string(path.begin(), path.end())).rdbuf()), {});
}

// Runs a setup program to its end, and until `done` (an uninstaller goes on in a copy of itself).
template <typename Done>
bool RunUntil(const std::wstring& commandLine, Done done)
{
    ChildProcess setup(commandLine);
    return setup.WaitForExit(60000) == 0 && WaitFor(done, 60000);
}

bool Started()
{
    return WaitFor([] { return FindWindowW(L"HovelleMoveSizeWnd", nullptr) != nullptr; }, 20000);
}

TEST(Setup, InstallsReplacesTheRunningProgramAndUninstallsIt)
{
    // Wine would hand each new shortcut to the desktop of this machine.
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mscoree,mshtml=;winemenubuilder.exe=d");
    const std::wstring built = ExecutableDirectory(), windows = L"Microsoft\\Windows\\CurrentVersion\\";
    WIN32_FIND_DATAW setup = {};
    FindClose(FindFirstFileW((built + L"..\\installer\\Hovelle-*-win64-setup.exe").c_str(), &setup));
    const std::wstring install = L"\"" + built + L"..\\installer\\" + setup.cFileName + L"\" /S";
    wchar_t folder[MAX_PATH] = {}, shortcut[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%LOCALAPPDATA%\\Programs\\Tenvale\\Hovelle", folder, MAX_PATH);
    ExpandEnvironmentStringsW(L"%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Hovelle.lnk", shortcut, MAX_PATH);
    const std::wstring program = L"\"" + std::wstring(folder) + L"\\Hovelle.exe\"";
    const std::wstring uninstall = L"\"" + std::wstring(folder) + L"\\Uninstall.exe\"";

    ASSERT_TRUE(RunUntil(install + L" /AUTOSTART=0", [] { return true; })) << "the build's setup program";
    for (const wchar_t* file : {L"Hovelle.exe", L"Lorvek.dll"}) {
        EXPECT_TRUE(Bytes(folder + (L"\\" + std::wstring(file))) == Bytes(built + file)) << "the built file";
    }
    EXPECT_NE(GetFileAttributesW(shortcut), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Value(windows + L"Run", L"Hovelle"), L"-");
    const std::vector<std::wstring> entry = {L"Hovelle", L"1.5.0", L"Tenvale", folder, uninstall, uninstall + L" /S",
                                             program + L",0"};
    std::vector<std::wstring> stored;
    for (const wchar_t* name : {L"DisplayName", L"DisplayVersion", L"Publisher", L"InstallLocation", L"UninstallString",
                                L"QuietUninstallString", L"DisplayIcon"}) {
        stored.push_back(Value(windows + L"Uninstall\\Hovelle", name));
    }
    EXPECT_EQ(stored, entry);

    // Over the running program, which it closes first; "Start with Windows" is on by default.
    {
        ChildProcess running(program);
        ASSERT_TRUE(Started());
        ASSERT_TRUE(RunUntil(install, [] { return true; }));
        EXPECT_EQ(running.WaitForExit(10000), 0u);
    }
    EXPECT_EQ(Value(windows + L"Run", L"Hovelle"), program);

    // The uninstaller closes the program started as at logon and removes all but the settings.
    ChildProcess running(Value(windows + L"Run", L"Hovelle"));
    ASSERT_TRUE(Started());
    ASSERT_TRUE(RunUntil(uninstall + L" /S", [&] { return Value(windows + L"Uninstall\\Hovelle", L"DisplayName") == L"-"; }));
    EXPECT_EQ(running.WaitForExit(10000), 0u);
    // A file in use may stay only under another name.
    for (const wchar_t* file : {L"\\Hovelle.exe", L"\\Lorvek.dll", L"\\Uninstall.exe"}) {
        EXPECT_EQ(GetFileAttributesW((folder + std::wstring(file)).c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(GetFileAttributesW(shortcut), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Value(windows + L"Run", L"Hovelle"), L"-");
    EXPECT_EQ(Value(L"Tenvale\\Hovelle", L"IgnoreClasses"), L"JWinproj*");
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale");
}

} // namespace
