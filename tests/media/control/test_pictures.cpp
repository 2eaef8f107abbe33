// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/media/control/test_pictures.h"

#include "tools/testcam/frame_painter.h"
#include "tools/testcam/jpeg_encoder.h"

#include <turbojpeg.h>

#include <stdexcept>
#include <vector>

namespace media_test {

namespace {

std::string encode(const std::vector<unsigned char>& pixels, int width, int height, int flags = 0,
    int subsampling = TJSAMP_420, int quality = 90)
{
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(
        handle, pixels.data(), width, 0, height, TJPF_RGB, &jpeg, &size, subsampling, quality, flags);
    tjDestroy(handle);
    if (rc != 0)
        throw std::runtime_error("tjCompress2 failed");
    std::string out(reinterpret_cast<char*>(jpeg), size);
    tjFree(jpeg);
    return out;
}

} // namespace

std::string solidJpeg(int width, int height, unsigned char red, unsigned char green, unsigned char blue)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = red;
        pixels[i + 1] = green;
        pixels[i + 2] = blue;
    }
    return encode(pixels, width, height);
}

std::string progressiveJpeg(int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3, 128);
    return encode(pixels, width, height, TJFLAG_PROGRESSIVE);
}

std::string halvesJpeg(int width, int height, bool bottomWhite)
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool white = bottomWhite ? y >= height / 2 : x >= width / 2;
            for (int c = 0; c < 3; ++c)
                pixels[(static_cast<std::size_t>(y) * width + x) * 3 + c] = white ? 255 : 0;
        }
    }
    return encode(pixels, width, height);
}

namespace {

// Calls `visit(markerOffset, marker, segmentLength)` for each segment before the scan.
template <typename Visit> void forEachSegment(const std::string& jpeg, Visit visit)
{
    std::size_t i = 2;
    while (i + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[i]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        const std::size_t length
            = (static_cast<unsigned char>(jpeg[i + 2]) << 8) | static_cast<unsigned char>(jpeg[i + 3]);
        if (!visit(i, marker, length))
            return;
        i += 2 + length;
    }
}

} // namespace

std::string withoutHuffmanTables(const std::string& jpeg)
{
    std::string out = jpeg.substr(0, 2);
    std::size_t scanStart = jpeg.size();
    forEachSegment(jpeg, [&](std::size_t at, unsigned char marker, std::size_t length) {
        if (marker == 0xDA) {
            scanStart = at;
            return false;
        }
        if (marker != 0xC4)
            out += jpeg.substr(at, 2 + length);
        return true;
    });
    out += jpeg.substr(scanStart);
    return out;
}

std::string withClaimedSize(const std::string& jpeg, int width, int height)
{
    std::string out = jpeg;
    forEachSegment(jpeg, [&](std::size_t at, unsigned char marker, std::size_t) {
        if (marker != 0xC0 && marker != 0xC1 && marker != 0xC2)
            return true;
        out[at + 5] = static_cast<char>((height >> 8) & 0xFF);
        out[at + 6] = static_cast<char>(height & 0xFF);
        out[at + 7] = static_cast<char>((width >> 8) & 0xFF);
        out[at + 8] = static_cast<char>(width & 0xFF);
        return false;
    });
    return out;
}

std::string testcamJpeg(int width, int height, int subsampling, long long index)
{
    testcam::FramePainter painter(width, height);
    testcam::YuvFrame frame(width, height);
    painter.paint(frame, index, { "CAMERA 1", "12:34:56.789" });
    testcam::JpegEncoder encoder;
    const QByteArray camera = encoder.encode(frame, 80);
    if (camera.isEmpty())
        throw std::runtime_error("the test camera's encoder failed");
    if (subsampling == TJSAMP_420)
        return camera.toStdString();
    // Other subsamplings: the same picture, through RGB.
    std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
    tjhandle handle = tjInitDecompress();
    const int rc = tjDecompress2(handle, reinterpret_cast<const unsigned char*>(camera.constData()),
        static_cast<unsigned long>(camera.size()), rgb.data(), width, 0, height, TJPF_RGB, 0);
    tjDestroy(handle);
    if (rc != 0)
        throw std::runtime_error("tjDecompress2 failed");
    return encode(rgb, width, height, 0, subsampling, 80);
}

} // namespace media_test
