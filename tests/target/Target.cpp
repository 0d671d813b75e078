// The target program's main loop and command dispatch.
#include "Target.h"

#include <cstdio>
#include <cstdlib>
#include <map>

namespace target {

namespace {

const UINT WM_COMMAND_LINE = WM_APP + 1;
std::wstring hookLibrary = L"Lorvek.dll";

std::map<std::string, CommandFunction>& Commands()
{
    static std::map<std::string, CommandFunction> commands;
    return commands;
}

std::string Run(const std::string& line)
{
    std::istringstream arguments(line);
    std::string verb;
    arguments >> verb;
    const auto command = Commands().find(verb);
    if (command == Commands().end()) return "unknown command";
    return command->second(arguments);
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

std::string ProcessId(std::istringstream&)
{
    return std::to_string(GetCurrentProcessId());
}
TargetCommand pid("pid", ProcessId);

std::string Loaded(std::istringstream&)
{
    return GetModuleHandleW(hookLibrary.c_str()) != nullptr ? "1" : "0";
}
TargetCommand loaded("loaded", Loaded);

} // namespace

TargetCommand::TargetCommand(const char* verb, CommandFunction run)
{
    Commands()[verb] = run;
}

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

unsigned long long NextHex(std::istringstream& arguments)
{
    std::string word;
    arguments >> word;
    return ParseHex(word);
}

HWND NextWindow(std::istringstream& arguments)
{
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(NextHex(arguments)));
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

const std::wstring& HookLibrary()
{
    return hookLibrary;
}

FARPROC HookExportAddress(const char* name)
{
    const HMODULE module = GetModuleHandleW(hookLibrary.c_str());
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

} // namespace target

int main(int argc, char** argv)
{
    if (argc > 1) target::hookLibrary = target::Widen(argv[1]);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = target::ControlWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"LorvekTargetControl";
    RegisterClassExW(&windowClass);
    const HWND control = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         windowClass.hInstance, nullptr);
    const HANDLE reader = CreateThread(nullptr, 0, target::ReadCommands, control, 0, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CloseHandle(reader);
    return 0;
}
