// The debug log's line formatting: whatever the text and the buffer size, the
// line ends with a zero inside the buffer, nothing is written past it, and the
// line is the start of the whole formatted text.
#include <cstdarg>
#include <vector>

#include "FuzzInput.h"
#include "LogLine.h"

namespace {

std::size_t Format(wchar_t* line, std::size_t capacity, const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const std::size_t length = FormatLogLine(line, capacity, format, arguments);
    va_end(arguments);
    return length;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const std::size_t capacity = 1 + (data[0] | (data[1] << 8)) % LogLineCapacity;
    const std::u16string units = Units(data + 2, size - 2);
    // The text as this platform's wide characters, without zeros or
    // surrogate halves (the wide printf here rejects unpaired ones).
    std::wstring text;
    for (char16_t unit : units) {
        if (unit != 0 && (unit < 0xD800 || unit > 0xDFFF)) text += static_cast<wchar_t>(unit);
    }
    // Exactly sized heap buffer: the address sanitizer sees any write past it.
    std::vector<wchar_t> line(capacity, L'#');
    const std::size_t length = Format(line.data(), capacity, L"%ls 0x%X 0x%X", text.c_str(), 0x1234u, 0xABCDu);
    FUZZ_CHECK(length < capacity);
    FUZZ_CHECK(line[length] == 0);
    std::vector<wchar_t> whole(text.size() + 32, L'#');
    const std::size_t full = Format(whole.data(), whole.size(), L"%ls 0x%X 0x%X", text.c_str(), 0x1234u, 0xABCDu);
    FUZZ_CHECK(full == text.size() + 14);
    FUZZ_CHECK(length <= full);
    for (std::size_t i = 0; i < length; ++i) FUZZ_CHECK(line[i] == whole[i]);
    return 0;
}
