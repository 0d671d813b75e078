#include "Settings.h"

#include <windows.h>

#include "Reg.h"
#include "WindowsError.h"

const wchar_t* const SettingsValueNames[6] = {
    L"EnableSendToBack", L"EnableMinimizeWindowToTray", L"EnableRollupToggle",
    L"EnableInteractiveMove", L"IgnoreTitles", L"IgnoreClasses",
};

namespace {

constexpr int IgnoreTitlesIndex = 4;
constexpr int IgnoreClassesIndex = 5;

// The four switches, in the order of SettingsValueNames.
bool Settings::* const Switches[4] = {&Settings::enableSendToBack, &Settings::enableMinimizeWindowToTray,
                                      &Settings::enableRollupToggle, &Settings::enableInteractiveMove};

} // namespace

bool SwitchFromData(const unsigned char* data, unsigned long size)
{
    DWORD word = 0;
    for (unsigned long i = 0; i < 4 && i < size; ++i) word |= static_cast<DWORD>(data[i]) << (8 * i);
    return word != 0;
}

void LoadSettings(Settings& settings)
{
    bool opened = false;
    int index = 0;
    try {
        CReg key;
        key.Open(HKEY_CURRENT_USER, L"Software\\Tenvale\\Hovelle");
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
}

void SaveSettings(const Settings& settings)
{
    const int writable = settings.unreadFrom >= 0 ? settings.unreadFrom : 6;
    try {
        CReg software;
        software.Open(HKEY_CURRENT_USER, L"Software");
        CReg key;
        software.CreateKey(L"Tenvale\\Hovelle", &key);
        for (int index = 0; index < 4 && index < writable; ++index) {
            CRegValue value = {};
            value.type = REG_DWORD;
            const DWORD data = settings.*Switches[index] ? 1 : 0;
            CopyMemory(value.data, &data, sizeof data);
            value.size = sizeof data;
            key.SetValue(SettingsValueNames[index], value);
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
