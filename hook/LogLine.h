// Formatting one debug-log line: a wide printf-style format cut to fit the
// line buffer. Free of Windows headers.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cwchar>

// Characters of one formatted line, the terminating zero included.
constexpr std::size_t LogLineCapacity = 1024;

// Formats into `line` (capacity in characters, at least 1): at most
// capacity - 1 characters, longer output is cut, and the line always ends
// with a zero. Returns the number of characters before that zero.
inline std::size_t FormatLogLine(wchar_t* line, std::size_t capacity, const wchar_t* format, va_list arguments)
{
    if (capacity == 0) return 0;
    line[0] = 0;
#ifdef _WIN32
    // The Microsoft runtime's rules (%s is a wide string). When the output
    // does not fit, it writes `capacity - 1` characters and no terminator.
    _vsnwprintf(line, capacity - 1, format, arguments);
#else
    // Elsewhere (the native fuzz build) the C library's wide printf, which
    // may also leave a cut line without its terminator.
    std::vswprintf(line, capacity, format, arguments);
#endif
    line[capacity - 1] = 0;
    return std::wcslen(line);
}
