// Edge snapping arithmetic over rectangles and a target list.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "SnapArithmetic.h"

namespace {

const RECT WorkArea = {0, 0, 1024, 738};

SnapTarget Target(LONG left, LONG top, LONG right, LONG bottom)
{
    return SnapTarget{nullptr, RECT{left, top, right, bottom}};
}

// Entry 0 is the work area, as in the table of a move/size loop.
std::vector<SnapTarget> Table(std::vector<SnapTarget> windows)
{
    windows.insert(windows.begin(), SnapTarget{reinterpret_cast<HWND>(static_cast<INT_PTR>(-1)), WorkArea});
    return windows;
}

RECT Moved(RECT r, const std::vector<SnapTarget>& targets)
{
    SnapMovingRect(r, targets.data(), targets.size());
    return r;
}

RECT Sized(RECT r, WPARAM edge, const std::vector<SnapTarget>& targets)
{
    SnapSizingRect(r, edge, targets.data(), targets.size());
    return r;
}

void ExpectRect(const RECT& actual, LONG left, LONG top, LONG right, LONG bottom)
{
    EXPECT_EQ(actual.left, left);
    EXPECT_EQ(actual.top, top);
    EXPECT_EQ(actual.right, right);
    EXPECT_EQ(actual.bottom, bottom);
}

TEST(SnapMoving, TenPixelsSnapElevenDoNot)
{
    const auto targets = Table({Target(300, 100, 600, 400)});
    ExpectRect(Moved({310, 150, 500, 300}, targets), 300, 150, 490, 300);
    ExpectRect(Moved({290, 150, 480, 300}, targets), 300, 150, 490, 300);
    ExpectRect(Moved({311, 150, 501, 300}, targets), 311, 150, 501, 300);
    ExpectRect(Moved({289, 150, 479, 300}, targets), 289, 150, 479, 300);
    // The same on the vertical axis: the top edge 10 below the target's top.
    ExpectRect(Moved({350, 110, 550, 210}, targets), 350, 100, 550, 200);
    ExpectRect(Moved({350, 111, 550, 211}, targets), 350, 111, 550, 211);
}

TEST(SnapMoving, EdgeOrderWithinOneTarget)
{
    const auto targets = Table({Target(300, 100, 600, 400)});
    // Left edge to the target's right edge: the window goes beside it.
    ExpectRect(Moved({606, 150, 706, 250}, targets), 600, 150, 700, 250);
    // Right edge to the target's right edge, and to its left edge.
    ExpectRect(Moved({495, 150, 595, 250}, targets), 500, 150, 600, 250);
    ExpectRect(Moved({195, 150, 295, 250}, targets), 200, 150, 300, 250);
    // Left near the left edge and right near the right edge at once: one shift,
    // by the left edge, and the size is kept.
    ExpectRect(Moved({303, 150, 609, 250}, targets), 300, 150, 606, 250);
}

TEST(SnapMoving, WorkAreaWinsOverAWindow)
{
    const auto targets = Table({Target(203, 100, 500, 400)});
    // Left 5 from the work area's left, right 3 from the window's left.
    ExpectRect(Moved({5, 150, 200, 300}, targets), 0, 150, 195, 300);
    // Table order decides: with the window first, the window wins.
    const std::vector<SnapTarget> windowFirst = {targets[1], targets[0]};
    ExpectRect(Moved({5, 150, 200, 300}, windowFirst), 8, 150, 203, 300);
}

TEST(SnapMoving, TopBelowABottomEdgeKeepsTheHeight)
{
    const auto targets = Table({Target(300, 100, 600, 400)});
    ExpectRect(Moved({350, 404, 550, 504}, targets), 350, 400, 550, 500);
}

TEST(SnapMoving, TallerWindowBesideATargetDoesNotSnapHorizontally)
{
    const auto targets = Table({Target(300, 200, 600, 300)});
    // Neither top nor bottom lies within the target's height.
    ExpectRect(Moved({305, 100, 500, 500}, targets), 305, 100, 500, 500);
    // With its top within the target's height it snaps.
    ExpectRect(Moved({305, 250, 500, 650}, targets), 300, 250, 495, 650);
}

TEST(SnapMoving, AtMostOneSnapPerAxis)
{
    // Both targets are near; the first in table order gives the one shift.
    const auto targets = Table({Target(300, 100, 600, 400), Target(306, 100, 700, 400)});
    ExpectRect(Moved({303, 150, 403, 250}, targets), 300, 150, 400, 250);
    const auto reversed = Table({Target(306, 100, 700, 400), Target(300, 100, 600, 400)});
    ExpectRect(Moved({303, 150, 403, 250}, reversed), 306, 150, 406, 250);
}

TEST(SnapMoving, BothAxesSnapInOneMessage)
{
    const auto targets = Table({Target(300, 100, 600, 400)});
    // Left to the target's right, then (now beside it) top to its top.
    ExpectRect(Moved({608, 95, 708, 195}, targets), 600, 100, 700, 200);
}

TEST(SnapMoving, EmptyTableChangesNothing)
{
    RECT r = {5, 5, 100, 100};
    SnapMovingRect(r, nullptr, 0);
    ExpectRect(r, 5, 5, 100, 100);
}

TEST(SnapMoving, ExtremeCoordinatesStayInRange)
{
    // The far edge would leave the coordinate range; it stops at its end.
    const std::vector<SnapTarget> high = {Target(LONG_MAX - 15, 0, LONG_MAX, 100)};
    ExpectRect(Moved({LONG_MAX - 20, 10, LONG_MAX, 50}, high), LONG_MAX - 15, 0, LONG_MAX, 40);
    const std::vector<SnapTarget> low = {Target(LONG_MIN + 15, 0, LONG_MIN + 300, 100)};
    ExpectRect(Moved({LONG_MIN, 10, LONG_MIN + 20, 50}, low), LONG_MIN, 0, LONG_MIN + 15, 40);
}

TEST(SnapSizing, TopLeftCornerSnapsLeftThenTop)
{
    const auto targets = Table({Target(100, 100, 400, 400)});
    // The left edge goes to 400 first, which puts the window beside the target
    // horizontally, so the top edge snaps to 400 as well.
    ExpectRect(Sized({405, 395, 600, 600}, WMSZ_TOPLEFT, targets), 400, 400, 600, 600);
    // Dragging the top edge alone: not beside the target horizontally.
    ExpectRect(Sized({405, 395, 600, 600}, WMSZ_TOP, targets), 405, 395, 600, 600);
}

TEST(SnapSizing, OnlyTheDraggedEdgesMove)
{
    const auto targets = Table({Target(300, 100, 600, 400)});
    ExpectRect(Sized({305, 105, 595, 395}, WMSZ_LEFT, targets), 300, 105, 595, 395);
    ExpectRect(Sized({305, 105, 595, 395}, WMSZ_RIGHT, targets), 305, 105, 600, 395);
    ExpectRect(Sized({305, 105, 595, 395}, WMSZ_TOP, targets), 305, 100, 595, 395);
    ExpectRect(Sized({305, 105, 595, 395}, WMSZ_BOTTOM, targets), 305, 105, 595, 400);
    ExpectRect(Sized({305, 105, 595, 395}, WMSZ_TOPRIGHT, targets), 305, 100, 600, 395);
    ExpectRect(Sized({305, 105, 595, 395}, WMSZ_BOTTOMLEFT, targets), 300, 105, 595, 400);
    ExpectRect(Sized({305, 105, 595, 395}, WMSZ_BOTTOMRIGHT, targets), 305, 105, 600, 400);
    // Not a sizing edge: nothing moves.
    ExpectRect(Sized({305, 105, 595, 395}, 0, targets), 305, 105, 595, 395);
    ExpectRect(Sized({305, 105, 595, 395}, 9, targets), 305, 105, 595, 395);
}

TEST(SnapSizing, SameNamedEdgeBeforeTheOpposite)
{
    // A narrow target: the right edge is near both of its edges.
    const auto targets = Table({Target(300, 100, 305, 400)});
    ExpectRect(Sized({100, 150, 303, 300}, WMSZ_RIGHT, targets), 100, 150, 305, 300);
    ExpectRect(Sized({302, 150, 500, 300}, WMSZ_LEFT, targets), 300, 150, 500, 300);
    // The right edge to the target's left edge, the bottom to its top.
    const auto wide = Table({Target(300, 300, 600, 600)});
    ExpectRect(Sized({100, 150, 294, 250}, WMSZ_RIGHT, wide), 100, 150, 294, 250);  // not beside vertically
    ExpectRect(Sized({100, 350, 294, 450}, WMSZ_RIGHT, wide), 100, 350, 300, 450);
    ExpectRect(Sized({350, 100, 450, 293}, WMSZ_BOTTOM, wide), 350, 100, 450, 300);
}

} // namespace
