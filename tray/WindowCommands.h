// What the tray program does to other programs' windows on request: admit
// the windows already open, and the always-on-top hotkey.
#pragma once

#include <windows.h>

// Asks every top-level window of this program's bitness to be admitted by
// the hook (the registered message MOX_WINDOWMANAGER_MANAGE). A window that
// does not answer within a short time is passed over.
void ManageOpenWindows();

// The id of the always-on-top hotkey, registered for `owner`.
constexpr int OnTopHotkeyId = 1;

// Replaces the hotkey of `owner` with `value` (modifiers in bits 16-23, the
// virtual key in bits 0-7; 0: none). False when another program holds it;
// the hotkey is then off.
bool RegisterOnTopHotkey(HWND owner, unsigned long value);
// The value last asked for and whether registering it failed.
unsigned long OnTopHotkeyValue();
bool OnTopHotkeyRefused();

// Switches always on top of the foreground window: a managed window through
// its MOX_ON_TOP message, any other directly.
void ToggleForegroundOnTop();
