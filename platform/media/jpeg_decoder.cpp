#include "platform/media/jpeg_decoder.h"

#include <QPainter>
#include <QSysInfo>

#include <array>
#include <string>

namespace media {

namespace {

// Ascending; the factors whose inverse DCT and upsampling have SIMD paths.
// 3/8 is left out: with libjpeg-turbo 2.1 it decodes a 1280x720 camera
// picture about 20 % slower than 1/2 does.
constexpr std::array<ScalingFactor, 4> kFastFactors { { { 1, 8 }, { 1, 4 }, { 1, 2 }, { 1, 1 } } };

// Scales to exactly `area`. Up to half size in each direction bilinear
// filtering loses nothing visible and costs a third of Qt's area-averaging
// smooth scale (0.07 against 0.25 ms for 480x270 to 254x213 here), which is
// kept for stronger reductions.
QImage scaleToArea(const QImage& image, QSize area)
{
    if (image.width() > 2 * area.width() || image.height() > 2 * area.height())
        return image.scaled(area, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage scaled(area, QImage::Format_RGB32);
    if (scaled.isNull())
        return scaled;
    QPainter painter(&scaled);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(scaled.rect(), image);
    return scaled;
}

int scaled(int size, ScalingFactor f)
{
    return TJSCALED(size, (tjscalingfactor { f.num, f.denom }));
}

bool libraryOffers(ScalingFactor f)
{
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors && i < count; ++i) {
        // Compare as fractions: the library lists them in lowest terms.
        if (factors[i].num * f.denom == f.num * factors[i].denom)
            return true;
    }
    return false;
}

// Format_RGB32 is 0xffRRGGBB in native byte order.
constexpr int nativeRgb32Format()
{
    return QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRX : TJPF_XRGB;
}

} // namespace

bool isProgressiveJpeg(std::string_view jpeg)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    std::size_t i = 2; // after SOI
    while (i + 1 < jpeg.size()) {
        if (byte(i) != 0xFF)
            return false;
        const unsigned char marker = byte(i + 1);
        if (marker == 0xFF) { // fill byte
            ++i;
            continue;
        }
        i += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // no length
        const bool frameHeader
            = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader)
            return marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
        if (marker == 0xDA || marker == 0xD9 || i + 1 >= jpeg.size())
            return false; // scan or end before any frame header
        i += (static_cast<std::size_t>(byte(i)) << 8) | byte(i + 1);
    }
    return false;
}

ScalingFactor chooseScalingFactor(QSize picture, QSize area)
{
    if (area.isEmpty())
        return kFastFactors.front();
    for (const ScalingFactor f : kFastFactors) {
        if (!libraryOffers(f))
            continue;
        if (scaled(picture.width(), f) >= area.width() && scaled(picture.height(), f) >= area.height())
            return f;
    }
    return { 1, 1 };
}

JpegDecoder::JpegDecoder()
    : m_handle(tjInitDecompress())
{
}

bool JpegDecoder::decode(std::string_view jpeg, QSize area, DecodedPicture& out)
{
    if (!m_handle) {
        m_error = "TurboJPEG could not be initialised";
        return false;
    }
    if (jpeg.size() < 4 || static_cast<unsigned char>(jpeg[0]) != 0xFF
        || static_cast<unsigned char>(jpeg[1]) != 0xD8) {
        m_error = "not a JPEG picture";
        return false;
    }
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.data());
    const auto size = static_cast<unsigned long>(jpeg.size());
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colorspace = 0;
    if (tjDecompressHeader3(m_handle.get(), data, size, &width, &height, &subsampling, &colorspace) != 0) {
        m_error = tjGetErrorStr2(m_handle.get());
        return false;
    }
    const long long pixels = static_cast<long long>(width) * height;
    if (width <= 0 || height <= 0 || pixels > kMaxPixels
        || (pixels > kMaxProgressivePixels && isProgressiveJpeg(jpeg))) {
        m_error = "picture too large: " + std::to_string(width) + "x" + std::to_string(height);
        return false;
    }
    const QSize source(width, height);
    const ScalingFactor factor = chooseScalingFactor(source, area);
    const int outWidth = scaled(width, factor);
    const int outHeight = scaled(height, factor);

    QImage decoded(outWidth, outHeight, QImage::Format_RGB32);
    if (decoded.isNull()) {
        m_error = "out of memory";
        return false;
    }
    // Reduced-size inverse DCTs ignore FASTDCT; at full size it saves a few
    // per cent, and the picture is shrunk to a tile afterwards anyway.
    // LIMITSCANS refuses progressive pictures crafted with thousands of scans,
    // which would tie up a decode thread for seconds.
    const int flags = TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE | TJFLAG_LIMITSCANS;
    if (tjDecompress2(m_handle.get(), data, size, decoded.bits(), outWidth,
            static_cast<int>(decoded.bytesPerLine()), outHeight, nativeRgb32Format(), flags)
        != 0) {
        // A warning (for example a picture cut short) still leaves a usable
        // picture; only a fatal error means nothing was decoded.
        if (tjGetErrorCode(m_handle.get()) != TJERR_WARNING) {
            m_error = tjGetErrorStr2(m_handle.get());
            return false;
        }
    }
    if (!area.isEmpty() && decoded.size() != area)
        decoded = scaleToArea(decoded, area);
    if (decoded.isNull()) {
        m_error = "out of memory";
        return false;
    }
    out.image = std::move(decoded);
    out.sourceSize = source;
    m_error.clear();
    return true;
}

} // namespace media
