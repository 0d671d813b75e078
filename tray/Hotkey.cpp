#include "Hotkey.h"

#include <commctrl.h>

namespace {

// HOTKEYF_ flag <-> MOD_ bit.
const struct {
    BYTE control;
    unsigned long modifier;
} Modifiers[3] = {{HOTKEYF_SHIFT, MOD_SHIFT}, {HOTKEYF_CONTROL, MOD_CONTROL}, {HOTKEYF_ALT, MOD_ALT}};

} // namespace

unsigned long HotkeyFromControl(WORD control, bool win)
{
    const unsigned long key = LOBYTE(control);
    if (key == 0) return 0;
    unsigned long modifiers = win ? MOD_WIN : 0;
    for (const auto& modifier : Modifiers) {
        if (HIBYTE(control) & modifier.control) modifiers |= modifier.modifier;
    }
    return modifiers << 16 | key;
}

WORD HotkeyToControl(unsigned long value)
{
    const BYTE key = static_cast<BYTE>(value & 0xFF);
    if (key == 0) return 0;
    BYTE flags = IsExtendedKey(key) ? HOTKEYF_EXT : 0;
    for (const auto& modifier : Modifiers) {
        if ((value >> 16) & modifier.modifier) flags |= modifier.control;
    }
    return MAKEWORD(key, flags);
}

bool HotkeyHasWin(unsigned long value)
{
    return ((value >> 16) & MOD_WIN) != 0;
}

bool HotkeyWithoutModifier(unsigned long value)
{
    return (value & 0xFF) != 0 && ((value >> 16) & (MOD_CONTROL | MOD_ALT | MOD_WIN)) == 0;
}

std::wstring HotkeyText(unsigned long value, const std::wstring& keyName)
{
    const struct {
        unsigned long modifier;
        const wchar_t* name;
    } names[4] = {{MOD_WIN, L"Win+"}, {MOD_CONTROL, L"Ctrl+"}, {MOD_ALT, L"Alt+"}, {MOD_SHIFT, L"Shift+"}};
    std::wstring text;
    for (const auto& name : names) {
        if ((value >> 16) & name.modifier) text += name.name;
    }
    return text + keyName;
}

bool IsExtendedKey(UINT virtualKey)
{
    return (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) || virtualKey == VK_INSERT || virtualKey == VK_DELETE ||
           virtualKey == VK_DIVIDE || virtualKey == VK_NUMLOCK || virtualKey == VK_APPS || virtualKey == VK_CANCEL ||
           virtualKey == VK_SNAPSHOT;
}
