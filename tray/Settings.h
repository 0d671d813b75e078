// The tray program's settings: four switches for mouse bindings, two
// ignore-pattern lists, whether windows already open are managed at the
// start, the always-on-top hotkey and the opacity of "Transparent", kept under HKCU
// "Software\Tenvale\Hovelle"; and the autostart value under HKCU Run.
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
    bool manageExistingWindows = false;
    // RegisterHotKey modifiers in bits 16-23, the virtual key in bits 0-7;
    // 0: no hotkey. Win+Ctrl+T.
    unsigned long onTopHotkey = 0x000A0054;
    // The opacity of "Transparent" in percent, 10 to 100.
    unsigned long transparentOpacity = 75;
    // Index, in the order of SettingsValueNames, of the first value the load
    // could not read (more data than a query takes, or another registry
    // error); the save leaves that value and those after it as stored, so
    // an unreadable list is not replaced by the defaults. -1: all read.
    int unreadFrom = -1;
};

// The six registry values in load and save order: the four switches, then
// "IgnoreTitles" and "IgnoreClasses".
extern const wchar_t* const SettingsValueNames[6];

// The settings in effect in this program, set at the start and by the
// Settings window.
Settings& CurrentSettings();

// The three values beside the six, read and written on their own: a failure
// with one of them leaves the six alone.
extern const wchar_t ManageExistingWindowsName[];
extern const wchar_t OnTopHotkeyName[];
extern const wchar_t TransparentOpacityName[];

// A switch is true when the 32-bit little-endian word at the start of the
// stored data is non-zero, whatever the stored type. Data shorter than four
// bytes is completed with zero bytes.
bool SwitchFromData(const unsigned char* data, unsigned long size);

// Overlays the stored values on `settings`; a registry error ends the load
// quietly with the values read so far.
void LoadSettings(Settings& settings);
// Writes all nine values; a registry error ends the save quietly.
void SaveSettings(const Settings& settings);

// Units a list takes in the registry and in the hook's store: each non-empty
// pattern with its terminator, and the final terminator.
size_t PatternListUnits(const std::vector<std::wstring>& patterns);
// The most units a list may take: what both the hook's store and the load
// (which reads 1024 bytes of a value) hold.
constexpr size_t PatternListLimit = 512;

// The autostart value "Hovelle" under HKCU
// "Software\Microsoft\Windows\CurrentVersion\Run": present or not, and
// written with the quoted path of the running program or deleted. Failures
// are quiet; SetAutostart answers whether the value is as asked.
bool AutostartEnabled();
bool SetAutostart(bool enabled);
// Sets the thirteen mouse bindings in the hook library.
void ApplyMouseBindings(const Settings& settings);
