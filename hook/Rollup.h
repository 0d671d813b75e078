// The arithmetic of rollup, free of window handles.
#pragma once

#include <windows.h>

// A rolled-up window keeps its caption and the frame above and below it.
inline LONG RolledUpHeight(int captionHeight, int frameHeight)
{
    return captionHeight + 2 * frameHeight;
}

// The rectangle with the same left, top and right edges and the given height.
inline RECT WithHeight(RECT rect, LONG height)
{
    rect.bottom = rect.top + height;
    return rect;
}

inline LONG HeightOf(const RECT& rect)
{
    return rect.bottom - rect.top;
}

// A rolled-up window: the height to come back to, and the height it got
// rolled up (0 until a window rolled up minimized or maximized is restored).
// Both fit the 16 bits of a window's height, so the pair fits a property's
// handle value on every architecture.
struct RollupState {
    LONG savedHeight, rolledHeight;
};

inline INT_PTR PackRollupState(RollupState state)
{
    const UINT_PTR rolled = static_cast<UINT_PTR>(state.rolledHeight) & 0xFFFF;
    return static_cast<INT_PTR>(rolled << 16 | (static_cast<UINT_PTR>(state.savedHeight) & 0xFFFF));
}

inline RollupState UnpackRollupState(INT_PTR value)
{
    return {static_cast<LONG>(value & 0xFFFF), static_cast<LONG>((value >> 16) & 0xFFFF)};
}

// The state after a WM_SIZE of a rolled-up window to the given height: only a
// restore or maximize to another height than the rolled-up one ends it (all
// zeros); the first restore of a window rolled up minimized or maximized
// gives its rolled-up height.
inline RollupState RollupStateAfterSize(RollupState state, WPARAM sizeType, LONG height)
{
    if (sizeType != SIZE_RESTORED && sizeType != SIZE_MAXIMIZED) return state;
    if (state.rolledHeight == 0 && sizeType == SIZE_RESTORED) return {state.savedHeight, height};
    return height == state.rolledHeight ? state : RollupState{0, 0};
}
