// SPDX-License-Identifier: GPL-2.0-or-later
// Twips to pixels and back at the screen's dots per inch.
#include "ui/twips/twips.h"

#include <gmock/gmock.h>

#include <limits>

namespace {

struct PixelCase {
    double twips;
    double dpi;
    int pixels;
};

class TwipsToPixelsTest : public testing::TestWithParam<PixelCase> { };

TEST_P(TwipsToPixelsTest, RoundsToTheNearestPixel)
{
    EXPECT_EQ(platform::twipsToPixels(GetParam().twips, GetParam().dpi), GetParam().pixels);
}

INSTANTIATE_TEST_SUITE_P(Values, TwipsToPixelsTest,
    testing::Values(PixelCase { 15, 96, 1 }, PixelCase { 3810, 96, 254 }, PixelCase { 3195, 96, 213 },
        PixelCase { 1000, 96, 67 }, PixelCase { 3810, 120, 318 }, PixelCase { 3810, 192, 508 },
        PixelCase { -300, 96, -20 }, PixelCase { 7, 96, 0 }, PixelCase { 8, 96, 1 },
        PixelCase { 0, 144, 0 }));

TEST(TwipsTest, SizesNeverGoBelowZero)
{
    EXPECT_EQ(platform::twipsToPixelSize(-1000, 96), 0);
    EXPECT_EQ(platform::twipsToPixelSize(600, 96), 40);
}

TEST(TwipsTest, ValuesOutsideWhatAWindowTakesAreBounded)
{
    EXPECT_EQ(platform::twipsToPixels(1e30, 96), platform::kMaxPixels);
    EXPECT_EQ(platform::twipsToPixels(-1e30, 96), -platform::kMaxPixels);
    EXPECT_EQ(platform::twipsToPixels(std::numeric_limits<double>::quiet_NaN(), 96), 0);
    EXPECT_EQ(platform::twipsToPixels(std::numeric_limits<double>::infinity(), 96), 0);
    EXPECT_EQ(platform::twipsToPixels(1500, 0), 0);
}

TEST(TwipsTest, PixelsBackToTwips)
{
    EXPECT_DOUBLE_EQ(platform::pixelsToTwips(67, 96), 1005);
    EXPECT_DOUBLE_EQ(platform::pixelsToTwips(-20, 96), -300);
    EXPECT_DOUBLE_EQ(platform::pixelsToTwips(100, 120), 1200);
    EXPECT_DOUBLE_EQ(platform::pixelsToTwips(5, 0), 0);
}

} // namespace
