// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/decode/jpeg_decoder.h"

#include <QPainter>
#include <QSysInfo>

#include <libyuv/convert_argb.h>
#include <libyuv/scale.h>

#include <array>
#include <new>
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

// The pictures the planar path takes: YCbCr or grey, with a subsampling
// TurboJPEG can name. libyuv's ARGB is Format_RGB32's byte order only on
// little-endian machines.
bool planarSuits(int subsampling, int colorspace)
{
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        return false;
    if (subsampling < 0 || subsampling >= TJ_NUMSAMP)
        return false;
    return colorspace == TJCS_YCbCr || (colorspace == TJCS_GRAY && subsampling == TJSAMP_GRAY);
}

bool grow(std::vector<unsigned char>& buffer, std::size_t size)
{
    try {
        if (buffer.size() < size)
            buffer.resize(size);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Keeps `image` when it is already `size` in Format_RGB32 and nothing else
// holds it; otherwise makes a new one. False when there is no memory.
bool fitTarget(QImage& image, QSize size)
{
    if (image.size() == size && image.format() == QImage::Format_RGB32 && image.isDetached())
        return true;
    image = QImage(size, QImage::Format_RGB32);
    return !image.isNull();
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
    const QSize scaledSize(scaled(width, factor), scaled(height, factor));

    const bool planar = m_planarPath && !area.isEmpty() && planarSuits(subsampling, colorspace);
    const bool ok = planar
        ? decodePlanar(data, size, scaledSize, factor == ScalingFactor {}, subsampling, area, out.image)
        : decodeRgb(data, size, scaledSize, area, out.image);
    if (!ok)
        return false;
    out.sourceSize = source;
    m_error.clear();
    return true;
}

// A warning (for example a picture cut short) still leaves a usable picture;
// only a fatal error means nothing was decoded.
bool JpegDecoder::decompressed(int result)
{
    if (result == 0 || tjGetErrorCode(m_handle.get()) == TJERR_WARNING)
        return true;
    m_error = tjGetErrorStr2(m_handle.get());
    return false;
}

bool JpegDecoder::decodePlanar(const unsigned char* data, unsigned long size, QSize scaledSize, bool fullSize,
    int subsampling, QSize area, QImage& target)
{
    const int components = subsampling == TJSAMP_GRAY ? 1 : 3;
    std::array<int, 3> widths {};
    std::array<int, 3> heights {};
    std::size_t total = 0;
    for (int c = 0; c < components; ++c) {
        widths[c] = tjPlaneWidth(c, scaledSize.width(), subsampling);
        heights[c] = tjPlaneHeight(c, scaledSize.height(), subsampling);
        if (widths[c] <= 0 || heights[c] <= 0) {
            m_error = "unsupported subsampling";
            return false;
        }
        total += static_cast<std::size_t>(widths[c]) * static_cast<std::size_t>(heights[c]);
    }
    const std::size_t areaPixels
        = static_cast<std::size_t>(area.width()) * static_cast<std::size_t>(area.height());
    if (!grow(m_planes, total) || !grow(m_scaledPlanes, areaPixels * static_cast<std::size_t>(components))
        || !fitTarget(target, area)) {
        m_error = "out of memory";
        return false;
    }
    std::array<unsigned char*, 3> planes {};
    for (std::size_t c = 0, offset = 0; c < static_cast<std::size_t>(components); ++c) {
        planes[c] = m_planes.data() + offset;
        offset += static_cast<std::size_t>(widths[c]) * static_cast<std::size_t>(heights[c]);
    }
    // Fast DCT only at full size, where it takes effect. At a reduced size
    // TurboJPEG 2.1 gives 4:2:0 chroma the luma's reduced inverse DCT, which
    // reads the fast DCT's tables wrongly: colours come out far too strong.
    const int flags = (fullSize ? TJFLAG_FASTDCT : 0) | TJFLAG_LIMITSCANS;
    if (!decompressed(tjDecompressToYUVPlanes(m_handle.get(), data, size, planes.data(), scaledSize.width(),
            widths.data(), scaledSize.height(), flags)))
        return false;

    // Every plane goes to the full area, so that chroma is filtered rather
    // than repeated whatever the subsampling (keeping 4:2:0 at the area's
    // size saves nothing measurable and strays further from Qt's scale).
    // The luma plane is padded to whole chroma samples: its padding is left
    // out. A chroma plane is taken whole; its last sample may reach half a
    // pixel past the picture, which no one can tell.
    std::array<const unsigned char*, 3> atArea {};
    std::array<int, 3> strides {};
    for (std::size_t c = 0; c < static_cast<std::size_t>(components); ++c) {
        const int width = c == 0 ? scaledSize.width() : widths[c];
        const int height = c == 0 ? scaledSize.height() : heights[c];
        if (QSize(width, height) == area) {
            atArea[c] = planes[c];
            strides[c] = widths[c];
            continue;
        }
        unsigned char* scaledPlane = m_scaledPlanes.data() + c * areaPixels;
        libyuv::ScalePlane(planes[c], widths[c], width, height, scaledPlane, area.width(), area.width(),
            area.height(), libyuv::kFilterBox);
        atArea[c] = scaledPlane;
        strides[c] = area.width();
    }
    uchar* const argb = target.bits();
    const int pitch = static_cast<int>(target.bytesPerLine());
    const int result = components == 1
        ? libyuv::J400ToARGB(atArea[0], strides[0], argb, pitch, area.width(), area.height())
        : libyuv::J444ToARGB(atArea[0], strides[0], atArea[1], strides[1], atArea[2], strides[2], argb, pitch,
            area.width(), area.height());
    if (result != 0) {
        m_error = "colour conversion failed";
        return false;
    }
    return true;
}

bool JpegDecoder::decodeRgb(
    const unsigned char* data, unsigned long size, QSize scaledSize, QSize area, QImage& target)
{
    // Drawn straight into the target when no scaling follows.
    const bool direct = area.isEmpty() || area == scaledSize;
    QImage& decoded = direct ? target : m_rgb;
    if (!fitTarget(decoded, scaledSize)) {
        m_error = "out of memory";
        return false;
    }
    // Reduced-size inverse DCTs ignore FASTDCT; at full size it saves a few
    // per cent, and the picture is shrunk to a tile afterwards anyway.
    // LIMITSCANS refuses progressive pictures crafted with thousands of scans,
    // which would tie up a decode thread for seconds.
    const int flags = TJFLAG_FASTDCT | TJFLAG_FASTUPSAMPLE | TJFLAG_LIMITSCANS;
    if (!decompressed(tjDecompress2(m_handle.get(), data, size, decoded.bits(), scaledSize.width(),
            static_cast<int>(decoded.bytesPerLine()), scaledSize.height(), nativeRgb32Format(), flags)))
        return false;
    if (direct)
        return true;
    target = scaleToArea(m_rgb, area);
    if (target.isNull()) {
        m_error = "out of memory";
        return false;
    }
    return true;
}

} // namespace media
