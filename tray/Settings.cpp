#include "Settings.h"

#include <windows.h>

#include <cwchar>

#include "Reg.h"
#include "WindowsError.h"

const wchar_t* const SettingsValueNames[6] = {
    L"EnableSendToBack", L"EnableMinimizeWindowToTray", L"EnableRollupToggle",
    L"EnableInteractiveMove", L"IgnoreTitles", L"IgnoreClasses",
};

const wchar_t ManageExistingWindowsName[] = L"ManageExistingWindows";
const wchar_t OnTopHotkeyName[] = L"OnTopHotkey";
const wchar_t TransparentOpacityName[] = L"TransparentOpacity";

namespace {

const wchar_t SettingsKey[] = L"Software\\Tenvale\\Hovelle";
const wchar_t RunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t AutostartName[] = L"Hovelle";

constexpr int IgnoreTitlesIndex = 4;
constexpr int IgnoreClassesIndex = 5;

// The four switches, in the order of SettingsValueNames.
bool Settings::* const Switches[4] = {&Settings::enableSendToBack, &Settings::enableMinimizeWindowToTray,
                                      &Settings::enableRollupToggle, &Settings::enableInteractiveMove};

DWORD WordFromData(const unsigned char* data, unsigned long size)
{
    DWORD word = 0;
    for (unsigned long i = 0; i < 4 && i < size; ++i) word |= static_cast<DWORD>(data[i]) << (8 * i);
    return word;
}

// The three values beside the six; each read on its own.
void LoadAddedValues(Settings& settings)
{
    try {
        CReg key;
        key.Open(HKEY_CURRENT_USER, SettingsKey);
        CRegValue value = {};
        if (key.QueryValue(ManageExistingWindowsName, value)) {
            settings.manageExistingWindows = WordFromData(value.data, value.size) != 0;
        }
        if (key.QueryValue(OnTopHotkeyName, value)) settings.onTopHotkey = WordFromData(value.data, value.size);
        // Out of range: the default stays (and the save writes it).
        const DWORD opacity = key.QueryValue(TransparentOpacityName, value) ? WordFromData(value.data, value.size) : 0;
        if (opacity >= 10 && opacity <= 100) settings.transparentOpacity = opacity;
    } catch (const CWindowsError&) {
        // The defaults stay.
    }
}

} // namespace

Settings& CurrentSettings()
{
    static Settings settings;
    return settings;
}

bool SwitchFromData(const unsigned char* data, unsigned long size)
{
    return WordFromData(data, size) != 0;
}

void LoadSettings(Settings& settings)
{
    bool opened = false;
    int index = 0;
    try {
        CReg key;
        key.Open(HKEY_CURRENT_USER, SettingsKey);
        opened = true;
        for (; index < 4; ++index) {
            CRegValue value = {};
            if (key.QueryValue(SettingsValueNames[index], value)) {
                settings.*Switches[index] = SwitchFromData(value.data, value.size);
            }
        }
        settings.ignoreTitles = key.QueryStringList(SettingsValueNames[IgnoreTitlesIndex], settings.ignoreTitles);
        ++index;
        settings.ignoreClasses = key.QueryStringList(SettingsValueNames[IgnoreClassesIndex], settings.ignoreClasses);
    } catch (const CWindowsError&) {
        // A key that cannot be opened leaves every default (the save creates
        // it); a value that cannot be read ends the load there.
        if (opened) settings.keepStored = 0x3Fu << index & 0x3Fu;
    }
    LoadAddedValues(settings);
}

SaveFailure SaveSettings(const Settings& settings)
{
    const auto kept = [&settings](int index) { return (settings.keepStored >> index & 1) != 0; };
    const wchar_t* name = ManageExistingWindowsName;  // a failing key fails the first value
    try {
        CReg software;
        software.Open(HKEY_CURRENT_USER, L"Software");
        CReg key;
        software.CreateKey(L"Tenvale\\Hovelle", &key);
        key.SetNumber(name, settings.manageExistingWindows ? 1 : 0);
        key.SetNumber(name = OnTopHotkeyName, settings.onTopHotkey);
        key.SetNumber(name = TransparentOpacityName, settings.transparentOpacity);
        for (int index = 0; index < 4; ++index) {
            if (!kept(index)) key.SetNumber(name = SettingsValueNames[index], settings.*Switches[index] ? 1 : 0);
        }
        if (!kept(IgnoreTitlesIndex)) {
            key.SetStringList(name = SettingsValueNames[IgnoreTitlesIndex], settings.ignoreTitles);
        }
        if (!kept(IgnoreClassesIndex)) {
            key.SetStringList(name = SettingsValueNames[IgnoreClassesIndex], settings.ignoreClasses);
        }
        key.Close();
        software.Close();
    } catch (const CWindowsError& error) {
        // Values not yet written keep what was stored.
        return {name, static_cast<long>(error.ErrorCode())};
    }
    return {};
}

size_t PatternListUnits(const std::vector<std::wstring>& patterns)
{
    size_t units = 1;
    for (const std::wstring& pattern : patterns) {
        if (!pattern.empty()) units += pattern.size() + 1;
    }
    return units;
}

std::wstring CommandProgram(const std::wstring& command)
{
    if (!command.empty() && command[0] == L'"') return command.substr(1, command.find(L'"', 1) - 1);
    for (size_t at = 0; (at = command.find(L'.', at)) != std::wstring::npos; ++at) {
        const size_t end = at + 4;
        if (end <= command.size() && _wcsnicmp(&command[at], L".exe", 4) == 0 &&
            (end == command.size() || command[end] == L' ')) {
            return command.substr(0, end);
        }
    }
    return command;
}

namespace {

std::wstring ThisProgram()
{
    wchar_t path[MAX_PATH] = {};
    return std::wstring(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
}

// The program the value names; empty when it is missing or unreadable.
std::wstring AutostartProgram()
{
    try {
        CReg key;
        key.Open(HKEY_CURRENT_USER, RunKey);
        CRegValue value = {};
        if (!key.QueryValue(AutostartName, value)) return L"";
        const auto* text = reinterpret_cast<const wchar_t*>(value.data);
        return CommandProgram(std::wstring(text, wcsnlen(text, value.size / sizeof(wchar_t))));
    } catch (const CWindowsError&) {
        return L"";
    }
}

} // namespace

bool AutostartNamesThisProgram()
{
    const std::wstring program = AutostartProgram();
    return !program.empty() && lstrcmpiW(program.c_str(), ThisProgram().c_str()) == 0;
}

long SetAutostart(bool enabled)
{
    try {
        CReg software;
        software.Open(HKEY_CURRENT_USER, L"Software");
        CReg key;
        software.CreateKey(L"Microsoft\\Windows\\CurrentVersion\\Run", &key);
        if (!enabled) {
            const LONG status = RegDeleteValueW(key.Handle(), AutostartName);
            return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
        }
        key.SetString(AutostartName, L"\"" + ThisProgram() + L"\"");
        return ERROR_SUCCESS;
    } catch (const CWindowsError& error) {
        return static_cast<long>(error.ErrorCode());
    }
}

void FollowMovedProgram()
{
    const std::wstring program = AutostartProgram();
    if (program.empty() || GetFileAttributesW(program.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) SetAutostart(true);
}
