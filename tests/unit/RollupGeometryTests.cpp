// The arithmetic of rollup.
#include <gtest/gtest.h>

#include "Rollup.h"

namespace {

TEST(RollupGeometry, RolledUpHeightIsTheCaptionAndTwoFrames)
{
    EXPECT_EQ(RolledUpHeight(19, 4), 27);
    EXPECT_EQ(RolledUpHeight(23, 8), 39);
}

TEST(RollupGeometry, WithHeightKeepsLeftTopAndRight)
{
    const RECT normal = {-50, 120, 270, 480};
    const RECT rolled = WithHeight(normal, 27);
    EXPECT_EQ(rolled.left, -50);
    EXPECT_EQ(rolled.top, 120);
    EXPECT_EQ(rolled.right, 270);
    EXPECT_EQ(rolled.bottom, 147);
    EXPECT_EQ(HeightOf(rolled), 27);
    // Back to the saved height gives the former rectangle.
    const RECT back = WithHeight(rolled, HeightOf(normal));
    EXPECT_TRUE(EqualRect(&back, &normal));
}

} // namespace
