// The hook library's diagnostic line. Where lines go is fixed when the
// library is built (LogDestination): the debugger output ("OutputDebug:..."),
// a file that is only ever appended to ("File:" and a path), or a registry
// value that names one of those two ("Reg:" and a full registry path).
#pragma once

#include <cstdarg>
#include <cstddef>

#include "LogLine.h"

// The shipped destination: the file C:\Lorvek\Lorvek.log, written only when
// the user a process runs as has created it (and its folder), as a plain file.
extern const wchar_t LogDestination[];

// A file that was found missing is not looked for again in the same process
// for this many milliseconds: creating it turns the log on within a second.
constexpr unsigned long long MissingFileMemory = 1000;

// False while the destination is a file this process found missing less
// than MissingFileMemory ago: a caller may then skip the work of a line.
bool LogFileMayExist(const wchar_t* destination);

// printf-style (wide rules: %s takes a wide string). The result means nothing.
int LogMessage(const wchar_t* format, ...);

// One line to the given destination; LogMessage passes LogDestination.
void WriteLogLine(const wchar_t* destination, const wchar_t* format, va_list arguments);

enum class LogTarget {
    None,      // writes nothing
    Debugger,  // "OutputDebug:"
    File,      // "File:" and a path
    Registry,  // "Reg:" and a full registry path
};

// The kind of destination and, through `rest`, the text after its prefix.
// Prefixes are compared exactly and case-sensitively.
LogTarget ParseLogDestination(const wchar_t* destination, const wchar_t** rest);
