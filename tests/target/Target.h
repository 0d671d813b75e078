// The target program of the window tests: a separate process that creates
// windows on command and reports what they received. Commands arrive one per
// line on standard input; each gets exactly one line of reply on standard
// output. Every command runs on the main thread, which owns the windows.
// Each file of this folder registers its commands with a TargetCommand.
#pragma once

#include <windows.h>

#include <sstream>
#include <string>
#include <vector>

namespace target {

using CommandFunction = std::string (*)(std::istringstream& arguments);

// Registers a command verb at start-up.
struct TargetCommand {
    TargetCommand(const char* verb, CommandFunction run);
};

std::string Hex(unsigned long long value);
unsigned long long ParseHex(const std::string& text);
// Reads the next word of the arguments as a hexadecimal window handle.
HWND NextWindow(std::istringstream& arguments);
unsigned long long NextHex(std::istringstream& arguments);
std::wstring Widen(const std::string& text);
std::string Narrow(const wchar_t* text);

// The file name of the hook library the tests use ("Lorvek.dll" unless the
// command line names another).
const std::wstring& HookLibrary();

// An export of the hook library if it is mapped into this process, else null.
FARPROC HookExportAddress(const char* name);
template <typename Function>
Function HookExport(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(HookExportAddress(name)));
}

} // namespace target
