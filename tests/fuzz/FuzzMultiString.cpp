// The REG_MULTI_SZ split reads only the returned units, and encoding what it
// split gives the same strings back.
#include "FuzzInput.h"
#include "RegistryFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::u16string units = Units(data, size);
    // Exactly sized heap copy: the sanitizer catches a read past the data.
    std::vector<char16_t> stored(units.begin(), units.end());
    const std::vector<std::u16string> strings = SplitMultiString(stored.data(), stored.size());
    size_t total = 1;
    for (const std::u16string& text : strings) {
        FUZZ_CHECK(!text.empty());
        FUZZ_CHECK(text.find(u'\0') == std::u16string::npos);
        total += text.size() + 1;
    }
    std::vector<char16_t> encoded(1024);
    const size_t written = EncodeMultiString(strings, encoded.data(), encoded.size());
    if (total <= encoded.size()) {
        FUZZ_CHECK(written == total);
        FUZZ_CHECK(SplitMultiString(encoded.data(), written) == strings);
    } else {
        FUZZ_CHECK(written == 0);
    }
    return 0;
}
