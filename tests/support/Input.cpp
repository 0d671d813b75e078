#include "Harness.h"
#include "Input.h"

#include <utility>

namespace harness {

namespace {

void SendOne(INPUT& input)
{
    SendInput(1, &input, sizeof input);
}

DWORD ButtonFlag(MoxButton button, bool down)
{
    switch (button) {
    case MoxButtonLeft:
        return down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    case MoxButtonMiddle:
        return down ? MOUSEEVENTF_MIDDLEDOWN : MOUSEEVENTF_MIDDLEUP;
    default:
        return down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    }
}

// Lets the system deliver what was queued.
void Settle()
{
    WaitFor([] { return false; }, 60);
}

} // namespace

void MoveCursor(POINT point)
{
    SetCursorPos(point.x, point.y);
    Settle();
}

void MouseButton(MoxButton button, bool down)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = ButtonFlag(button, down);
    SendOne(input);
    Settle();
}

void Key(WORD virtualKey, bool down)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendOne(input);
    Settle();
}

HeldKeys::HeldKeys(std::vector<WORD> keys) : m_keys(std::move(keys))
{
    for (WORD key : m_keys) Key(key, true);
}

HeldKeys::~HeldKeys()
{
    Release();
}

void HeldKeys::Release()
{
    for (auto key = m_keys.rbegin(); key != m_keys.rend(); ++key) Key(*key, false);
    m_keys.clear();
}

HeldButton::HeldButton(MoxButton button) : m_button(button), m_down(true)
{
    MouseButton(button, true);
}

HeldButton::~HeldButton()
{
    Release();
}

void HeldButton::Release()
{
    if (m_down) MouseButton(m_button, false);
    m_down = false;
}

bool KeysHeldInTarget(TargetProcess& target, const std::vector<WORD>& keys)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        bool all = true;
        for (WORD key : keys) {
            if (target.Command("keystate " + Hex(key)) != "1") {
                all = false;
                Key(key, true);
            }
        }
        if (all) return true;
    }
    return false;
}

void ParkCursor()
{
    MoveCursor(POINT{GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1});
}

void Drag(HWND window, POINT start, int dx, int dy, int steps)
{
    MoveCursor(start);
    HeldButton button(MoxButtonLeft);
    for (int step = 1; step <= steps; ++step) {
        const RECT before = WindowRect(window);
        MoveCursor(POINT{start.x + dx * step / steps, start.y + dy * step / steps});
        WaitFor(
            [&] {
                const RECT now = WindowRect(window);
                return !EqualRect(&before, &now);
            },
            1000);
    }
    button.Release();
}

void DoubleClick(POINT point)
{
    MoveCursor(point);
    INPUT clicks[4] = {};
    const DWORD flags[4] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 4; ++i) {
        clicks[i].type = INPUT_MOUSE;
        clicks[i].mi.dwFlags = flags[i];
    }
    SendInput(4, clicks, sizeof clicks[0]);
    Settle();
}

void Click(POINT point, MoxButton button)
{
    MoveCursor(point);
    MouseButton(button, true);
    MouseButton(button, false);
}

LRESULT HitTest(HWND window, POINT point)
{
    DWORD_PTR result = HTNOWHERE;
    SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y), SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
}

POINT FindHitPoint(HWND window, LRESULT code, POINT start, int dx, int dy, int steps)
{
    POINT point = start;
    for (int step = 0; step < steps; ++step, point.x += dx, point.y += dy) {
        if (HitTest(window, point) == code) return point;
    }
    return POINT{-1, -1};
}

POINT CaptionPoint(HWND window)
{
    const RECT rect = WindowRect(window);
    const POINT top = {(rect.left + rect.right) / 2, rect.top};
    return FindHitPoint(window, HTCAPTION, top, 0, 1, 60);
}

bool Activate(HWND window)
{
    SetForegroundWindow(window);
    return WaitFor([window] { return GetForegroundWindow() == window; }, 3000);
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

} // namespace harness
