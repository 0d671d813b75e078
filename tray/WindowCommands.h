// What the tray program does to other programs' windows on request: admit
// the windows already open, bring back the windows hidden in the
// notification area, and the always-on-top hotkey.
#pragma once

#include <windows.h>

#include <string>

// Asks every top-level window of this program's bitness to be admitted by
// the hook (the registered message MOX_WINDOWMANAGER_MANAGE). A window that
// does not answer within a short time is passed over.
void ManageOpenWindows();

// The id of the always-on-top hotkey, registered for `owner`.
constexpr int OnTopHotkeyId = 1;

enum class HotkeyState { None, Registered, Held, WithoutModifier };

// Replaces the hotkey of `owner` with `value` (modifiers in bits 16-23, the
// virtual key in bits 0-7; 0: none). A value without Ctrl, Alt or Win is not
// registered, and one that another program holds cannot be; the hotkey is
// then off.
HotkeyState RegisterOnTopHotkey(HWND owner, unsigned long value);
// The value last asked for and what became of it.
unsigned long OnTopHotkeyValue();
HotkeyState OnTopHotkeyState();
// Whether `value` could be registered now, tried on `window` and given back.
bool HotkeyAvailable(HWND window, unsigned long value);
// The keys as the keyboard names them: "Win+Ctrl+T", "Ctrl+Alt+Up".
std::wstring HotkeyName(unsigned long value);
// What a value means for the user, in one sentence: `state` for the value in
// effect, or a value being edited (None, or what HotkeyAvailable said).
std::wstring HotkeyStateText(unsigned long value, HotkeyState state, bool inEffect);

// Switches always on top of the foreground window: a managed window through
// its MOX_ON_TOP message, any other directly.
void ToggleForegroundOnTop();
