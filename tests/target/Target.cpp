// The target program of the window tests: creates windows on command and
// reports what their own procedures received. One command per line on
// standard input, one reply line on standard output; every command runs on the
// main thread, which owns the windows. Numbers are hexadecimal; a new command
// is one more row of the table at the end.
#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Args = std::istringstream;
std::wstring hookLibrary = L"Lorvek.dll";
std::map<HWND, std::vector<UINT>> received;
volatile LONG churned = 0;
DWORD mainThread = 0;

unsigned long long Next(Args& in)
{
    std::string word;
    in >> word;
    return std::strtoull(word.c_str(), nullptr, 16);
}
HWND NextWindow(Args& in) { return reinterpret_cast<HWND>(Next(in)); }
std::string Hex(unsigned long long value)
{
    std::ostringstream out;
    out << std::hex << value;
    return out.str();
}
std::wstring Rest(Args& in)
{
    std::string text;
    std::getline(in >> std::ws, text);
    return std::wstring(text.begin(), text.end());
}

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    received[window].push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND Create(DWORD style, DWORD exStyle, HWND parent, const std::wstring& className, const std::wstring& title)
{
    const WNDCLASSW windowClass = {CS_DBLCLKS, Recording, 0, 0, nullptr, nullptr, LoadCursorW(nullptr, IDC_ARROW),
                                   reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, className.c_str()};
    RegisterClassW(&windowClass);  // fails harmlessly when registered before
    return CreateWindowExW(exStyle, className.c_str(), title.c_str(), style, 100, 100, 320, 240, parent, nullptr,
                           nullptr, nullptr);
}

// Hidden captioned windows created and destroyed one after another on a thread
// of their own that keeps answering sent messages.
DWORD WINAPI Churn(void* count)
{
    for (UINT_PTR i = 0; i < reinterpret_cast<UINT_PTR>(count); ++i) {
        const HWND window = Create(WS_OVERLAPPEDWINDOW, 0, nullptr, L"Churned", L"Churned");
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        DestroyWindow(window);
        InterlockedIncrement(&churned);
    }
    return 0;
}

std::string Menu(HMENU menu)
{
    std::string text;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        wchar_t name[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = name;
        info.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
        text += (position > 0 ? "|" : "") + Hex(info.wID) + ":" + (info.fState & MFS_CHECKED ? "C" : "") +
                (info.fType & MFT_SEPARATOR ? "S" : "") + ":" + std::string(name, name + lstrlenW(name));
    }
    return text;
}

using Command = std::string (*)(Args&);
const std::map<std::string, Command> commands = {
    {"pid", [](Args&) { return std::to_string(GetCurrentProcessId()); }},
    // create STYLE EXSTYLE PARENT CLASS TITLE... -> the window
    {"create", [](Args& in) {
         const DWORD style = static_cast<DWORD>(Next(in)), exStyle = static_cast<DWORD>(Next(in));
         const HWND parent = NextWindow(in);
         std::string className;
         in >> className;
         const HWND window = Create(style, exStyle, parent, std::wstring(className.begin(), className.end()), Rest(in));
         return window != nullptr ? Hex(reinterpret_cast<UINT_PTR>(window)) : "error " + std::to_string(GetLastError());
     }},
    // the system menu as ID:FLAGS:TEXT|... (FLAGS: C checked, S separator)
    // (after WM_INITMENUPOPUP, as when the menu opens)
    {"menu", [](Args& in) {
         const HWND window = NextWindow(in);
         const HMENU menu = GetSystemMenu(window, FALSE);
         SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
         return Menu(menu);
     }},
    // the messages the window's own procedure received since the last call
    {"messages", [](Args& in) {
         std::string list;
         std::vector<UINT>& messages = received[NextWindow(in)];
         for (UINT message : messages) list += Hex(message) + " ";
         messages.clear();
         return list;
     }},
    {"manage", [](Args& in) {
         const auto manage = reinterpret_cast<void (*)(HWND)>(reinterpret_cast<void*>(
             GetProcAddress(GetModuleHandleW(hookLibrary.c_str()), "WindowManagerManageWindow")));
         if (manage != nullptr) manage(NextWindow(in));
         return std::string(manage != nullptr ? "ok" : "notloaded");
     }},
    {"loaded", [](Args&) { return std::to_string(GetModuleHandleW(hookLibrary.c_str()) != nullptr); }},
    {"keystate", [](Args& in) { return std::to_string(GetAsyncKeyState(static_cast<int>(Next(in))) != 0); }},
    // classic WINDOW: a theme class that no visual style has, so the window is drawn classic
    {"classic", [](Args& in) {
         using SetTheme = HRESULT(WINAPI*)(HWND, const wchar_t*, const wchar_t*);
         const auto set = reinterpret_cast<SetTheme>(
             reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"uxtheme.dll"), "SetWindowTheme")));
         return Hex(static_cast<ULONG>(set(NextWindow(in), nullptr, L"LorvekNoStyle")));
     }},
    // churn COUNT: starts creating and destroying COUNT windows; churned: how many so far
    {"churn", [](Args& in) {
         churned = 0;
         CloseHandle(CreateThread(nullptr, 0, Churn, reinterpret_cast<void*>(Next(in)), 0, nullptr));
         return std::string("ok");
     }},
    {"churned", [](Args&) { return Hex(static_cast<ULONG>(churned)); }},
};

const UINT WM_COMMAND_LINE = WM_APP + 1;

LRESULT CALLBACK Control(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COMMAND_LINE) return DefWindowProcW(window, message, wParam, lParam);
    Args in(*reinterpret_cast<const std::string*>(wParam));
    std::string verb;
    in >> verb;
    const auto command = commands.find(verb);
    *reinterpret_cast<std::string*>(lParam) = command != commands.end() ? command->second(in) : "unknown " + verb;
    return 0;
}

DWORD WINAPI ReadCommands(void* control)
{
    std::string pending, line, reply;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &count, nullptr) && count > 0) {
        pending.append(buffer, count);
        for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
            line = pending.substr(0, end);
            pending.erase(0, end + 1);
            SendMessageW(static_cast<HWND>(control), WM_COMMAND_LINE, reinterpret_cast<WPARAM>(&line),
                         reinterpret_cast<LPARAM>(&reply));
            reply += "\n";
            WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), reply.data(), static_cast<DWORD>(reply.size()), &count, nullptr);
        }
    }
    PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1) hookLibrary = std::wstring(argv[1], argv[1] + strlen(argv[1]));
    const WNDCLASSW windowClass = {0, Control, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"LorvekTargetControl"};
    RegisterClassW(&windowClass);
    const HWND control = CreateWindowW(L"LorvekTargetControl", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    mainThread = GetCurrentThreadId();
    CloseHandle(CreateThread(nullptr, 0, ReadCommands, control, 0, nullptr));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
