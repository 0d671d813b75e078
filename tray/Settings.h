// The tray program's settings: four switches for mouse bindings and two
// ignore-pattern lists, kept under HKCU "Software\Tenvale\Hovelle".
#pragma once

#include <string>
#include <vector>

#include "Lorvek.h"

struct Settings {
    bool enableSendToBack = true;
    bool enableMinimizeWindowToTray = true;
    bool enableRollupToggle = true;
    bool enableInteractiveMove = true;
    MoxButton moveButton = MoxButtonLeft;
    int moveModifier = 1;  // Ctrl held
    std::vector<std::wstring> ignoreTitles{L"QuickTimePlayer"};
    std::vector<std::wstring> ignoreClasses{L"JWinproj*"};
    // Index, in the order of SettingsValueNames, of the first value the load
    // could not read (more data than a query takes, or another registry
    // error); the save leaves that value and those after it as stored, so
    // an unreadable list is not replaced by the defaults. -1: all read.
    int unreadFrom = -1;
};

// The six registry values in load and save order: the four switches, then
// "IgnoreTitles" and "IgnoreClasses".
extern const wchar_t* const SettingsValueNames[6];

// A switch is true when the 32-bit little-endian word at the start of the
// stored data is non-zero, whatever the stored type. Data shorter than four
// bytes is completed with zero bytes.
bool SwitchFromData(const unsigned char* data, unsigned long size);

// Overlays the stored values on `settings`; a registry error ends the load
// quietly with the values read so far.
void LoadSettings(Settings& settings);
// Writes all six values; a registry error ends the save quietly.
void SaveSettings(const Settings& settings);
// Sets the thirteen mouse bindings in the hook library.
void ApplyMouseBindings(const Settings& settings);
