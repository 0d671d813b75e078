// The target program of the window tests: creates windows on command and tells what their own procedures received.
// One command per line on standard input, one reply line on standard output, run by the thread that owns the windows
// between its messages. Numbers are hexadecimal; a new command is a table row.
#include <windows.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Args = std::istringstream;
std::wstring hookLibrary = L"Lorvek.dll";
std::map<HWND, std::vector<UINT>> received;
ATOM ownTitleBar = 0;  // the class "OwnTitleBar": the client area covers the caption, as in a browser
std::map<HWND, LONG> minHeights;  // windows that keep themselves at least this high

unsigned long long Next(Args& in) { std::string word; return std::strtoull((in >> word, word).c_str(), nullptr, 16); }
HWND NextWindow(Args& in) { return reinterpret_cast<HWND>(Next(in)); }
std::string Hex(unsigned long long v) { char s[20]; return std::string(s, std::snprintf(s, sizeof s, "%llx", v)); }

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received[window].push_back(message);
    if (message == WM_SETTEXT) SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | WS_CLIPCHILDREN);
    if (message == WM_NCCALCSIZE && GetClassLongW(window, GCW_ATOM) == ownTitleBar) return 0;
    if (message == WM_GETMINMAXINFO && minHeights.count(window)) reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y = minHeights[window];
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND Create(DWORD style, DWORD exStyle, HWND parent, const std::string& name, const std::string& title) {
    const std::wstring className(name.begin(), name.end());
    const WNDCLASSW windowClass = {CS_DBLCLKS, Recording, 0, 0, nullptr, nullptr, LoadCursorW(nullptr, IDC_ARROW),
                                   reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, className.c_str()};
    const ATOM atom = RegisterClassW(&windowClass);  // fails harmlessly when registered before
    if (name == "OwnTitleBar" && atom != 0) ownTitleBar = atom;
    return CreateWindowExW(exStyle, className.c_str(), std::wstring(title.begin(), title.end()).c_str(), style, 100,
                           100, 320, 240, parent, nullptr, nullptr, nullptr);
}

const std::map<std::string, std::string (*)(Args&)> commands = {
    {"pid", [](Args&) { return std::to_string(GetCurrentProcessId()); }},
    {"create", [](Args& in) {  // STYLE EXSTYLE PARENT CLASS TITLE... -> the window
         const DWORD style = static_cast<DWORD>(Next(in)), exStyle = static_cast<DWORD>(Next(in));
         const HWND parent = NextWindow(in);
         std::string className, title;
         std::getline(in >> className >> std::ws, title);
         const HWND window = Create(style, exStyle, parent, className, title);
         return window ? Hex(reinterpret_cast<UINT_PTR>(window)) : "error " + std::to_string(GetLastError());
     }},
    {"menu", [](Args& in) {  // the system menu as it opens: ID:FLAGS:TEXT|... (C checked, S separator)
         const HWND window = NextWindow(in);
         const HMENU menu = GetSystemMenu(window, FALSE);
         SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
         std::string text;
         for (int position = 0; position < GetMenuItemCount(menu); ++position) {
             char name[256] = {};
             MENUITEMINFOA info = {};
             info.cbSize = sizeof info, info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
             info.dwTypeData = name, info.cch = 255;
             GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
             text += (position > 0 ? "|" : "") + Hex(info.wID) + ":" + (info.fState & MFS_CHECKED ? "C" : "") +
                     (info.fType & MFT_SEPARATOR ? "S" : "") + ":" + name;
         }
         return text;
     }},
    {"messages", [](Args& in) {  // what the window's own procedure received since the last time
         std::vector<UINT>& messages = received[NextWindow(in)];
         std::string list;
         for (UINT message : messages) list += Hex(message) + " ";
         return messages.clear(), list;
     }},
    {"manage", [](Args& in) {  // WindowManagerManageWindow on this thread
         const auto manage = reinterpret_cast<void (*)(HWND)>(reinterpret_cast<void*>(
             GetProcAddress(GetModuleHandleW(hookLibrary.c_str()), "WindowManagerManageWindow")));
         if (manage != nullptr) manage(NextWindow(in));
         return std::string(manage != nullptr ? "ok" : "notloaded");
     }},
    {"minheight", [](Args& in) { const HWND w = NextWindow(in); return minHeights[w] = LONG(Next(in)), std::string("ok"); }},
    {"destroy", [](Args& in) { return std::to_string(DestroyWindow(NextWindow(in))); }},
    {"loaded", [](Args&) { return std::to_string(GetModuleHandleW(hookLibrary.c_str()) != nullptr); }},
    {"classic", [](Args& in) {  // a theme class that no visual style has: the window is drawn classic
         using SetTheme = HRESULT(WINAPI*)(HWND, const wchar_t*, const wchar_t*);
         const auto set = reinterpret_cast<SetTheme>(
             reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"uxtheme.dll"), "SetWindowTheme")));
         return Hex(static_cast<ULONG>(set(NextWindow(in), nullptr, L"LorvekNoStyle")));
     }},
};

} // namespace

int main(int argc, char** argv) {
    if (argc > 1) hookLibrary = std::wstring(argv[1], argv[1] + strlen(argv[1]));
    std::string pending;
    char buffer[4096];
    for (DWORD count = 0; PeekNamedPipe(GetStdHandle(STD_INPUT_HANDLE), nullptr, 0, nullptr, &count, nullptr);) {
        for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
        if (count == 0) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        if (count == 0 || !ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &count, nullptr)) continue;
        pending.append(buffer, count);
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            Args in(pending.substr(0, end));
            std::string verb;
            const auto command = commands.find((in >> verb, verb));
            const std::string reply = (command != commands.end() ? command->second(in) : "unknown " + verb) + "\n";
            WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), reply.data(), static_cast<DWORD>(reply.size()), &count, nullptr);
        }
    }
    return 0;
}
