#include "platform/media/jpeg_decoder.h"

#include <QPainter>
#include <QSysInfo>

#include <array>

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
    if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxPixels) {
        m_error = "picture size out of range";
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
