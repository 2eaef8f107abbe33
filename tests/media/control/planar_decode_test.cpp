// SPDX-License-Identifier: GPL-2.0-or-later
// Decoding to planes and scaling with libyuv: the same picture as the RGB
// path with Qt's smooth scale, for every subsampling and for odd sizes, and
// drawn into the buffer it is given when nothing else holds it.
#include "media/decode/jpeg_decoder.h"
#include "tests/media/control/test_pictures.h"

#include <gtest/gtest.h>
#include <turbojpeg.h>

#include <array>
#include <cstdlib>
#include <string>

namespace {

struct PlanarCase {
    QSize source;
    int subsampling;
    QSize area;
    // Mean absolute difference per channel allowed against the RGB path.
    double maxDifference = 2.0;
};

std::string name(int subsampling)
{
    switch (subsampling) {
    case TJSAMP_444:
        return "4:4:4";
    case TJSAMP_422:
        return "4:2:2";
    case TJSAMP_420:
        return "4:2:0";
    case TJSAMP_GRAY:
        return "grey";
    case TJSAMP_440:
        return "4:4:0";
    case TJSAMP_411:
        return "4:1:1";
    default:
        return "?";
    }
}

std::string describe(const PlanarCase& c)
{
    return std::to_string(c.source.width()) + "x" + std::to_string(c.source.height()) + " "
        + name(c.subsampling) + " into " + std::to_string(c.area.width()) + "x"
        + std::to_string(c.area.height());
}

// The mean absolute difference of each channel (red, green, blue).
std::array<double, 3> meanDifference(const QImage& a, const QImage& b)
{
    std::array<double, 3> sum {};
    for (int y = 0; y < a.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            sum[0] += std::abs(qRed(ra[x]) - qRed(rb[x]));
            sum[1] += std::abs(qGreen(ra[x]) - qGreen(rb[x]));
            sum[2] += std::abs(qBlue(ra[x]) - qBlue(rb[x]));
        }
    }
    const double pixels = static_cast<double>(a.width()) * a.height();
    return { sum[0] / pixels, sum[1] / pixels, sum[2] / pixels };
}

class PlanarDecode : public testing::TestWithParam<PlanarCase> { };

TEST_P(PlanarDecode, LooksLikeTheSmoothScaleOfTheRgbPath)
{
    const PlanarCase& c = GetParam();
    const std::string jpeg = media_test::testcamJpeg(c.source.width(), c.source.height(), c.subsampling, 7);
    media::JpegDecoder planar;
    media::JpegDecoder rgb;
    rgb.setPlanarPath(false);
    media::DecodedPicture fromPlanes;
    media::DecodedPicture fromRgb;
    ASSERT_TRUE(planar.decode(jpeg, c.area, fromPlanes)) << planar.error() << " " << describe(c);
    ASSERT_TRUE(rgb.decode(jpeg, c.area, fromRgb)) << rgb.error() << " " << describe(c);

    EXPECT_EQ(fromPlanes.sourceSize, c.source);
    ASSERT_EQ(fromPlanes.image.size(), c.area) << describe(c);
    ASSERT_EQ(fromPlanes.image.format(), QImage::Format_RGB32);
    const std::array<double, 3> difference = meanDifference(fromPlanes.image, fromRgb.image);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_LT(difference[channel], c.maxDifference) << "channel " << channel << ", " << describe(c);
    for (const QPoint at : { QPoint(0, 0), QPoint(c.area.width() - 1, c.area.height() - 1) })
        EXPECT_EQ(qAlpha(fromPlanes.image.pixel(at)), 255) << describe(c);
    if (c.subsampling == TJSAMP_GRAY) {
        const QRgb pixel = fromPlanes.image.pixel(c.area.width() / 2, c.area.height() / 2);
        EXPECT_EQ(qRed(pixel), qGreen(pixel));
        EXPECT_EQ(qGreen(pixel), qBlue(pixel));
    }
}

INSTANTIATE_TEST_SUITE_P(CameraPictures, PlanarDecode,
    testing::Values(
        // The camera window's area, from the sizes cameras send.
        PlanarCase { { 640, 480 }, TJSAMP_420, { 254, 213 } },
        PlanarCase { { 1280, 720 }, TJSAMP_420, { 254, 213 } },
        PlanarCase { { 1920, 1080 }, TJSAMP_420, { 254, 213 } },
        // Other subsamplings and grey.
        PlanarCase { { 1280, 720 }, TJSAMP_422, { 254, 213 } },
        PlanarCase { { 1280, 720 }, TJSAMP_444, { 254, 213 } },
        PlanarCase { { 1280, 720 }, TJSAMP_GRAY, { 254, 213 } },
        PlanarCase { { 640, 480 }, TJSAMP_440, { 254, 213 } },
        PlanarCase { { 640, 480 }, TJSAMP_411, { 254, 213 } },
        // Odd sizes: pictures, areas, and chroma planes with a half-covered last column.
        PlanarCase { { 1279, 719 }, TJSAMP_420, { 253, 211 } },
        PlanarCase { { 641, 481 }, TJSAMP_422, { 255, 171 } },
        // A small picture is mostly the text's sharp edges, where the two
        // filters differ most (2.1 to 2.2 levels).
        PlanarCase { { 333, 277 }, TJSAMP_420, { 111, 99 }, 3.0 },
        // An enlarged camera: larger areas, and an area the picture needs no DCT scaling for.
        PlanarCase { { 1920, 1080 }, TJSAMP_420, { 1265, 700 } },
        PlanarCase { { 640, 480 }, TJSAMP_420, { 640, 480 } },
        // Enlarged past the picture's own size.
        PlanarCase { { 320, 240 }, TJSAMP_420, { 700, 500 } }));

TEST(PlanarDecode, DrawsIntoTheImageItIsGivenWhenNothingElseHoldsIt)
{
    const std::string jpeg = media_test::testcamJpeg(640, 480, TJSAMP_420);
    media::JpegDecoder decoder;
    media::DecodedPicture out;
    out.image = QImage(254, 213, QImage::Format_RGB32);
    const uchar* buffer = out.image.constBits();
    ASSERT_TRUE(decoder.decode(jpeg, QSize(254, 213), out)) << decoder.error();
    EXPECT_EQ(out.image.constBits(), buffer);

    // An image someone else still shows is left alone.
    const QImage shown = out.image;
    const QImage before = shown.copy();
    ASSERT_TRUE(decoder.decode(media_test::solidJpeg(640, 480, 0, 0, 255), QSize(254, 213), out));
    EXPECT_NE(out.image.constBits(), shown.constBits());
    EXPECT_EQ(shown, before);
    EXPECT_GT(qBlue(out.image.pixel(100, 100)), 200);
}

TEST(PlanarDecode, AnImageOfAnotherSizeIsReplaced)
{
    media::JpegDecoder decoder;
    media::DecodedPicture out;
    out.image = QImage(100, 100, QImage::Format_RGB32);
    ASSERT_TRUE(decoder.decode(media_test::testcamJpeg(640, 480, TJSAMP_420), QSize(254, 213), out));
    EXPECT_EQ(out.image.size(), QSize(254, 213));
}

} // namespace
