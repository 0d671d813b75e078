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

// Whether a WM_SIZE of a rolled-up window ends the rolled-up state: only a
// restore or maximize to another height than the rolled-up one does.
inline bool RollupEndsAtSize(WPARAM sizeType, LONG height, LONG rolledUpHeight)
{
    return (sizeType == SIZE_RESTORED || sizeType == SIZE_MAXIMIZED) && height != rolledUpHeight;
}
