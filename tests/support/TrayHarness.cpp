#include "TrayHarness.h"
#include "Process.h"

namespace harness {
static std::vector<MoveSizePost> posts;

// Wine's record of an icon (dlls/shell32/systray.c): 32-bit fields, the tip
// of 128 units at 16, the balloon's text of 256 at 280, the icon's width and height at 944 and 948.
static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tray = reinterpret_cast<FakeTray*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == RegisterWindowMessageW(L"MOX_MOVESIZE")) posts.push_back({wParam, lParam});
    if (message != WM_COPYDATA || tray == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    const auto& copy = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    UINT fields[256] = {}, size[2] = {};
    CopyMemory(fields, copy.lpData, copy.cbData < sizeof fields ? copy.cbData : sizeof fields);
    if (copy.cbData >= 952) CopyMemory(size, static_cast<BYTE*>(copy.lpData) + 944, sizeof size);
    const auto* tip = reinterpret_cast<const wchar_t*>(fields + 4);
    const auto* info = reinterpret_cast<const wchar_t*>(fields + 70);
    tray->notifications.push_back({static_cast<DWORD>(copy.dwData), fields[0], fields[1], fields[2], fields[3],
                                   size[0], size[1], std::wstring(tip, wcsnlen(tip, 128)),
                                   std::wstring(info, wcsnlen(info, 256)), copy.cbData});
    return !tray->refuse;
}
static HWND Create(const wchar_t* className, const wchar_t* title, DWORD exStyle) {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass, windowClass.lpfnWndProc = Record, windowClass.lpszClassName = className;
    RegisterClassExW(&windowClass);
    return CreateWindowExW(exStyle, className, title, WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
}
FakeTray::FakeTray() : window(Create(L"Shell_TrayWnd", L"", WS_EX_TOPMOST | WS_EX_TOOLWINDOW)) {
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(window, SW_SHOWNOACTIVATE);
}
std::vector<DWORD> FakeTray::Commands() const {
    std::vector<DWORD> commands;
    for (const IconNotification& note : notifications) commands.insert(commands.end(), note.id == 0, note.command);
    return commands;
}
MoveSizeOverlay::MoveSizeOverlay() : window(Create(L"HovelleMoveSizeWnd", L"MoveSize", 0)) { posts.clear(); }
std::vector<MoveSizePost> MoveSizeOverlay::Posts() { return PumpFor(50), posts; }

HovelleProcess::HovelleProcess() : process(new ChildProcess(L"\"" + ExecutableDirectory() + L"Hovelle.exe\"")) {}
HovelleProcess::~HovelleProcess() { if (main && Running() && PostMessageW(main, WM_COMMAND, 1003, 0)) WaitForExit(); }
bool HovelleProcess::Ready() {
    WaitFor([&] { return (main = Find(L"HovelleWnd")) && (overlay = Find(L"HovelleMoveSizeWnd")); }, 20000);
    return overlay && Running();
}
bool HovelleProcess::Running() const { return process->Running(); }
DWORD HovelleProcess::WaitForExit() { return process->WaitForExit(10000); }
HWND HovelleProcess::Find(const wchar_t* className, bool visibleOnly) const {
    HWND window = nullptr;
    DWORD owner = 0;
    while ((window = FindWindowExW(nullptr, window, className, nullptr)) && GetWindowThreadProcessId(window, &owner))
        if (owner == process->Id() && (!visibleOnly || IsWindowVisible(window))) return window;
    return nullptr;
}
} // namespace harness
