// The setup program under wine64, silent: an install without "Start with Windows", one over the running
// program, and the uninstall of the running program.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "../support/Process.h"

#include <shellapi.h>

using namespace harness;
using namespace std::string_literals;

namespace {

// A string (the first of a list) of the current user's software key, or "-".
std::wstring Value(const std::wstring& key, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    const DWORD types = RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ;
    return RegGetValueW(HKEY_CURRENT_USER, (L"Software\\" + key).c_str(), name, types, 0, text, &size) ? L"-" : text;
}

std::string Bytes(const std::wstring& path) {
    std::ifstream file(std::string(path.begin(), path.end()), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// Runs a setup program to its end, then until `done` (an uninstaller goes on in a copy of itself).
template <typename Done>
bool RunSetup(const std::wstring& commandLine, Done done) {
    ChildProcess setup(commandLine);
    return setup.WaitForExit(60000) == 0 && WaitFor(done, 60000);
}

TEST(Setup, InstallsReplacesTheRunningProgramAndUninstallsIt) {
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES", L"mscoree,mshtml=;winemenubuilder.exe=d");  // no host menus
    const std::wstring built = ExecutableDirectory(), windows = L"Microsoft\\Windows\\CurrentVersion\\";
    WIN32_FIND_DATAW found = {};
    FindClose(FindFirstFileW((built + L"..\\installer\\Hovelle-*-win64-setup.exe").c_str(), &found));
    const std::wstring setup = L"\"" + built + L"..\\installer\\" + found.cFileName + L"\" /S";
    wchar_t folder[MAX_PATH] = {}, shortcut[MAX_PATH] = {};
    ExpandEnvironmentStringsW(L"%LOCALAPPDATA%\\Programs\\Tenvale\\Hovelle\\", folder, MAX_PATH);
    ExpandEnvironmentStringsW(L"%APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Hovelle.lnk", shortcut, MAX_PATH);
    const std::wstring program = L"\"" + (folder + L"Hovelle.exe\""s), uninstall = L"\"" + (folder + L"Uninstall.exe\""s);
    const auto started = [] { return WaitFor([] { return FindWindowW(L"HovelleMoveSizeWnd", nullptr); }, 20000); };
    const auto uninstalled = [&] { return Value(windows + L"Uninstall\\Hovelle", L"DisplayName") == L"-"; };
    const std::shared_ptr<void> cleanUp(nullptr, [&](void*) {  // also after a failed assertion
        if (GetFileAttributesW((folder + L"Uninstall.exe"s).c_str()) != INVALID_FILE_ATTRIBUTES && !uninstalled()) RunSetup(uninstall + L" /S", uninstalled);
        RegDeleteKeyValueW(HKEY_CURRENT_USER, (L"Software\\" + windows + L"Run").c_str(), L"Hovelle");
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tenvale");
    });
    // Wine's shell ends when no program has shown a window for a while and comes back with the next one: a
    // program starting meanwhile finds no notification area for its icon. A window of this process keeps it.
    const HWND keeper = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAW icon = {};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE, icon.hWnd = keeper;
    ASSERT_TRUE(WaitFor([&] { return Shell_NotifyIconW(NIM_ADD, &icon) && Shell_NotifyIconW(NIM_DELETE, &icon); }, 20000));

    ASSERT_TRUE(RunSetup(setup + L" /AUTOSTART=0", [] { return true; })) << "the build's setup program";
    EXPECT_TRUE(Bytes(folder + L"Hovelle.exe"s) == Bytes(built + L"Hovelle.exe") && Bytes(folder + L"Lorvek.dll"s) == Bytes(built + L"Lorvek.dll"));
    EXPECT_NE(GetFileAttributesW(shortcut), INVALID_FILE_ATTRIBUTES);
    std::vector<std::wstring> entry = {Value(windows + L"Run", L"Hovelle")};
    for (const wchar_t* name : {L"DisplayName", L"DisplayVersion", L"Publisher", L"InstallLocation", L"UninstallString",
                                L"QuietUninstallString", L"DisplayIcon"}) {
        entry.push_back(Value(windows + L"Uninstall\\Hovelle", name));
    }
    const std::wstring location(folder, wcslen(folder) - 1);
    EXPECT_EQ(entry, (std::vector<std::wstring>{L"-", L"Hovelle", L"1.5.0", L"Tenvale", location, uninstall,
                                                uninstall + L" /S", program + L",0"}));
    {
        // Over the running program, which it closes first; "Start with Windows" is on by default.
        ChildProcess running(program);
        ASSERT_TRUE(started() && RunSetup(setup, [] { return true; }));
        EXPECT_EQ(running.WaitForExit(10000), 0u);
        EXPECT_EQ(Value(windows + L"Run", L"Hovelle"), program);
    }
    // The uninstaller closes the program started as at logon and removes all but the settings; a file in use
    // may stay only under another name.
    ChildProcess running(Value(windows + L"Run", L"Hovelle"));
    ASSERT_TRUE(started() && RunSetup(uninstall + L" /S", uninstalled));
    EXPECT_EQ(running.WaitForExit(10000), 0u);
    for (const std::wstring& path : {folder + L"Hovelle.exe"s, folder + L"Lorvek.dll"s, folder + L"Uninstall.exe"s, std::wstring(shortcut)}) {
        EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(Value(windows + L"Run", L"Hovelle") + Value(L"Tenvale\\Hovelle", L"IgnoreClasses"), L"-JWinproj*");
}

} // namespace
