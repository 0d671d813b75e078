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
    // The values, by their bit in the order of SettingsValueNames, that the
    // save leaves as stored: from the first one the load could not read (more
    // data than a query takes, or another registry error) on, so a list that
    // could not be read is not replaced by the defaults unseen.
    unsigned keepStored = 0;
    // The opacity of "Transparent" in percent, 10 to 100.
    unsigned long transparentOpacity = 75;
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
// The value a save stopped at and the registry's status; no name: all
// written.
struct SaveFailure {
    const wchar_t* name = nullptr;
    long error = 0;
};
// Writes the nine values but those the settings keep as stored; a registry
// error ends the save there (the start goes on quietly, the Settings window
// reports it).
SaveFailure SaveSettings(const Settings& settings);

// Units a list takes in the registry and in the hook's store: each non-empty
// pattern with its terminator, and the final terminator.
size_t PatternListUnits(const std::vector<std::wstring>& patterns);
// The most units a list may take: what both the hook's store and the load
// (which reads 1024 bytes of a value) hold.
constexpr size_t PatternListLimit = 512;

// The program a command line starts: the quoted part, or the text up to the
// first ".exe" that ends a word, or all of it.
std::wstring CommandProgram(const std::wstring& command);

// The autostart value "Hovelle" under HKCU
// "Software\Microsoft\Windows\CurrentVersion\Run", written with the quoted
// path of the running program, or deleted.
// True when the value names the running program; false when it is missing,
// unreadable or names another file.
bool AutostartNamesThisProgram();
// Writes or deletes the value; the registry's status, 0 when it is done.
long SetAutostart(bool enabled);
// At the start: a value that names a file that no longer exists (the program
// was moved or updated elsewhere) is pointed at the running program.
void FollowMovedProgram();

// Sets the thirteen mouse bindings in the hook library.
void ApplyMouseBindings(const Settings& settings);
