// SPDX-License-Identifier: GPL-2.0-or-later
// decode-bench: CPU time per picture of decoding veskat-testcam's pictures
// into a picture area, on one thread:
//   rgb    - RGB at the covering DCT scale, then Qt's smooth scale
//   planar - planes at the covering DCT scale, then libyuv scale and convert
//   each split into its TurboJPEG step and the rest
//   floor  - planes at 1/8 scale: entropy decoding and little else
//
//   decode-bench [--sizes 640x480,1280x720,1920x1080] [--area 254x213] [--repeat 4]
#include "media/decode/jpeg_decoder.h"
#include "tools/testcam/frame_painter.h"
#include "tools/testcam/jpeg_encoder.h"

#include <QCoreApplication>
#include <QStringList>

#include <turbojpeg.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;

double threadCpuMs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

std::vector<std::string> cameraPictures(int width, int height, int count)
{
    testcam::FramePainter painter(width, height);
    testcam::JpegEncoder encoder;
    testcam::YuvFrame frame(width, height);
    std::vector<std::string> pictures;
    for (int i = 0; i < count; ++i) {
        painter.paint(frame, i * 3, { "CAMERA 1", testcam::clockText(1'700'000'000'000'000LL + i * 40'000) });
        pictures.push_back(encoder.encode(frame, 80).toStdString());
    }
    return pictures;
}

// Milliseconds of CPU per call of `decode` over every picture, `repeat` times.
double perPicture(const std::vector<std::string>& pictures, int repeat,
    const std::function<bool(const std::string&)>& decode)
{
    for (const std::string& p : pictures) // warm caches and buffers
        decode(p);
    const double start = threadCpuMs();
    for (int r = 0; r < repeat; ++r)
        for (const std::string& p : pictures)
            if (!decode(p))
                return -1;
    return (threadCpuMs() - start) / (repeat * static_cast<double>(pictures.size()));
}

bool decodePlanes(
    tjhandle handle, const std::string& jpeg, int width, int height, std::vector<unsigned char>& buffer)
{
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
    buffer.resize(tjBufSizeYUV2(width, 1, height, TJSAMP_420));
    int strides[3] = { tjPlaneWidth(0, width, TJSAMP_420), tjPlaneWidth(1, width, TJSAMP_420),
        tjPlaneWidth(2, width, TJSAMP_420) };
    unsigned char* planes[3] = { buffer.data(), nullptr, nullptr };
    planes[1] = planes[0] + static_cast<std::size_t>(strides[0]) * tjPlaneHeight(0, height, TJSAMP_420);
    planes[2] = planes[1] + static_cast<std::size_t>(strides[1]) * tjPlaneHeight(1, height, TJSAMP_420);
    return tjDecompressToYUVPlanes(handle, data, static_cast<unsigned long>(jpeg.size()), planes, width,
               strides, height, TJFLAG_FASTDCT)
        == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList sizes { "640x480", "1280x720", "1920x1080" };
    QSize area(254, 213);
    int repeat = 4;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--sizes" && i + 1 < args.size())
            sizes = args[++i].split(',', Qt::SkipEmptyParts);
        else if (args[i] == "--area" && i + 1 < args.size()) {
            const QStringList wh = args[++i].split('x');
            area = wh.size() == 2 ? QSize(wh[0].toInt(), wh[1].toInt()) : QSize();
        } else if (args[i] == "--repeat" && i + 1 < args.size())
            repeat = std::max(1, args[++i].toInt());
        else {
            std::fprintf(stderr, "usage: decode-bench [--sizes WxH,...] [--area WxH] [--repeat N]\n");
            return 2;
        }
    }
    std::printf("decode-bench: 25 veskat-testcam pictures (4:2:0, quality 80) per size, x%d, into %dx%d, "
                "CPU ms per picture on one thread, median of %d rounds\n",
        repeat, area.width(), area.height(), kRounds);
    for (const QString& size : sizes) {
        const QStringList wh = size.split('x');
        const int width = wh.value(0).toInt();
        const int height = wh.value(1).toInt();
        const std::vector<std::string> pictures = cameraPictures(width, height, 25);
        std::size_t bytes = 0;
        for (const std::string& p : pictures)
            bytes += p.size();

        media::JpegDecoder rgb;
        rgb.setPlanarPath(false);
        media::JpegDecoder planar;
        media::DecodedPicture out;
        media::DecodedPicture reused;
        const media::ScalingFactor f = media::chooseScalingFactor(QSize(width, height), area);
        const tjscalingfactor covering { f.num, f.denom };
        const tjscalingfactor eighth { 1, 8 };
        tjhandle handle = tjInitDecompress();
        std::vector<unsigned char> buffer;
        std::vector<unsigned char> rgbBuffer;
        const std::vector<std::function<bool(const std::string&)>> paths {
            [&](const std::string& p) { return rgb.decode(p, area, out); },
            [&](const std::string& p) { return planar.decode(p, area, reused); },
            [&](const std::string& p) {
                const int w = TJSCALED(width, covering);
                const int h = TJSCALED(height, covering);
                rgbBuffer.resize(static_cast<std::size_t>(w) * h * 4);
                return tjDecompress2(handle, reinterpret_cast<const unsigned char*>(p.data()),
                           static_cast<unsigned long>(p.size()), rgbBuffer.data(), w, 0, h, TJPF_BGRX,
                           TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE)
                    == 0;
            },
            [&](const std::string& p) {
                return decodePlanes(handle, p, TJSCALED(width, covering), TJSCALED(height, covering), buffer);
            },
            [&](const std::string& p) {
                return decodePlanes(handle, p, TJSCALED(width, eighth), TJSCALED(height, eighth), buffer);
            },
        };
        // The paths take turns, round after round, so that a change in the
        // machine's load reaches them all; each figure is the median round.
        std::vector<std::vector<double>> rounds(paths.size());
        for (int round = 0; round < kRounds; ++round)
            for (std::size_t i = 0; i < paths.size(); ++i)
                rounds[i].push_back(perPicture(pictures, repeat, paths[i]));
        std::vector<double> ms;
        for (std::vector<double>& values : rounds) {
            std::sort(values.begin(), values.end());
            ms.push_back(values[values.size() / 2]);
        }
        const double rgbMs = ms[0];
        const double planarMs = ms[1];
        const double rgbDecodeMs = ms[2];
        const double planesMs = ms[3];
        const double floorMs = ms[4];
        tjDestroy(handle);
        std::printf("%9s (%5.1f kB, scale %d/%d): rgb %.3f (TurboJPEG %.3f + Qt scale %.3f)  planar %.3f "
                    "(TurboJPEG %.3f + libyuv %.3f)  floor %.3f  planar/rgb %.2f  planar/floor %.2f\n",
            qPrintable(size), static_cast<double>(bytes) / pictures.size() / 1000.0, f.num, f.denom, rgbMs,
            rgbDecodeMs, rgbMs - rgbDecodeMs, planarMs, planesMs, planarMs - planesMs, floorMs,
            planarMs / rgbMs, planarMs / floorMs);
    }
    return 0;
}
