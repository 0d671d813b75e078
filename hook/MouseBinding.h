// Reading a mouse binding: which button and which kind of event a non-client
// button message is, and the table element it selects. Pure functions.
#pragma once

#include <windows.h>

#include "Lorvek.h"

// What a non-client button message (WM_NCLBUTTONDOWN to WM_NCMBUTTONDBLCLK) is.
struct NcButtonEvent {
    MoxButton button;
    bool press;        // a DOWN message
    bool doubleClick;  // a DBLCLK message
};

// False for any message outside 0x00A1 to 0x00A9. The messages run left,
// right, middle; the button values run left, middle, right.
inline bool DecodeNcButtonMessage(UINT message, NcButtonEvent& event)
{
    if (message < WM_NCLBUTTONDOWN || message > WM_NCMBUTTONDBLCLK) return false;
    static const MoxButton buttons[3] = {MoxButtonLeft, MoxButtonRight, MoxButtonMiddle};
    const UINT offset = message - WM_NCLBUTTONDOWN;
    event.button = buttons[offset / 3];
    event.press = offset % 3 == 0;
    event.doubleClick = offset % 3 == 2;
    return true;
}

// The modifier row of a key state: Ctrl 1, Alt 2, Shift 4.
constexpr int ModifierCtrl = 1;
constexpr int ModifierAlt = 2;
constexpr int ModifierShift = 4;

// Reads one key-state word, as GetAsyncKeyState does.
using KeyStateReader = SHORT(WINAPI*)(int key);

// The modifiers of `wanted` that are held now. Only the high bit of a
// key-state word says so: bit 0 means "pressed since the last query", which a
// Ctrl+C or an Alt+Tab long over still sets.
inline int ReadModifierState(KeyStateReader read, int wanted = ModifierCtrl | ModifierAlt | ModifierShift)
{
    static const struct { int modifier, key; } keys[] = {
        {ModifierCtrl, VK_CONTROL}, {ModifierAlt, VK_MENU}, {ModifierShift, VK_SHIFT}};
    int state = 0;
    for (const auto& k : keys) {
        if ((wanted & k.modifier) != 0 && (read(k.key) & 0x8000) != 0) state |= k.modifier;
    }
    return state;
}

// The bound action, or MoxActionNone when the modifier state or the hit-test
// code has no element in the table (several modifiers together, Shift, or a
// window's own hit-test codes) or the element holds no known action.
inline MoxAction LookupBinding(const BindingTable& table, MoxButton button, int modifier, WPARAM hitTest)
{
    if (button < 0 || button >= MoxButtonCount || modifier < 0 || modifier >= MoxModifierRowCount ||
        hitTest >= static_cast<WPARAM>(MoxHitTestCount)) {
        return MoxActionNone;
    }
    const MoxAction action = table[button][modifier][hitTest];
    return action >= MoxActionMinimize && action <= MoxActionMaximizeMenu ? action : MoxActionNone;
}
