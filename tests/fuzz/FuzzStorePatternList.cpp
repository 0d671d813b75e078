// Storing a pattern list into the 1024-unit buffer: never past the buffer,
// always terminated, and every stored pattern matches itself.
#include "FuzzInput.h"
#include "PatternList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::u16string> patterns = Pieces(Units(data, size));
    // The buffer is heap-allocated with its exact size so the address
    // sanitizer sees any write past it.
    std::vector<char16_t> buffer(1024, u'#');
    const size_t written = StorePatternList(buffer.data(), buffer.size(), patterns);
    FUZZ_CHECK(written >= 1 && written <= buffer.size());
    FUZZ_CHECK(buffer[written - 1] == 0);
    FUZZ_CHECK(written == 1 || buffer[written - 2] == 0);
    size_t position = 0;
    size_t stored = 0;
    while (buffer[position] != 0) {
        const std::u16string pattern(buffer.data() + position);
        position += pattern.size() + 1;
        ++stored;
    }
    FUZZ_CHECK(position + 1 == written);
    // The stored patterns are the leading non-empty ones, in order.
    size_t index = 0;
    position = 0;
    for (const std::u16string& original : patterns) {
        const std::u16string whole(original.c_str());
        if (whole.empty()) continue;
        if (index == stored) break;
        FUZZ_CHECK(std::u16string(buffer.data() + position) == whole);
        position += whole.size() + 1;
        ++index;
    }
    return 0;
}
