// The target program of the window tests: a separate process that creates
// windows on command and reports what they received. Commands arrive one per
// line on standard input; each gets exactly one line of reply on standard
// output. The windows live on the main thread; a reader thread hands each
// command to it with SendMessage.
//
//   create STYLE EXSTYLE PARENT CLASS OPTIONS TITLE...  -> window handle
//          OPTIONS: "-" or a comma list of: nosep (strip the system menu's
//          separators before the window's WM_CREATE)
//   menu HWND             -> the system menu: ID:FLAGS:TEXT|... (FLAGS: C checked, S separator)
//   initmenu HWND WHICH   -> sends WM_INITMENUPOPUP with the system menu (sys),
//                            another popup (popup) or no menu (null)
//   resetmenu HWND        -> GetSystemMenu(HWND, TRUE)
//   messages HWND         -> the messages its own procedure received, in hex
//   clear HWND            -> forgets them
//   send HWND MSG WPARAM LPARAM -> SendMessageW from the window's thread
//   manage HWND           -> WindowManagerManageWindow on the window's thread
//   binding TABLE B M H   -> GetMouseAction (TABLE 0) or GetMouseActionDblClk (1)
//   loaded                -> 1 when the hook library is mapped into this process
//   destroy HWND          -> DestroyWindow
//   pid                   -> this process id
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const UINT WM_COMMAND_LINE = WM_APP + 1;
std::wstring hookLibrary = L"Lorvek.dll";
std::map<HWND, std::vector<UINT>> received;
std::set<std::wstring> registeredClasses;
bool stripSeparators = false;

std::string Hex(unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

unsigned long long ParseHex(const std::string& text)
{
    return std::strtoull(text.c_str(), nullptr, 16);
}

HWND ParseWindow(const std::string& text)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseHex(text)));
}

std::wstring Widen(const std::string& text)
{
    if (text.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

std::string Narrow(const wchar_t* text)
{
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return std::string();
    std::string narrow(static_cast<size_t>(length - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    return narrow;
}

void StripSystemMenuSeparators(HWND window)
{
    const HMENU menu = GetSystemMenu(window, FALSE);
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_SEPARATOR)) {
            DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
        }
    }
}

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE && stripSeparators) StripSystemMenuSeparators(window);
    received[window].push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

void EnsureClass(const std::wstring& name)
{
    if (registeredClasses.count(name)) return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = RecordingWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name.c_str();
    RegisterClassExW(&windowClass);
    registeredClasses.insert(name);
}

std::string DescribeSystemMenu(HWND window)
{
    const HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return "nomenu";
    std::string description;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
        if (position > 0) description += "|";
        description += Hex(info.wID) + ":";
        if (info.fState & MFS_CHECKED) description += "C";
        if (info.fType & MFT_SEPARATOR) description += "S";
        description += ":" + Narrow(text);
    }
    return description;
}

template <typename Function>
Function HookExport(const char* name)
{
    const HMODULE module = GetModuleHandleW(hookLibrary.c_str());
    const FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

std::string Run(const std::string& line)
{
    std::istringstream in(line);
    std::string verb;
    in >> verb;
    if (verb == "create") {
        std::string style, exStyle, parent, className, options, title;
        in >> style >> exStyle >> parent >> className >> options;
        std::getline(in >> std::ws, title);
        const std::wstring wideClass = Widen(className);
        EnsureClass(wideClass);
        stripSeparators = options.find("nosep") != std::string::npos;
        const HWND window = CreateWindowExW(static_cast<DWORD>(ParseHex(exStyle)), wideClass.c_str(),
                                           Widen(title).c_str(), static_cast<DWORD>(ParseHex(style)), 100, 100,
                                           320, 240, ParseWindow(parent), nullptr, GetModuleHandleW(nullptr),
                                           nullptr);
        stripSeparators = false;
        if (window == nullptr) return "error " + std::to_string(GetLastError());
        ShowWindow(window, SW_SHOWNOACTIVATE);
        return Hex(reinterpret_cast<UINT_PTR>(window));
    }
    std::string argument;
    in >> argument;
    const HWND window = ParseWindow(argument);
    if (verb == "menu") return DescribeSystemMenu(window);
    if (verb == "initmenu") {
        HMENU menu = nullptr;
        HMENU popup = nullptr;
        std::string which;
        in >> which;
        if (which == "sys") menu = GetSystemMenu(window, FALSE);
        if (which == "popup") menu = popup = CreatePopupMenu();
        if (popup != nullptr) {
            AppendMenuW(popup, MF_STRING, 0xE010, L"Other");
        }
        SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, which == "sys"));
        if (popup != nullptr) {
            const UINT state = GetMenuState(popup, 0xE010, MF_BYCOMMAND);
            DestroyMenu(popup);
            return (state & MF_CHECKED) ? "popup-checked" : "ok";
        }
        return "ok";
    }
    if (verb == "resetmenu") {
        GetSystemMenu(window, TRUE);
        return "ok";
    }
    if (verb == "messages") {
        std::string list;
        for (UINT message : received[window]) list += Hex(message) + " ";
        return list.empty() ? "none" : list;
    }
    if (verb == "clear") {
        received[window].clear();
        return "ok";
    }
    if (verb == "send") {
        std::string message, wParam, lParam;
        in >> message >> wParam >> lParam;
        const LRESULT result = SendMessageW(window, static_cast<UINT>(ParseHex(message)),
                                            static_cast<WPARAM>(ParseHex(wParam)), static_cast<LPARAM>(ParseHex(lParam)));
        return std::to_string(static_cast<long long>(result));
    }
    if (verb == "manage") {
        const auto manage = HookExport<void (*)(HWND)>("WindowManagerManageWindow");
        if (manage == nullptr) return "notloaded";
        manage(window);
        return "ok";
    }
    if (verb == "binding") {
        std::string button, modifier, hitTest;
        in >> button >> modifier >> hitTest;
        const auto get =
            HookExport<int (*)(int, int, int)>(argument == "0" ? "GetMouseAction" : "GetMouseActionDblClk");
        if (get == nullptr) return "notloaded";
        return std::to_string(get(std::atoi(button.c_str()), std::atoi(modifier.c_str()), std::atoi(hitTest.c_str())));
    }
    if (verb == "loaded") return GetModuleHandleW(hookLibrary.c_str()) != nullptr ? "1" : "0";
    if (verb == "destroy") return DestroyWindow(window) ? "ok" : "error " + std::to_string(GetLastError());
    if (verb == "pid") return std::to_string(GetCurrentProcessId());
    return "unknown command";
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND_LINE) {
        *reinterpret_cast<std::string*>(lParam) = Run(*reinterpret_cast<const std::string*>(wParam));
        return 0;
    }
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI ReadCommands(void* control)
{
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string pending;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(input, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        pending.append(buffer, read);
        size_t end;
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::string reply;
            SendMessageW(static_cast<HWND>(control), WM_COMMAND_LINE, reinterpret_cast<WPARAM>(&line),
                         reinterpret_cast<LPARAM>(&reply));
            reply += "\n";
            DWORD written = 0;
            WriteFile(output, reply.data(), static_cast<DWORD>(reply.size()), &written, nullptr);
        }
    }
    PostMessageW(static_cast<HWND>(control), WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1) hookLibrary = Widen(argv[1]);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ControlWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LorvekTargetControl";
    RegisterClassExW(&windowClass);
    const HWND control = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         windowClass.hInstance, nullptr);
    const HANDLE reader = CreateThread(nullptr, 0, ReadCommands, control, 0, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(reader);
    return 0;
}
