// The fuzz targets of the pure functions, one per family, chosen by -DFUZZ_<family> (scripts/fuzz). Every
// buffer is exactly sized on the heap, so the sanitizers see any access outside it; CHECK traps on a broken rule.
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "LogLine.h"
#include "MouseBinding.h"
#include "PatternList.h"
#include "RegistryFormat.h"
#include "SnapArithmetic.h"

#define CHECK(condition) ((condition) ? void() : __builtin_trap())
using Units = std::vector<char16_t>;

std::size_t Format(wchar_t* line, std::size_t capacity, const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    const std::size_t length = FormatLogLine(line, capacity, format, arguments);
    va_end(arguments);
    return length;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::u16string> pieces(1);  // the bytes as 16-bit units, cut at each 0xFFFF
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (unit == 0xFFFF) pieces.emplace_back(); else pieces.back() += unit;
    }
    const Units raw(pieces.back().begin(), pieces.back().end());
#if defined(FUZZ_Patterns)
    Units list(1 + size % 200, u'#');
    const std::size_t written = StorePatternList(list.data(), list.size(), pieces);
    CHECK(written >= 1 && written <= list.size() && list[written - 1] == 0 && (written < 2 || list[written - 2] == 0));
    CHECK(written < 2 || MatchPatternList(list.data(), list.data(), list.size()));  // the first matches itself
    MatchPatternList(pieces[0].c_str(), raw.data(), raw.size());
#elif defined(FUZZ_Snapping)
    std::vector<SnapTarget> targets(size / sizeof(RECT) + 1);
    std::memcpy(static_cast<void*>(targets.data()), data, size);
    RECT moved = targets[0].rect, sized = moved;
    SnapMovingRect(moved, targets.data() + 1, targets.size() - 1);
    SnapSizingRect(sized, size % 10, targets.data() + 1, targets.size() - 1);
    const LONG* before = &targets[0].rect.left;
    auto near = [&](const RECT& r, int i) { return std::llabs(static_cast<long long>((&r.left)[i]) - before[i]) <= 10; };
    for (int i = 0; i < 4; ++i) CHECK(near(sized, i) && (near(moved, i) || near(moved, i ^ 2)));
#elif defined(FUZZ_Bindings)
    std::vector<BindingTable> tables(1);
    for (std::size_t i = 0; i < size && i < 198; ++i) (&tables[0][0][0][0])[i] = static_cast<MoxAction>(data[i] % 9 - 1);
    int index[3] = {};
    std::memcpy(index, data, size < sizeof index ? size : sizeof index);
    if (IsBindingIndex(index[0], index[1], index[2])) tables[0][index[0]][index[1]][index[2]] = MoxActionMove;
    NcButtonEvent event = {static_cast<MoxButton>(index[0]), false, false};
    DecodeNcButtonMessage(static_cast<UINT>(index[0]), event);
    const MoxAction action = LookupBinding(tables[0], event.button, index[1], static_cast<WPARAM>(index[2]));
    CHECK(action >= MoxActionNone && action <= MoxActionMaximizeMenu);
#elif defined(FUZZ_LogLine)
    std::wstring text;  // without zeros and surrogate halves, which the wide printf here rejects
    for (char16_t unit : pieces[0]) if (unit != 0 && (unit < 0xD800 || unit > 0xDFFF)) text += wchar_t(unit);
    std::vector<wchar_t> line(1 + size % LogLineCapacity), whole(text.size() + 16);
    const std::size_t length = Format(line.data(), line.size(), L"%ls 0x%X", text.c_str(), 0xABCDu);
    CHECK(length < line.size() && line[length] == 0);
    CHECK(Format(whole.data(), whole.size(), L"%ls 0x%X", text.c_str(), 0xABCDu) == text.size() + 7);
    CHECK(std::equal(line.begin(), line.begin() + length, whole.begin()));
#elif defined(FUZZ_RegistryFormat)
    const std::vector<std::u16string> strings = SplitMultiString(raw.data(), raw.size());
    Units encoded(1 + size % 300);
    const std::size_t written = EncodeMultiString(strings, encoded.data(), encoded.size());
    CHECK(written == 0 || SplitMultiString(encoded.data(), written) == strings);
    Units path(pieces[0].c_str(), pieces[0].c_str() + std::char_traits<char16_t>::length(pieces[0].c_str()) + 1);
    const RegistryPathParts<char16_t> parts = SplitRegistryPath(path.data());
    CHECK(std::u16string(parts.root).find(u'\\') == std::u16string::npos);
    CHECK(std::u16string(parts.valueName).find(u'\\') == std::u16string::npos);
#endif
    return 0;
}
