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

// Both caption bits set.
inline bool HasCaption(HWND window)
{
    return (GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

// Asks the window for the feature's state, then sends the opposite command;
// answers what that command answered.
LRESULT ToggleFeature(HWND window, UINT message);

// Runs one feature message for a feature whose state is read by `isOn` and
// switched by `switchTo`. Claims the message only for captioned windows.
bool HandleFeatureMessage(HWND window, UINT message, WPARAM command, LRESULT& result,
                          bool (*isOn)(HWND), void (*switchTo)(HWND, bool));
