// Placing windows and watching the registered messages sent to them.
//
//   place HWND X Y W H    -> SetWindowPos without activation or Z-order change
//   setstyle HWND STYLE   -> SetWindowLongW(GWL_STYLE), then a frame change
//   watch NAME            -> from now on records the wParam of every message
//                            registered as NAME sent to a window of this thread,
//                            before any subclass sees it
//   watched HWND          -> those wParams, in hex, in order
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

TargetCommand commands[] = {
    {"place", Place},
    {"setstyle", SetStyle},
    {"watch", Watch},
    {"watched", Watched},
};

} // namespace

} // namespace target
