// The feature message protocol shared by always on top, rollup, minimize to
// tray and transparency: one registered message per feature, whose wParam
// says what to do.
#pragma once

#include <windows.h>

enum FeatureCommand : int {
    FeatureOn = 1,
    FeatureOff = 2,
    FeatureToggle = 3,
    FeatureQuery = 4,
};

// Every bit of `mask` set in the window's style.
inline bool HasStyle(HWND window, LONG mask)
{
    return (GetWindowLongW(window, GWL_STYLE) & mask) == mask;
}

// Both caption bits set.
inline bool HasCaption(HWND window)
{
    return HasStyle(window, WS_CAPTION);
}

// Asks the window for the feature's state, then sends the opposite command;
// answers what that command answered.
LRESULT ToggleFeature(HWND window, UINT message);

// Runs one feature message for a feature whose state is read by `isOn` and
// switched by `switchTo`. Claims the message only for captioned windows.
bool HandleFeatureMessage(HWND window, UINT message, WPARAM command, LRESULT& result,
                          bool (*isOn)(HWND), void (*switchTo)(HWND, bool));
