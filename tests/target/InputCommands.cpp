// Placing windows and watching the registered messages sent to them.
//
//   place HWND X Y W H    -> SetWindowPos without activation or Z-order change
//   setstyle HWND STYLE   -> SetWindowLongW(GWL_STYLE), then a frame change
//   watch NAME            -> from now on records the wParam of every message
//                            registered as NAME sent to a window of this thread,
//                            before any subclass sees it
//   watched HWND          -> those wParams, in hex, in order
//   watchinput            -> from now on records the non-client button messages
//                            this thread takes from its queue, dispatched or not
//   input HWND            -> those messages, in hex, in order
//   sendrect HWND MSG WPARAM L T R B -> sends MSG with a pointer to the rectangle;
//                            answers the rectangle as the window left it
//   fill N X Y W H        -> creates N visible captioned windows of class
//                            "LorvekFiller" at the rectangle, without activation
//   unfill N              -> destroys the last N of them
//   keystate VK           -> 1 when GetAsyncKeyState reads the key as held, else 0
#include <map>

#include "Target.h"

namespace target {

namespace {

HHOOK watchHook = nullptr;
std::vector<UINT> watchedMessages;
std::map<HWND, std::vector<WPARAM>> watched;

LRESULT CALLBACK WatchHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        for (UINT message : watchedMessages) {
            if (call->message == message) watched[call->hwnd].push_back(call->wParam);
        }
    }
    return CallNextHookEx(watchHook, code, wParam, lParam);
}

std::string Place(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    int x = 0, y = 0, width = 0, height = 0;
    in >> x >> y >> width >> height;
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE) ? "ok" : "error";
}

std::string SetStyle(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(NextHex(in)));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return "ok";
}

std::string Watch(std::istringstream& in)
{
    std::string name;
    in >> name;
    watchedMessages.push_back(RegisterWindowMessageW(Widen(name).c_str()));
    if (watchHook == nullptr) watchHook = SetWindowsHookExW(WH_CALLWNDPROC, WatchHook, nullptr, GetCurrentThreadId());
    return watchHook != nullptr ? "ok" : "error";
}

std::string Watched(std::istringstream& in)
{
    std::string list;
    for (WPARAM value : watched[NextWindow(in)]) list += Hex(value) + " ";
    return list.empty() ? "none" : list;
}

HHOOK inputHook = nullptr;
std::map<HWND, std::vector<UINT>> input;

LRESULT CALLBACK InputHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG* message = reinterpret_cast<const MSG*>(lParam);
        if (message->message >= WM_NCLBUTTONDOWN && message->message <= WM_NCMBUTTONDBLCLK) {
            input[message->hwnd].push_back(message->message);
        }
    }
    return CallNextHookEx(inputHook, code, wParam, lParam);
}

std::string WatchInput(std::istringstream&)
{
    if (inputHook == nullptr) inputHook = SetWindowsHookExW(WH_GETMESSAGE, InputHook, nullptr, GetCurrentThreadId());
    return inputHook != nullptr ? "ok" : "error";
}

std::string Input(std::istringstream& in)
{
    std::string list;
    for (UINT message : input[NextWindow(in)]) list += Hex(message) + " ";
    return list.empty() ? "none" : list;
}

std::string SendRect(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    const UINT message = static_cast<UINT>(NextHex(in));
    const WPARAM wParam = static_cast<WPARAM>(NextHex(in));
    RECT rect = {};
    in >> rect.left >> rect.top >> rect.right >> rect.bottom;
    SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(&rect));
    return std::to_string(rect.left) + " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
           std::to_string(rect.bottom);
}

std::vector<HWND> fillers;

std::string Fill(std::istringstream& in)
{
    int count = 0, x = 0, y = 0, width = 0, height = 0;
    in >> count >> x >> y >> width >> height;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LorvekFiller";
    RegisterClassExW(&windowClass);
    for (int i = 0; i < count; ++i) {
        const HWND window = CreateWindowExW(0, L"LorvekFiller", L"Filler", WS_OVERLAPPEDWINDOW, x, y, width, height,
                                           nullptr, nullptr, windowClass.hInstance, nullptr);
        if (window == nullptr) return "error " + std::to_string(GetLastError());
        ShowWindow(window, SW_SHOWNOACTIVATE);
        fillers.push_back(window);
    }
    return "ok";
}

std::string Unfill(std::istringstream& in)
{
    int count = 0;
    in >> count;
    for (; count > 0 && !fillers.empty(); --count) {
        DestroyWindow(fillers.back());
        fillers.pop_back();
    }
    return "ok";
}

std::string KeyState(std::istringstream& in)
{
    return GetAsyncKeyState(static_cast<int>(NextHex(in))) != 0 ? "1" : "0";
}

TargetCommand commands[] = {
    {"keystate", KeyState}, {"fill", Fill}, {"unfill", Unfill}, {"sendrect", SendRect}, {"watchinput", WatchInput}, {"input", Input},
    {"place", Place},
    {"setstyle", SetStyle},
    {"watch", Watch},
    {"watched", Watched},
};

} // namespace

} // namespace target
