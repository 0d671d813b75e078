// The setup program under wine64: a silent install into the test prefix, the
// installed program at work, and the silent uninstaller stopping it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Harness.h"
#include "PackageHarness.h"

using namespace package;

namespace {

const wchar_t* const Program = L"Hovelle.exe";
const wchar_t* const HookLibrary = L"Lorvek.dll";

std::wstring Quoted(const std::wstring& text)
{
    return L"\"" + text + L"\"";
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) narrow += c < 128 ? static_cast<char>(c) : '?';
    return narrow;
}

bool EndsWith(const std::wstring& text, const std::wstring& end)
{
    return text.size() >= end.size() && EqualPaths(text.substr(text.size() - end.size()), end);
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_setup = SetupProgram();
        ASSERT_FALSE(m_setup.empty()) << "the build writes installer\\Hovelle-<version>-win64-setup.exe";
        // Wine would hand every new shortcut to the host's desktop menus.
        wchar_t overrides[512] = {};
        GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 512);
        std::wstring value = overrides;
        if (value.find(L"winemenubuilder") == std::wstring::npos) {
            SetEnvironmentVariableW(L"WINEDLLOVERRIDES", (value.empty() ? value : value + L";").append(
                                                             L"winemenubuilder.exe=d").c_str());
        }
        WindowManagerStop();
        harness::ResetSharedSettings();
        DeleteKeyTree(HKEY_CURRENT_USER, SettingsKey);
        RemoveInstallation();
        m_directory = InstallDirectory();
    }
    void TearDown() override
    {
        RemoveInstallation();
        DeleteKeyTree(HKEY_CURRENT_USER, SettingsKey);
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Tenvale");
    }

    DWORD Install(const std::wstring& options = L"") { return RunToEnd(Quoted(m_setup) + L" /S" + options); }
    DWORD Uninstall(const std::wstring& options = L"")
    {
        return RunToEnd(Quoted(m_directory + L"\\Uninstall.exe") + L" /S" + options);
    }
    std::wstring Installed(const wchar_t* name) const { return m_directory + L"\\" + name; }

    // After an uninstall: the installed names are gone. A file that another
    // process still maps (Wine never unloads a hook library from the processes
    // it entered) may remain only under a name ending in ".old", with a
    // RunOnce command that deletes it at the next logon.
    void ExpectFilesRemoved()
    {
        EXPECT_FALSE(FileExists(Installed(Program)));
        EXPECT_FALSE(FileExists(Installed(HookLibrary)));
        EXPECT_FALSE(FileExists(Installed(L"Uninstall.exe")));
        EXPECT_FALSE(FileExists(StartMenuShortcut()));
        const auto left = FilesIn(m_directory);
        for (const std::wstring& name : left) EXPECT_TRUE(EndsWith(name, L".old")) << Narrow(name);
        if (!left.empty()) {
            const RegistryValue cleanup = ReadValue(HKEY_CURRENT_USER, RunOnceKey, L"Hovelle cleanup");
            EXPECT_TRUE(cleanup.present);
            EXPECT_NE(cleanup.String().find(L"del /f /q " + Quoted(m_directory + L"\\*.old")), std::wstring::npos)
                << Narrow(cleanup.String());
        } else {
            EXPECT_FALSE(DirectoryExists(m_directory));
        }
    }

    std::wstring m_setup;
    std::wstring m_directory;
};

} // namespace

TEST_F(Installer, SilentInstallWritesFilesShortcutRunAndUninstallEntries)
{
    ASSERT_EQ(Install(), 0u);

    // The two built files, unchanged, and the uninstaller.
    EXPECT_EQ(FileBytes(Installed(Program)), FileBytes(ExecutableDirectory() + Program));
    EXPECT_EQ(FileBytes(Installed(HookLibrary)), FileBytes(ExecutableDirectory() + HookLibrary));
    EXPECT_TRUE(FileExists(Installed(L"Uninstall.exe")));

    const Shortcut shortcut = ReadShortcut(StartMenuShortcut());
    ASSERT_TRUE(shortcut.loaded) << Narrow(StartMenuShortcut());
    EXPECT_TRUE(EqualPaths(shortcut.target, Installed(Program))) << Narrow(shortcut.target);
    EXPECT_EQ(shortcut.description, L"Tenvale Window Manager");

    // "Start with Windows" is chosen unless switched off.
    const RegistryValue run = ReadValue(HKEY_CURRENT_USER, RunKey, L"Hovelle");
    ASSERT_TRUE(run.present);
    EXPECT_EQ(run.type, static_cast<DWORD>(REG_SZ));
    EXPECT_TRUE(EqualPaths(run.String(), Quoted(Installed(Program)))) << Narrow(run.String());

    auto entry = [](const wchar_t* name) { return ReadValue(HKEY_CURRENT_USER, UninstallKey, name); };
    EXPECT_EQ(entry(L"DisplayName").String(), L"Hovelle");
    EXPECT_EQ(entry(L"Publisher").String(), L"Tenvale");
    EXPECT_EQ(entry(L"DisplayVersion").String(), L"1.5.0");
    EXPECT_TRUE(EqualPaths(entry(L"InstallLocation").String(), m_directory));
    EXPECT_TRUE(EqualPaths(entry(L"UninstallString").String(), Quoted(Installed(L"Uninstall.exe"))));
    EXPECT_TRUE(EqualPaths(entry(L"QuietUninstallString").String(), Quoted(Installed(L"Uninstall.exe")) + L" /S"));
    EXPECT_TRUE(EqualPaths(entry(L"DisplayIcon").String(), Quoted(Installed(Program)) + L",0"));
    EXPECT_EQ(entry(L"NoModify").Dword(), 1u);
    EXPECT_EQ(entry(L"NoRepair").Dword(), 1u);
    EXPECT_EQ(entry(L"EstimatedSize").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_GE(entry(L"EstimatedSize").Dword(), static_cast<DWORD>(FileBytes(Installed(Program)).size() / 1024));

    // Installing touches no settings: the program writes them when it runs.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, SettingsKey));

    // Nothing runs, so everything goes.
    ASSERT_EQ(Uninstall(), 0u);
    ExpectFilesRemoved();
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, RunKey, L"Hovelle").present);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UninstallKey));
}

