// Many windows at once, a blocked thread, and an audit of what is left.
//
//   churn COUNT KEEP  -> starts creating COUNT captioned windows titled
//                        "Churned", ten per turn of the message loop,
//                        destroying all but the newest KEEP as it goes;
//                        answers at once. They stay hidden: under Wine without
//                        a window manager, destroying a shown window takes 2 s.
//   churned           -> "done N" or "running N" (windows created so far)
//   audit             -> what the captioned windows of this thread look like:
//                        "alive A hidden H rolled R tray T managed M", where
//                        hidden counts the windows other than "Churned" ones
//   block MS          -> answers, then blocks the thread for MS milliseconds
#include <deque>

#include "Target.h"

namespace target {

namespace {

const UINT WM_CHURN = WM_APP + 10;
const UINT WM_BLOCK = WM_APP + 11;
HWND worker = nullptr;
std::deque<HWND> alive;
int toCreate = 0;
int created = 0;
size_t keep = 0;

LRESULT CALLBACK WorkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CHURN) {
        for (int i = 0; i < 10 && created < toCreate; ++i, ++created) {
            alive.push_back(CreateWindowExW(0, L"LorvekChurn", L"Churned", WS_OVERLAPPEDWINDOW, 20 + created % 50,
                                            20, 200, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
            while (alive.size() > keep) {
                DestroyWindow(alive.front());
                alive.pop_front();
            }
        }
        if (created < toCreate) PostMessageW(window, WM_CHURN, 0, 0);
        return 0;
    }
    if (message == WM_BLOCK) {
        Sleep(static_cast<DWORD>(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND Worker()
{
    if (worker != nullptr) return worker;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WorkerProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LorvekTargetWorker";
    RegisterClassExW(&windowClass);
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = L"LorvekChurn";
    RegisterClassExW(&windowClass);
    worker = CreateWindowExW(0, L"LorvekTargetWorker", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    return worker;
}

std::string Churn(std::istringstream& in)
{
    in >> toCreate >> keep;
    created = 0;
    PostMessageW(Worker(), WM_CHURN, 0, 0);
    return "started";
}

std::string Churned(std::istringstream&)
{
    return (created >= toCreate ? "done " : "running ") + std::to_string(created);
}

BOOL CALLBACK CollectCaptioned(HWND window, LPARAM data)
{
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    }
    return TRUE;
}

std::string Audit(std::istringstream&)
{
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectCaptioned, reinterpret_cast<LPARAM>(&windows));
    const UINT onTop = RegisterWindowMessageW(L"MOX_ON_TOP");
    int hidden = 0, rolled = 0, tray = 0, managed = 0;
    for (HWND window : windows) {
        wchar_t title[16] = {};
        GetWindowTextW(window, title, 16);
        if (!IsWindowVisible(window) && std::wstring(title) != L"Churned") ++hidden;
        if (GetPropW(window, L"MOX_ROLLUP") != nullptr) ++rolled;
        if (GetPropW(window, L"MOX_TRAY") != nullptr) ++tray;
        // A window still in the chain claims "MOX_ON_TOP"; its own procedure answers 0.
        const bool wasTopmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        SendMessageW(window, onTop, 1, 0);
        if (SendMessageW(window, onTop, 4, 0) == 1) ++managed;
        if (!wasTopmost) SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    }
    return "alive " + std::to_string(windows.size()) + " hidden " + std::to_string(hidden) + " rolled " +
           std::to_string(rolled) + " tray " + std::to_string(tray) + " managed " + std::to_string(managed);
}

std::string Block(std::istringstream& in)
{
    PostMessageW(Worker(), WM_BLOCK, static_cast<WPARAM>(NextHex(in)), 0);
    return "ok";
}

TargetCommand commands[] = {
    {"churn", Churn}, {"churned", Churned}, {"audit", Audit}, {"block", Block},
};

} // namespace

} // namespace target
