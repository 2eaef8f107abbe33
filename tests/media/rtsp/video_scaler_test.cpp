// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/rtsp/av_handles.h"
#include "media/rtsp/video_scaler.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using media::AvFrame;

struct ScaleCase {
    AVPixelFormat format;
    AVColorRange range;
    QSize area; // empty: the frame's own size
};

// A flat picture of one colour: Y 145, Cb 54, Cr 34 is (limited range, BT.601)
// about RGB (0, 255, 0) less the clipping; Y 81, Cb 90, Cr 240 about red.
AvFrame flatFrame(AVPixelFormat format, AVColorRange range, int y, int cb, int cr)
{
    AvFrame frame(av_frame_alloc());
    frame->format = format;
    frame->width = 64;
    frame->height = 48;
    frame->color_range = range;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    for (int row = 0; row < frame->height; ++row)
        std::memset(frame->data[0] + row * frame->linesize[0], y, static_cast<std::size_t>(frame->width));
    for (int row = 0; row < frame->height / 2; ++row) {
        if (format == AV_PIX_FMT_NV12) {
            for (int x = 0; x < frame->width / 2; ++x) {
                frame->data[1][row * frame->linesize[1] + 2 * x] = static_cast<std::uint8_t>(cb);
                frame->data[1][row * frame->linesize[1] + 2 * x + 1] = static_cast<std::uint8_t>(cr);
            }
        } else {
            std::memset(
                frame->data[1] + row * frame->linesize[1], cb, static_cast<std::size_t>(frame->width / 2));
            std::memset(
                frame->data[2] + row * frame->linesize[2], cr, static_cast<std::size_t>(frame->width / 2));
        }
    }
    return frame;
}

class Scaler : public testing::TestWithParam<ScaleCase> { };

TEST_P(Scaler, AFlatRedPictureStaysRedAtTheArea)
{
    const ScaleCase& c = GetParam();
    const AvFrame frame = flatFrame(c.format, c.range, 81, 90, 240);
    ASSERT_TRUE(frame);
    media::VideoScaler scaler;
    QImage image;
    ASSERT_TRUE(scaler.scale(*frame, c.area, image)) << scaler.error();
    const QSize expected = c.area.isEmpty() ? QSize(64, 48) : c.area;
    ASSERT_EQ(image.size(), expected);
    EXPECT_EQ(image.format(), QImage::Format_RGB32);
    for (const QPoint at : { QPoint(0, 0), QPoint(expected.width() - 1, expected.height() - 1) }) {
        const QRgb pixel = image.pixel(at);
        EXPECT_GT(qRed(pixel), 200) << at.x();
        EXPECT_LT(qGreen(pixel), 40) << at.x();
        EXPECT_LT(qBlue(pixel), 40) << at.x();
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, Scaler,
    testing::Values(ScaleCase { AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG, QSize(30, 20) },
        ScaleCase { AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG, QSize() },
        ScaleCase { AV_PIX_FMT_YUVJ420P, AVCOL_RANGE_JPEG, QSize(128, 96) },
        ScaleCase { AV_PIX_FMT_NV12, AVCOL_RANGE_MPEG, QSize(31, 17) },
        ScaleCase { AV_PIX_FMT_NV12, AVCOL_RANGE_MPEG, QSize() }));

TEST(Scaler, AnImageOfTheAreaIsDrawnInto)
{
    const AvFrame frame = flatFrame(AV_PIX_FMT_YUV420P, AVCOL_RANGE_MPEG, 81, 90, 240);
    ASSERT_TRUE(frame);
    QImage image(QSize(32, 24), QImage::Format_RGB32);
    const uchar* bits = image.constBits();
    media::VideoScaler scaler;
    ASSERT_TRUE(scaler.scale(*frame, QSize(32, 24), image));
    EXPECT_EQ(image.constBits(), bits);
}

TEST(Scaler, OtherPixelFormatsAreNamed)
{
    AvFrame frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P10LE;
    frame->width = 16;
    frame->height = 16;
    ASSERT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    media::VideoScaler scaler;
    QImage image;
    EXPECT_FALSE(scaler.scale(*frame, QSize(8, 8), image));
    EXPECT_NE(scaler.error().find("yuv420p10le"), std::string::npos) << scaler.error();
}

} // namespace