TEST_F(Installer, StartWithWindowsCanBeLeftOutAlsoOverAnEarlierInstall)
{
    ASSERT_EQ(Install(L" /AUTOSTART=0"), 0u);
    EXPECT_TRUE(FileExists(Installed(Program)));
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, RunKey, L"Hovelle").present);

    ASSERT_EQ(Install(), 0u);
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, RunKey, L"Hovelle").present);
    // Installing again without it removes the entry the earlier install wrote.
    ASSERT_EQ(Install(L" /AUTOSTART=0"), 0u);
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, RunKey, L"Hovelle").present);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, UninstallKey));
}

TEST_F(Installer, InstalledProgramManagesNewWindowsAndUninstallStopsIt)
{
    ASSERT_EQ(Install(), 0u);
    // A setting of the user's own, which the uninstaller must keep.
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, SettingsKey, &key), ERROR_SUCCESS);
    const DWORD off = 0;
    RegSetValueExW(key, L"EnableSendToBack", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof off);
    RegCloseKey(key);

    // Started the way Windows starts it at logon: the Run value is the command line.
    const RegistryValue run = ReadValue(HKEY_CURRENT_USER, RunKey, L"Hovelle");
    ASSERT_TRUE(run.present);
    Process hovelle(run.String());
    ASSERT_NE(hovelle.WaitForWindow(L"HovelleWnd", 20000), nullptr);
    EXPECT_TRUE(EqualPaths(hovelle.ImagePath(), Installed(Program))) << Narrow(hovelle.ImagePath());

    // A new window of another program is managed by the installed hook library.
    harness::TargetProcess target;
    const HWND window = target.Create(harness::OverlappedWindow, "Opened after Hovelle started");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(harness::FeatureItems(target.Menu(window)).size(), 4u);
    EXPECT_TRUE(EqualPaths(Widen(target.Command("hookpath")), Installed(HookLibrary)))
        << target.Command("hookpath");

    ASSERT_EQ(Uninstall(), 0u);

    // The uninstaller asked Hovelle to exit through "Exit": it ended normally
    // and released the managed window on its way out.
    EXPECT_EQ(hovelle.WaitForExit(20000), 0u);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(harness::FeatureItems(target.Menu(window)).empty());
    EXPECT_FALSE(FindWindowW(L"HovelleWnd", nullptr));

    ExpectFilesRemoved();
    EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, RunKey, L"Hovelle").present);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UninstallKey));

    // The user's settings stay, including the value Hovelle wrote itself.
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, SettingsKey, L"EnableSendToBack").Dword(), 0u);
    EXPECT_TRUE(ReadValue(HKEY_CURRENT_USER, SettingsKey, L"IgnoreTitles").present);
}

TEST_F(Installer, SetupOverARunningCopyClosesItFirst)
{
    ASSERT_EQ(Install(L" /AUTOSTART=0"), 0u);
    Process hovelle(Quoted(Installed(Program)));
    ASSERT_NE(hovelle.WaitForWindow(L"HovelleWnd", 20000), nullptr);

    ASSERT_EQ(Install(L" /AUTOSTART=0"), 0u);
    EXPECT_EQ(hovelle.WaitForExit(20000), 0u);
    // The new copies are in place under their own names.
    EXPECT_EQ(FileBytes(Installed(Program)), FileBytes(ExecutableDirectory() + Program));
    EXPECT_EQ(FileBytes(Installed(HookLibrary)), FileBytes(ExecutableDirectory() + HookLibrary));
}

TEST_F(Installer, SettingsAreRemovedOnlyWhenAsked)
{
    ASSERT_EQ(Install(L" /AUTOSTART=0"), 0u);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, SettingsKey, &key), ERROR_SUCCESS);
    const DWORD on = 1;
    RegSetValueExW(key, L"EnableRollupToggle", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
    RegCloseKey(key);

    ASSERT_EQ(Uninstall(L" /REMOVESETTINGS"), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, SettingsKey));
    // The publisher's key goes with it when nothing else lives there.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Tenvale"));
    ExpectFilesRemoved();
}
