#include "Settings.h"

#include <windows.h>

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

void WriteWord(const CReg& key, const wchar_t* name, DWORD word)
{
    CRegValue value = {};
    value.type = REG_DWORD;
    CopyMemory(value.data, &word, sizeof word);
    value.size = sizeof word;
    key.SetValue(name, value);
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
        if (opened) settings.unreadFrom = index;
    }
    LoadAddedValues(settings);
}

void SaveSettings(const Settings& settings)
{
    const int writable = settings.unreadFrom >= 0 ? settings.unreadFrom : 6;
    try {
        CReg software;
        software.Open(HKEY_CURRENT_USER, L"Software");
        CReg key;
        software.CreateKey(L"Tenvale\\Hovelle", &key);
        WriteWord(key, ManageExistingWindowsName, settings.manageExistingWindows ? 1 : 0);
        WriteWord(key, OnTopHotkeyName, settings.onTopHotkey);
        WriteWord(key, TransparentOpacityName, settings.transparentOpacity);
        for (int index = 0; index < 4 && index < writable; ++index) {
            WriteWord(key, SettingsValueNames[index], settings.*Switches[index] ? 1 : 0);
        }
        if (IgnoreTitlesIndex < writable) {
            key.SetStringList(SettingsValueNames[IgnoreTitlesIndex], settings.ignoreTitles);
        }
        if (IgnoreClassesIndex < writable) {
            key.SetStringList(SettingsValueNames[IgnoreClassesIndex], settings.ignoreClasses);
        }
        key.Close();
        software.Close();
    } catch (const CWindowsError&) {
        // The save ends quietly; values not yet written keep what was stored.
    }
}

size_t PatternListUnits(const std::vector<std::wstring>& patterns)
{
    size_t units = 1;
    for (const std::wstring& pattern : patterns) {
        if (!pattern.empty()) units += pattern.size() + 1;
    }
    return units;
}

bool AutostartEnabled()
{
    try {
        CReg key;
        key.Open(HKEY_CURRENT_USER, RunKey);
        CRegValue value = {};
        return key.QueryValue(AutostartName, value);
    } catch (const CWindowsError& error) {
        // A path longer than a query takes is still a value that exists.
        return error.ErrorCode() == ERROR_MORE_DATA;
    }
}

bool SetAutostart(bool enabled)
{
    if (enabled == AutostartEnabled()) return true;
    try {
        CReg software;
        software.Open(HKEY_CURRENT_USER, L"Software");
        CReg key;
        software.CreateKey(L"Microsoft\\Windows\\CurrentVersion\\Run", &key);
        if (!enabled) return RegDeleteValueW(key.Handle(), AutostartName) == ERROR_SUCCESS;
        wchar_t path[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        const std::wstring quoted = L"\"" + std::wstring(path, length) + L"\"";
        CRegValue value = {};
        value.type = REG_SZ;
        value.size = static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t));
        if (value.size > sizeof value.data) return false;
        CopyMemory(value.data, quoted.c_str(), value.size);
        key.SetValue(AutostartName, value);
        return true;
    } catch (const CWindowsError&) {
        return false;
    }
}
