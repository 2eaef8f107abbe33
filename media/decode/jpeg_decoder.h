// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Decodes one camera picture with TurboJPEG at the smallest DCT scaling that
// still covers the picture area, and brings it to the exact area in the pixel
// layout the widget draws 1:1.
//
// YCbCr and greyscale pictures decode to their planes (no colour conversion
// at the larger size), which libyuv box-filters to the area and converts
// there. Other pictures (CMYK, RGB-coded, subsampling TurboJPEG cannot name)
// decode to RGB and are smooth-scaled by Qt.
//
// Plain Motion-JPEG frames without Huffman tables decode as they are:
// libjpeg-turbo falls back to the standard tables of the JPEG standard.
//
// Thread: one decoder per thread; decode() may run on any thread.
#include <QImage>
#include <QSize>

#include <turbojpeg.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace media {

struct TjHandleDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using TjHandle = std::unique_ptr<void, TjHandleDeleter>;

// A DCT scaling factor num/denom.
struct ScalingFactor {
    int num = 1;
    int denom = 1;
    bool operator==(const ScalingFactor&) const = default;
};

// True when the picture's frame header is one of the progressive kinds (SOF2,
// SOF6, SOF10, SOF14). Unreadable segments count as not progressive: the
// decoder then reports the fault itself.
bool isProgressiveJpeg(std::string_view jpeg);

// The smallest factor among those libjpeg-turbo runs fast (1/8, 1/4, 1/2,
// 1/1; never 7/8, 3/4, 5/8 or 3/8, which gain little or lose) whose
// result is at least `area` in both directions. An empty area gives 1/8.
ScalingFactor chooseScalingFactor(QSize picture, QSize area);

struct DecodedPicture {
    // Format_RGB32, exactly the area (or the scaled size for an empty area).
    // An image of that size and format that nothing else shares is drawn
    // into as it is, so that a stream can reuse its buffers.
    QImage image;
    QSize sourceSize; // the picture's own size
};

class JpegDecoder {
public:
    // Pictures larger than any camera sends are refused before any memory is
    // taken: a few kilobytes that claim a huge size would otherwise cost
    // hundreds of megabytes and a second of a decode thread. 20 Mpx leaves
    // room above 12 Mpx (4000x3000) and 4K cameras.
    static constexpr long long kMaxPixels = 20'000'000;
    // Progressive pictures keep every coefficient of the picture in memory
    // and are decoded scan by scan; cameras do not stream them, so full HD
    // is the limit.
    static constexpr long long kMaxProgressivePixels = 2'100'000;

    JpegDecoder();
    bool valid() const { return m_handle != nullptr; }

    // False, with a reason in error(), for anything that does not decode.
    bool decode(std::string_view jpeg, QSize area, DecodedPicture& out);
    const std::string& error() const { return m_error; }

    // On by default; off, every picture takes the RGB path (for comparisons).
    void setPlanarPath(bool on) { m_planarPath = on; }

private:
    bool decodePlanar(const unsigned char* data, unsigned long size, QSize scaledSize, bool fullSize,
        int subsampling, QSize area, QImage& target);
    bool decodeRgb(
        const unsigned char* data, unsigned long size, QSize scaledSize, QSize area, QImage& target);
    bool decompressed(int result);

    TjHandle m_handle;
    std::string m_error;
    bool m_planarPath = true;
    // Reused from picture to picture; they only grow.
    std::vector<unsigned char> m_planes; // the decoded planes at the covering scale
    std::vector<unsigned char> m_scaledPlanes; // the same at the area's size
    QImage m_rgb; // the RGB path's picture at the covering scale
};

} // namespace media
