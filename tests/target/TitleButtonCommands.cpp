// Commands for the title-button tests: pictures of a window as it is drawn,
// the caption text, activation, and the mouse messages posted to a window.
//
//   capture HWND PATH     -> "ok": the whole window (window DC) written to PATH
//                            as width, height (32-bit each) and top-down
//                            0x00RRGGBB pixels
//   settext HWND TEXT...  -> SetWindowTextW's result (a WM_SETTEXT)
//   activate HWND         -> SetForegroundWindow's result
//   posted HWND           -> the mouse button messages posted to the window since
//                            the previous call (the first call starts recording)
//                            as MESSAGE:WPARAM in hex, or "none"
//   theme HWND on|off     -> SetWindowTheme: "off" points the window at a theme
//                            class that no visual style has, so it is drawn
//                            classic; "on" gives it its style back; either way the
//                            window receives WM_THEMECHANGED. Replies the HRESULT.
#include <cstdint>
#include <map>
#include <vector>

#include "Screenshot.h"
#include "Target.h"

namespace target {

namespace {

struct Posted {
    UINT message;
    WPARAM wParam;
};
std::map<HWND, std::vector<Posted>> posted;
HHOOK messageHook = nullptr;

// Sees every message this thread takes from its queue, so also the mouse
// messages that a subclass claims before the window's own procedure.
LRESULT CALLBACK RecordPosted(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        const MSG& message = *reinterpret_cast<const MSG*>(lParam);
        if (message.message >= WM_NCMOUSEMOVE && message.message <= WM_NCXBUTTONDBLCLK &&
            message.message != WM_NCMOUSEMOVE) {
            posted[message.hwnd].push_back({message.message, message.wParam});
        } else if (message.message >= WM_LBUTTONDOWN && message.message <= WM_MBUTTONDBLCLK) {
            posted[message.hwnd].push_back({message.message, message.wParam});
        } else if (message.message == WM_NCMOUSELEAVE) {
            posted[message.hwnd].push_back({message.message, message.wParam});
        }
    }
    return CallNextHookEx(messageHook, code, wParam, lParam);
}

std::string Capture(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    std::string path;
    std::getline(in >> std::ws, path);
    RECT rect = {};
    GetWindowRect(window, &rect);
    const HDC windowDC = GetWindowDC(window);
    const harness::Image image =
        harness::CaptureDC(windowDC, {0, 0, rect.right - rect.left, rect.bottom - rect.top});
    ReleaseDC(window, windowDC);
    if (image.width == 0) return "error " + std::to_string(GetLastError());
    const HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "error " + std::to_string(GetLastError());
    const int32_t size[2] = {image.width, image.height};
    DWORD written = 0;
    WriteFile(file, size, sizeof size, &written, nullptr);
    WriteFile(file, image.pixels.data(), static_cast<DWORD>(image.pixels.size() * sizeof(uint32_t)), &written,
              nullptr);
    CloseHandle(file);
    return "ok";
}

std::string SetText(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    std::string text;
    std::getline(in >> std::ws, text);
    return SetWindowTextW(window, Widen(text).c_str()) ? "1" : "0";
}

std::string Activate(std::istringstream& in)
{
    return SetForegroundWindow(NextWindow(in)) ? "1" : "0";
}

std::string PostedMessages(std::istringstream& in)
{
    if (messageHook == nullptr) {
        messageHook = SetWindowsHookExW(WH_GETMESSAGE, RecordPosted, nullptr, GetCurrentThreadId());
    }
    std::vector<Posted>& list = posted[NextWindow(in)];
    std::string text;
    for (const Posted& message : list) text += Hex(message.message) + ":" + Hex(message.wParam) + " ";
    list.clear();
    return text.empty() ? "none" : text;
}

std::string Theme(std::istringstream& in)
{
    using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, const wchar_t*, const wchar_t*);
    const HWND window = NextWindow(in);
    std::string which;
    in >> which;
    const HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
    const auto setWindowTheme = reinterpret_cast<SetWindowThemeFunction>(
        reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")));
    if (setWindowTheme == nullptr) return "nouxtheme";
    const HRESULT result = which == "off" ? setWindowTheme(window, nullptr, L"LorvekNoStyle") : setWindowTheme(window, nullptr, nullptr);
    return Hex(static_cast<unsigned long>(result));
}

TargetCommand commands[] = {
    {"theme", Theme},
    {"capture", Capture},
    {"settext", SetText},
    {"activate", Activate},
    {"posted", PostedMessages},
};

} // namespace

} // namespace target
