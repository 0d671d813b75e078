// Edge snapping arithmetic: adjusts the rectangle that a move or size loop
// proposes so that its edges meet the edges of nearby targets. Pure functions
// over a packed array of target rectangles (the work area and windows, in
// screen coordinates).
#pragma once

#include <windows.h>

#include <climits>
#include <cstddef>

constexpr std::size_t MaxSnapTargets = 1000;
// Edges whose signed difference lies in -SnapDistance to +SnapDistance snap.
constexpr long long SnapDistance = 10;

namespace snap_detail {

inline bool Near(LONG edge, LONG targetEdge)
{
    // One unsigned comparison for -SnapDistance <= difference <= SnapDistance.
    const long long difference = static_cast<long long>(edge) - targetEdge;
    return static_cast<unsigned long long>(difference + SnapDistance) <= static_cast<unsigned long long>(2 * SnapDistance);
}

// Either edge of a pair near either edge of the target's pair.
inline bool PairNear(LONG low, LONG high, LONG targetLow, LONG targetHigh)
{
    return Near(low, targetLow) || Near(low, targetHigh) || Near(high, targetHigh) || Near(high, targetLow);
}

inline bool Within(LONG value, LONG low, LONG high)
{
    return value >= low && value <= high;
}

// r.top or r.bottom lies within the target's height.
inline bool BesideVertically(const RECT& r, const RECT& t)
{
    return Within(r.top, t.top, t.bottom) || Within(r.bottom, t.top, t.bottom);
}

// r.left or r.right lies within the target's width.
inline bool BesideHorizontally(const RECT& r, const RECT& t)
{
    return Within(r.left, t.left, t.right) || Within(r.right, t.left, t.right);
}

// Moves both edges by the amount that puts `edge` on `to`; the amount is at
// most SnapDistance, and the far edge stays within the coordinate range.
inline void Shift(LONG& edge, LONG& other, LONG to)
{
    const long long amount = static_cast<long long>(to) - edge;
    long long moved = static_cast<long long>(other) + amount;
    if (moved > LONG_MAX) moved = LONG_MAX;
    if (moved < LONG_MIN) moved = LONG_MIN;
    edge = to;
    other = static_cast<LONG>(moved);
}

// Snaps the pair (low, high) of one axis of a moved rectangle to the pair
// (targetLow, targetHigh); answers whether it snapped.
inline bool SnapMovedAxis(LONG& low, LONG& high, LONG targetLow, LONG targetHigh)
{
    if (Near(low, targetLow)) {
        Shift(low, high, targetLow);
    } else if (Near(low, targetHigh)) {
        Shift(low, high, targetHigh);
    } else if (Near(high, targetHigh)) {
        Shift(high, low, targetHigh);
    } else if (Near(high, targetLow)) {
        Shift(high, low, targetLow);
    } else {
        return false;
    }
    return true;
}

// Snaps one dragged edge: the target's same-named edge first, then the opposite one.
inline bool SnapDraggedEdge(LONG& edge, LONG sameEdge, LONG oppositeEdge)
{
    if (Near(edge, sameEdge)) {
        edge = sameEdge;
    } else if (Near(edge, oppositeEdge)) {
        edge = oppositeEdge;
    } else {
        return false;
    }
    return true;
}

} // namespace snap_detail

// WM_MOVING: at most one horizontal and one vertical shift, each from the first
// target in table order that gives one; the size is kept. The cheap test of
// the edges comes first: most targets are far away.
inline void SnapMovingRect(RECT& r, const RECT* targets, std::size_t count)
{
    using namespace snap_detail;
    for (std::size_t i = 0; i < count; ++i) {
        const RECT& t = targets[i];
        if (PairNear(r.left, r.right, t.left, t.right) && BesideVertically(r, t)) {
            SnapMovedAxis(r.left, r.right, t.left, t.right);
            break;
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const RECT& t = targets[i];
        if (PairNear(r.top, r.bottom, t.top, t.bottom) && BesideHorizontally(r, t)) {
            SnapMovedAxis(r.top, r.bottom, t.top, t.bottom);
            break;
        }
    }
}

// WM_SIZING: only the edges that `edge` (WMSZ_LEFT 1 to WMSZ_BOTTOMRIGHT 8)
// drags move; the vertical part sees the rectangle the horizontal part left.
inline void SnapSizingRect(RECT& r, WPARAM edge, const RECT* targets, std::size_t count)
{
    using namespace snap_detail;
    const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
    const bool right = edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT;
    const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
    const bool bottom = edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT;
    if (left || right) {
        for (std::size_t i = 0; i < count; ++i) {
            const RECT& t = targets[i];
            if (!BesideVertically(r, t)) continue;
            if (left ? SnapDraggedEdge(r.left, t.left, t.right) : SnapDraggedEdge(r.right, t.right, t.left)) break;
        }
    }
    if (top || bottom) {
        for (std::size_t i = 0; i < count; ++i) {
            const RECT& t = targets[i];
            if (!BesideHorizontally(r, t)) continue;
            if (top ? SnapDraggedEdge(r.top, t.top, t.bottom) : SnapDraggedEdge(r.bottom, t.bottom, t.top)) break;
        }
    }
}
