// SPDX-License-Identifier: GPL-2.0-or-later
// Decoding: the scaling factor chosen for a picture area, the pixels that
// come out, and pictures that do not or must not decode.
#include "media/decode/jpeg_decoder.h"
#include "tests/media/control/test_pictures.h"

#include <gtest/gtest.h>

namespace {

using media::ScalingFactor;

struct ScalingCase {
    QSize picture;
    QSize area;
    ScalingFactor expected;
};

class ChooseScalingFactor : public testing::TestWithParam<ScalingCase> { };

TEST_P(ChooseScalingFactor, SmallestFastFactorThatCoversTheArea)
{
    const ScalingCase& c = GetParam();
    EXPECT_EQ(media::chooseScalingFactor(c.picture, c.area), c.expected)
        << c.picture.width() << "x" << c.picture.height() << " into " << c.area.width() << "x"
        << c.area.height();
}

INSTANTIATE_TEST_SUITE_P(Tiles, ChooseScalingFactor,
    testing::Values(
        // The camera window's 254x213 area.
        ScalingCase { { 640, 480 }, { 254, 213 }, { 1, 2 } },
        ScalingCase { { 1280, 720 }, { 254, 213 }, { 1, 2 } },
        ScalingCase { { 1920, 1080 }, { 254, 213 }, { 1, 4 } },
        ScalingCase { { 3840, 2160 }, { 254, 213 }, { 1, 8 } },
        // Only the height decides when the width would fit a smaller factor.
        ScalingCase { { 1920, 1080 }, { 200, 300 }, { 1, 2 } },
        // 7/8, 3/4, 5/8 and 3/8 would fit but are slow.
        ScalingCase { { 1000, 1000 }, { 800, 800 }, { 1, 1 } },
        ScalingCase { { 1000, 1000 }, { 600, 600 }, { 1, 1 } },
        ScalingCase { { 640, 480 }, { 640, 480 }, { 1, 1 } },
        ScalingCase { { 640, 480 }, { 1280, 960 }, { 1, 1 } },
        // Without an area (not shown yet) the cheapest decode still checks the picture.
        ScalingCase { { 1280, 720 }, { 0, 0 }, { 1, 8 } }));

TEST(JpegDecoder, DecodesToTheExactAreaInTheWidgetsPixelLayout)
{
    // Camera sizes whose DCT-scaled result is shrunk by less and by more than half.
    const QSize sources[] = { { 640, 480 }, { 1280, 720 }, { 1920, 1080 }, { 200, 100 } };
    media::JpegDecoder decoder;
    ASSERT_TRUE(decoder.valid());
    for (const QSize source : sources) {
        media::DecodedPicture out;
        ASSERT_TRUE(decoder.decode(
            media_test::solidJpeg(source.width(), source.height(), 200, 30, 40), QSize(254, 213), out))
            << decoder.error();
        EXPECT_EQ(out.sourceSize, source);
        EXPECT_EQ(out.image.size(), QSize(254, 213));
        EXPECT_EQ(out.image.format(), QImage::Format_RGB32);
        for (const QPoint at : { QPoint(127, 106), QPoint(0, 0), QPoint(253, 212) }) {
            const QColor colour = out.image.pixelColor(at);
            EXPECT_NEAR(colour.red(), 200, 6) << source.width() << "x" << source.height();
            EXPECT_NEAR(colour.green(), 30, 6) << source.width() << "x" << source.height();
            EXPECT_NEAR(colour.blue(), 40, 6) << source.width() << "x" << source.height();
            EXPECT_EQ(qAlpha(out.image.pixel(at)), 255);
        }
    }
}

TEST(JpegDecoder, ShrinkingKeepsWhereThingsAre)
{
    // Left/right and top/bottom halves must stay put through every scaling path.
    const QSize sources[] = { { 640, 480 }, { 1280, 720 }, { 1920, 1080 }, { 3000, 2000 } };
    media::JpegDecoder decoder;
    for (const QSize source : sources) {
        for (const bool bottomWhite : { false, true }) {
            media::DecodedPicture out;
            ASSERT_TRUE(decoder.decode(
                media_test::halvesJpeg(source.width(), source.height(), bottomWhite), QSize(254, 213), out));
            const QPoint dark = bottomWhite ? QPoint(127, 40) : QPoint(40, 106);
            const QPoint bright = bottomWhite ? QPoint(127, 172) : QPoint(213, 106);
            EXPECT_LT(qGray(out.image.pixel(dark)), 20) << source.width() << " " << bottomWhite;
            EXPECT_GT(qGray(out.image.pixel(bright)), 235) << source.width() << " " << bottomWhite;
        }
    }
}

TEST(JpegDecoder, PlainMotionJpegFramesWithoutHuffmanTablesDecode)
{
    const std::string full = media_test::solidJpeg(320, 240, 20, 180, 90);
    const std::string plain = media_test::withoutHuffmanTables(full);
    ASSERT_LT(plain.size(), full.size()); // the tables really are gone
    ASSERT_EQ(plain.find("\xFF\xC4"), std::string::npos);

    media::JpegDecoder decoder;
    media::DecodedPicture withTables;
    media::DecodedPicture without;
    ASSERT_TRUE(decoder.decode(full, QSize(160, 120), withTables));
    ASSERT_TRUE(decoder.decode(plain, QSize(160, 120), without)) << decoder.error();
    EXPECT_EQ(without.image, withTables.image);
}

TEST(JpegDecoder, ProgressivePicturesDecode)
{
    media::JpegDecoder decoder;
    media::DecodedPicture out;
    ASSERT_TRUE(decoder.decode(media_test::progressiveJpeg(640, 480), QSize(254, 213), out))
        << decoder.error();
    EXPECT_NEAR(qGray(out.image.pixel(127, 106)), 128, 4);
}

TEST(JpegDecoder, WhatIsNoPictureIsRefused)
{
    media::JpegDecoder decoder;
    media::DecodedPicture out;
    const std::string jpeg = media_test::solidJpeg(64, 48, 1, 2, 3);
    const std::string garbage[] = {
        "", "hello, world", std::string("\xFF\xD8\xFF\xE0", 4) + "garbage after a start-of-image marker",
        jpeg.substr(0, 20), // cut before the frame header
    };
    for (const std::string& bytes : garbage) {
        EXPECT_FALSE(decoder.decode(bytes, QSize(32, 24), out)) << bytes.size() << " bytes";
        EXPECT_FALSE(decoder.error().empty());
    }
    // The decoder stays usable after failures.
    EXPECT_TRUE(decoder.decode(jpeg, QSize(32, 24), out));
}

TEST(JpegDecoder, APictureCutShortStillShowsWhatArrived)
{
    const std::string jpeg = media_test::solidJpeg(256, 256, 90, 90, 90);
    media::JpegDecoder decoder;
    media::DecodedPicture out;
    EXPECT_TRUE(decoder.decode(jpeg.substr(0, jpeg.size() * 3 / 4), QSize(128, 128), out)) << decoder.error();
    EXPECT_EQ(out.image.size(), QSize(128, 128));
}

struct SizeCase {
    const char* name;
    int width;
    int height;
    bool progressive;
    bool decodes;
};

class SizeLimits : public testing::TestWithParam<SizeCase> { };

// A few kilobytes that claim a huge size are refused before any memory is
// taken; what real cameras send still plays.
TEST_P(SizeLimits, RefusesWhatNoCameraSends)
{
    const SizeCase& c = GetParam();
    const std::string small
        = c.progressive ? media_test::progressiveJpeg(64, 64) : media_test::solidJpeg(64, 64, 9, 9, 9);
    const std::string jpeg = media_test::withClaimedSize(small, c.width, c.height);
    ASSERT_EQ(media::isProgressiveJpeg(jpeg), c.progressive);
    media::JpegDecoder decoder;
    media::DecodedPicture out;
    EXPECT_EQ(decoder.decode(jpeg, QSize(254, 213), out), c.decodes) << decoder.error();
    if (!c.decodes) {
        EXPECT_EQ(decoder.error(),
            "picture too large: " + std::to_string(c.width) + "x" + std::to_string(c.height));
    }
}

INSTANTIATE_TEST_SUITE_P(JpegDecoder, SizeLimits,
    testing::Values(SizeCase { "camera_12mpx", 4000, 3000, false, true },
        SizeCase { "camera_20mpx", 5000, 4000, false, true },
        SizeCase { "above_the_cap", 5000, 4001, false, false },
        SizeCase { "huge", 65000, 65000, false, false },
        SizeCase { "progressive_full_hd", 1920, 1080, true, true },
        SizeCase { "progressive_7071", 7071, 7071, true, false },
        SizeCase { "progressive_above_full_hd", 2048, 1080, true, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JpegDecoder, ProgressiveIsToldFromTheFrameHeader)
{
    EXPECT_TRUE(media::isProgressiveJpeg(media_test::progressiveJpeg(32, 32)));
    EXPECT_FALSE(media::isProgressiveJpeg(media_test::solidJpeg(32, 32, 1, 2, 3)));
    const std::string progressive = media_test::progressiveJpeg(32, 32);
    // Cut inside a segment, or garbage: never read past the end.
    for (std::size_t cut = 0; cut < 40 && cut < progressive.size(); ++cut)
        media::isProgressiveJpeg(progressive.substr(0, cut));
    EXPECT_FALSE(media::isProgressiveJpeg(std::string("\xFF\xD8\xFF\xE0\xFF\xFF", 6)));
}

} // namespace
