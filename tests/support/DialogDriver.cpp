#include "DialogDriver.h"

namespace harness {

namespace {

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<DialogSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search->processId && IsWindowVisible(window) && ClassName(window) == L"#32770") {
        search->found.push_back(window);
    }
    return TRUE;
}

void SendMouse(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

} // namespace

std::vector<HWND> ProcessDialogs(DWORD processId)
{
    DialogSearch search{processId, {}};
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD processId, const std::wstring& title, HWND exclude, DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        for (HWND dialog : ProcessDialogs(processId)) {
            if (dialog != exclude && WindowText(dialog) == title) return dialog;
        }
        if (GetTickCount64() >= end) return nullptr;
        Sleep(20);
    }
}

bool WaitForGone(HWND window, DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (IsWindow(window)) {
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
    return true;
}

std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring MessageBoxText(HWND box)
{
    // The text control of a message box has the id 0xFFFF.
    return WindowText(GetDlgItem(box, 0xFFFF));
}

void BringToFront(HWND window)
{
    SetForegroundWindow(window);
    for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) Sleep(10);
}

void PressKey(WORD virtualKey)
{
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = virtualKey;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof inputs[0]);
}

void ClickAt(POINT point)
{
    SetCursorPos(point.x, point.y);
    Sleep(50);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(50);
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void ClickCentre(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    ClickAt({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2});
}

POINT FindHitTest(HWND window, LRESULT code)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    // The centre of the area that answers the code, among the points of the
    // caption strip (the top 48 pixels); every point there is asked.
    long left = rect.right, top = rect.bottom, right = rect.left - 1, bottom = rect.top - 1;
    for (int y = rect.top; y < rect.bottom && y < rect.top + 48; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            if (SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) != code) continue;
            if (x < left) left = x;
            if (x > right) right = x;
            if (y < top) top = y;
            if (y > bottom) bottom = y;
        }
    }
    if (right < left) return {-1, -1};
    return {(left + right) / 2, (top + bottom) / 2};
}

} // namespace harness
