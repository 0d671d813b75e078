// The feature items of a managed window's system menu.
#pragma once

#include <windows.h>

// One feature's part in the system menu. The command id is not stored: every
// walk over the table starts a running id at FirstFeatureCommand and each
// operation advances it by FeatureCommandStep.
struct SystemMenuFeature {
    void (*InsertItem)(HWND window, HMENU menu, int& position, int& id);
    void (*UpdateItem)(HWND window, HMENU menu, int& id);
    bool (*RunCommand)(HWND window, int command, int& id);
};

constexpr int FirstFeatureCommand = 0xE010;
constexpr int FeatureCommandStep = 16;

// Always on top, rollup, minimize to tray, transparency; ended by a null entry.
extern const SystemMenuFeature SystemMenuFeatures[];

void AddSystemMenuItems(HWND window);
void RemoveSystemMenuItems(HWND window);
