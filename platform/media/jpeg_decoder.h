#pragma once
// Decodes one camera picture with TurboJPEG straight into the pixel layout the
// widget draws, at the smallest DCT scaling that still covers the picture
// area, then smooth-scales it to the exact area.
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
    QImage image; // Format_RGB32, exactly the area (or the scaled size for an empty area)
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

private:
    TjHandle m_handle;
    std::string m_error;
};

} // namespace media
