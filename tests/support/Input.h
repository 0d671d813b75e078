// Real input for the window tests: the cursor, mouse buttons and keys go
// through the system's input queue as a user's would, and hit-test points are
// found by asking the window itself.
#pragma once

#include <windows.h>

#include <vector>

#include "Harness.h"

namespace harness {

// Moves the cursor; the system queues a mouse move at the new position.
void MoveCursor(POINT point);
void MouseButton(MoxButton button, bool down);
void Key(WORD virtualKey, bool down);

// Holds keys down for its lifetime (released in reverse order), so a failing
// test leaves no key pressed for the next one.
class HeldKeys {
public:
    explicit HeldKeys(std::vector<WORD> keys);
    ~HeldKeys();
    void Release();
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    std::vector<WORD> m_keys;
};

// Presses a button at its creation and releases it at the end of its scope
// unless released before.
class HeldButton {
public:
    explicit HeldButton(MoxButton button);
    ~HeldButton();
    void Release();
    HeldButton(const HeldButton&) = delete;
    HeldButton& operator=(const HeldButton&) = delete;

private:
    MoxButton m_button;
    bool m_down;
};

// Wine reads the keyboard state afresh from X when the pointer enters one of
// its windows (also when a window appears under the pointer), which lets go
// of keys pressed through SendInput. Presses again whatever key the target
// does not read as held, a few times; true when it reads all of them held.
bool KeysHeldInTarget(TargetProcess& target, const std::vector<WORD>& keys);

// Puts the cursor in the screen's bottom-right corner, away from the windows
// the tests create.
void ParkCursor();

// Drags with the left button from `start` by (dx, dy) in `steps` steps.
// After each step it waits (up to a second) for the window's rectangle to
// change, so the cursor never runs ahead of a window that follows it.
void Drag(HWND window, POINT start, int dx, int dy, int steps);

// Two clicks of the left button at the point, queued together.
void DoubleClick(POINT point);

// Press and release of a button at the point.
void Click(POINT point, MoxButton button);

// The window's answer to WM_NCHITTEST at a screen point.
LRESULT HitTest(HWND window, POINT point);
// The first point from `start` in steps of (dx, dy), at most `steps` of them,
// where the window answers `code`; {-1, -1} when there is none.
POINT FindHitPoint(HWND window, LRESULT code, POINT start, int dx, int dy, int steps);
// A point of the caption in the middle of its width.
POINT CaptionPoint(HWND window);

// Makes the window the foreground window; true when it is.
bool Activate(HWND window);

RECT WindowRect(HWND window);

} // namespace harness
