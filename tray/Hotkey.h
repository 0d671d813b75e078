// The always-on-top hotkey as it is stored and registered (RegisterHotKey's
// MOD_ bits in bits 16-23, the virtual key in bits 0-7; 0: none) and as the
// common controls' hotkey control holds it (HOTKEYF_ flags in the high byte,
// the key in the low byte; the control has no Win flag).
#pragma once

#include <windows.h>

#include <string>

// The control's value and the "Win" check box -> the stored value; the
// control's extended-key flag is dropped, a value without a key is 0.
unsigned long HotkeyFromControl(WORD control, bool win);
// The stored value -> the control's value (Win dropped; the extended-key flag
// set for the keys that need it, so the control names them right).
WORD HotkeyToControl(unsigned long value);
bool HotkeyHasWin(unsigned long value);
// A key without Ctrl, Alt or Win would be taken from every program: such a
// value is never registered. 0 (no hotkey) is not one.
bool HotkeyWithoutModifier(unsigned long value);
// "Win+Ctrl+Alt+Shift+" as held, then `keyName`.
std::wstring HotkeyText(unsigned long value, const std::wstring& keyName);
// Keys whose scan code carries the extended flag (the arrows and the block
// above them, the numeric pad's divide, Num Lock, ...).
bool IsExtendedKey(UINT virtualKey);
