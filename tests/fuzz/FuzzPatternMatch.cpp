// MatchPattern and MatchPatternList on arbitrary texts, patterns and lists.
#include "FuzzInput.h"
#include "PatternList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<std::u16string> pieces = Pieces(Units(data, size));
    const std::u16string text = pieces[0];
    const std::u16string pattern = pieces.size() > 1 ? pieces[1] : std::u16string();
    const bool matched = MatchPattern(text.c_str(), pattern.c_str());
    // A pattern without wildcards matches exactly itself.
    if (pattern.find_first_of(u"*?") == std::u16string::npos) {
        FUZZ_CHECK(matched == (std::u16string(text.c_str()) == std::u16string(pattern.c_str())));
    }
    // A lone star matches everything.
    FUZZ_CHECK(MatchPattern(text.c_str(), u"*"));
    // The raw units as a stored list of exactly that capacity: never read past it.
    if (!pieces.back().empty()) {
        const std::u16string& raw = pieces.back();
        std::vector<char16_t> list(raw.begin(), raw.end());
        list.back() = 0;  // the stored form always ends with a NUL
        MatchPatternList(text.c_str(), list.data(), list.size());
    }
    return 0;
}
