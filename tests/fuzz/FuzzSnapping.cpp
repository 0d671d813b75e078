// The snapping arithmetic on arbitrary rectangles and target lists: a move
// keeps the size, a size changes only the dragged edges, and no edge moves
// by more than the snap distance.
#include <cstring>
#include <vector>

#include "FuzzInput.h"
#include "SnapArithmetic.h"

namespace {

bool Small(const RECT& r)
{
    const LONG limit = 1 << 30;
    return r.left > -limit && r.left < limit && r.right > -limit && r.right < limit && r.top > -limit &&
           r.top < limit && r.bottom > -limit && r.bottom < limit;
}

long long Moved(LONG before, LONG after)
{
    const long long d = static_cast<long long>(after) - before;
    return d < 0 ? -d : d;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < sizeof(RECT) + 1) return 0;
    RECT start;
    std::memcpy(&start, data, sizeof start);
    const WPARAM edge = data[sizeof start] % 10;
    data += sizeof start + 1;
    size -= sizeof start + 1;
    std::vector<SnapTarget> targets(size / sizeof(RECT));
    for (size_t i = 0; i < targets.size(); ++i) {
        targets[i].window = nullptr;
        std::memcpy(&targets[i].rect, data + i * sizeof(RECT), sizeof(RECT));
    }

    RECT moved = start;
    SnapMovingRect(moved, targets.data(), targets.size());
    if (Small(start)) {
        FUZZ_CHECK(moved.right - moved.left == start.right - start.left);
        FUZZ_CHECK(moved.bottom - moved.top == start.bottom - start.top);
        FUZZ_CHECK(Moved(start.left, moved.left) <= 10 && Moved(start.top, moved.top) <= 10);
    }
    // Far out, the far edge is held at the end of the range instead.
    FUZZ_CHECK(Moved(start.left, moved.left) <= 10 || Moved(start.right, moved.right) <= 10);
    FUZZ_CHECK(Moved(start.top, moved.top) <= 10 || Moved(start.bottom, moved.bottom) <= 10);

    RECT sized = start;
    SnapSizingRect(sized, edge, targets.data(), targets.size());
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
    FUZZ_CHECK(left || sized.left == start.left);
    FUZZ_CHECK(right || sized.right == start.right);
    FUZZ_CHECK(top || sized.top == start.top);
    FUZZ_CHECK(bottom || sized.bottom == start.bottom);
    FUZZ_CHECK(Moved(start.left, sized.left) <= 10 && Moved(start.right, sized.right) <= 10);
    FUZZ_CHECK(Moved(start.top, sized.top) <= 10 && Moved(start.bottom, sized.bottom) <= 10);
    return 0;
}
