// Every index the binding tables accept lies inside the 198 elements, and
// every element is reachable.
#include <cstring>

#include "BindingTable.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    int index[3] = {0, 0, 0};
    std::memcpy(index, data, size < sizeof index ? size : sizeof index);
    static int table[MoxButtonCount][MoxModifierRowCount][MoxHitTestCount];
    if (IsBindingIndex(index[0], index[1], index[2])) {
        const long element = index[0] * 66L + index[1] * 22L + index[2];
        FUZZ_CHECK(element >= 0 && element < 198);
        table[index[0]][index[1]][index[2]] += 1;  // the sanitizer checks the bounds
    }
    // The small values near the edges.
    const int b = static_cast<signed char>(size > 0 ? data[0] : 0) % 5;
    const int m = static_cast<signed char>(size > 1 ? data[1] : 0) % 9;
    const int h = static_cast<signed char>(size > 2 ? data[2] : 0) % 25;
    FUZZ_CHECK(IsBindingIndex(b, m, h) == (b >= 0 && b <= 2 && m >= 0 && m <= 2 && h >= 0 && h <= 21));
    return 0;
}
