// The fuzz targets of the pure functions, one per family, chosen by -DFUZZ_<family> (scripts/fuzz). The buffers
// are exactly sized on the heap, so the sanitizers see any access outside them; CHECK traps on a broken rule.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "PatternList.h"
#include "RegistryFormat.h"
#include "Rules.h"
#include "SnapArithmetic.h"

#define CHECK(condition) ((condition) ? void() : __builtin_trap())

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::u16string> pieces(1);  // the bytes as 16-bit units, cut at each 0xFFFF
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0xFFFF) pieces.emplace_back(); else pieces.back() += unit;
    }
    std::vector<char16_t> raw(pieces.back().begin(), pieces.back().end()), buffer(1 + size % 300, u'#');
    std::vector<RECT> targets(size / sizeof(RECT) + 1);
    std::memcpy(static_cast<void*>(targets.data()), data, size);
#if defined(FUZZ_Patterns)
    const std::size_t n = StorePatternList(buffer.data(), buffer.size(), pieces);
    CHECK(n >= 1 && n <= buffer.size() && buffer[n - 1] == 0 && (n == 1 || buffer[n - 2] == 0));
    CHECK(n == 1 || MatchPatternList(buffer.data(), buffer.data(), buffer.size()));  // the first matches itself
    MatchPatternList(pieces[0].c_str(), raw.data(), raw.size());
#elif defined(FUZZ_Snapping)
    RECT moved = targets[0], sized = moved;
    SnapMovingRect(moved, targets.data() + 1, targets.size() - 1);
    SnapSizingRect(sized, size % 10, targets.data() + 1, targets.size() - 1);
    auto near = [&](const RECT& r, int i) { return std::llabs(0LL + (&r.left)[i] - (&targets[0].left)[i]) <= 10; };
    for (int i = 0; i < 4; ++i) CHECK(near(sized, i) && (near(moved, i) || near(moved, i ^ 2)));  // i ^ 2: far edge
#elif defined(FUZZ_RegistryFormat)
    const std::vector<std::u16string> strings = SplitMultiString(raw.data(), raw.size());
    const std::size_t n = EncodeMultiString(strings, buffer.data(), buffer.size());
    CHECK(n == 0 || SplitMultiString(buffer.data(), n) == strings);
    raw.push_back(0);
    const RegistryPathParts<char16_t> parts = SplitRegistryPath(raw.data());
    for (auto part : {parts.root, parts.valueName}) CHECK(std::u16string(part).find(u'\\') == std::u16string::npos);
#elif defined(FUZZ_Rules)
    RawRuleValue values[RuleValueCount];  // piece i + 1 is value i: its first unit the type (0: absent), then the data
    for (std::size_t i = 0; i < RuleValueCount && i + 1 < pieces.size(); ++i) {
        const std::u16string& piece = pieces[i + 1];
        if (piece.empty() || piece[0] == 0) continue;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(piece.data() + 1);
        const std::size_t n = (piece.size() - 1) * 2;  // odd when the input is
        values[i] = {true, piece[0] % 8u, std::vector<std::uint8_t>(bytes, bytes + n - (n > 0 ? size % 2 : 0))};
    }
    BasicRule<char16_t> rule;
    std::vector<BasicRuleEntry<char16_t>> entry(1);
    if (ParseRule(values, rule) < 0) {
        EncodeRule(rule, entry[0]);
        CHECK(entry[0].program[RulePatternUnits - 1] == 0 && entry[0].title[RulePatternUnits - 1] == 0);
        CHECK(rule.opacity >= 10 && rule.opacity <= 100 && (rule.opacity == 100) == (entry[0].alpha == 255));
        // A rule matches its own patterns as texts; its program pattern is all of the stored one.
        CHECK(FindRule(entry.data(), 1, entry[0].program, entry[0].className, entry[0].title) == 0);
        CHECK(std::u16string(entry[0].program) == rule.program);
    }
#endif
    return 0;
}
