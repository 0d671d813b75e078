// How a stored switch's bytes become on or off.
#include <gtest/gtest.h>

#include "Settings.h"

namespace {

TEST(SettingsData, SwitchIsTheFirstLittleEndianWord)
{
    const unsigned char one[4] = {1, 0, 0, 0};
    const unsigned char zero[4] = {0, 0, 0, 0};
    const unsigned char high[4] = {0, 0, 0, 0x80};
    // REG_SZ "0": the digit's code unit 0x0030 and a NUL.
    const unsigned char digitZero[4] = {0x30, 0, 0, 0};
    // Bytes after the fourth are not part of the word.
    const unsigned char longer[6] = {0, 0, 0, 0, 1, 1};
    EXPECT_TRUE(SwitchFromData(one, 4));
    EXPECT_FALSE(SwitchFromData(zero, 4));
    EXPECT_TRUE(SwitchFromData(high, 4));
    EXPECT_TRUE(SwitchFromData(digitZero, 4));
    EXPECT_FALSE(SwitchFromData(longer, 6));
    // Shorter data: the missing bytes count as zero, nothing past the size is read.
    const unsigned char shortData[4] = {0, 7, 7, 7};
    EXPECT_FALSE(SwitchFromData(shortData, 1));
    EXPECT_TRUE(SwitchFromData(shortData, 2));
    EXPECT_FALSE(SwitchFromData(shortData, 0));
}

} // namespace
