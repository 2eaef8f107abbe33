// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/rtsp/video_scaler.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
}

#include <libyuv/convert_argb.h>
#include <libyuv/scale.h>
#include <libyuv/scale_uv.h>

#include <QSysInfo>

namespace media {

namespace {

enum class Matrix { Bt601, Bt601Full, Bt709 };

Matrix matrixOf(const AVFrame& frame)
{
    if (frame.format == AV_PIX_FMT_YUVJ420P || frame.color_range == AVCOL_RANGE_JPEG)
        return Matrix::Bt601Full;
    if (frame.colorspace == AVCOL_SPC_BT709)
        return Matrix::Bt709;
    return Matrix::Bt601;
}

} // namespace

bool VideoScaler::scale(const AVFrame& frame, QSize area, QImage& target)
{
    const bool planar = frame.format == AV_PIX_FMT_YUV420P || frame.format == AV_PIX_FMT_YUVJ420P;
    const bool nv12 = frame.format == AV_PIX_FMT_NV12;
    if constexpr (QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
        m_error = "big-endian machines are not supported";
        return false;
    }
    if (!planar && !nv12) {
        const char* name = av_get_pix_fmt_name(static_cast<AVPixelFormat>(frame.format));
        m_error = std::string("pixel format ") + (name ? name : "unknown") + " is not supported";
        return false;
    }
    if (frame.width <= 0 || frame.height <= 0) {
        m_error = "empty picture";
        return false;
    }
    if (area.isEmpty())
        area = QSize(frame.width, frame.height);
    if (target.size() != area || target.format() != QImage::Format_RGB32)
        target = QImage(area, QImage::Format_RGB32);
    if (target.isNull()) {
        m_error = "out of memory";
        return false;
    }

    const int w = area.width();
    const int h = area.height();
    const int cw = (w + 1) / 2;
    const int ch = (h + 1) / 2;
    const bool same = w == frame.width && h == frame.height;
    const uint8_t* y = frame.data[0];
    int yStride = frame.linesize[0];
    const uint8_t* u = frame.data[1];
    int uStride = frame.linesize[1];
    const uint8_t* v = nv12 ? nullptr : frame.data[2];
    int vStride = nv12 ? 0 : frame.linesize[2];
    if (!same) {
        const std::size_t needed = static_cast<std::size_t>(w) * h + 2 * static_cast<std::size_t>(cw) * ch;
        if (m_planes.size() < needed)
            m_planes.resize(needed);
        uint8_t* sy = m_planes.data();
        uint8_t* su = sy + static_cast<std::size_t>(w) * h;
        const int srcCw = (frame.width + 1) / 2;
        const int srcCh = (frame.height + 1) / 2;
        libyuv::ScalePlane(y, yStride, frame.width, frame.height, sy, w, w, h, libyuv::kFilterBox);
        if (nv12) {
            libyuv::UVScale(u, uStride, srcCw, srcCh, su, cw * 2, cw, ch, libyuv::kFilterBox);
            uStride = cw * 2;
        } else {
            uint8_t* sv = su + static_cast<std::size_t>(cw) * ch;
            libyuv::ScalePlane(u, uStride, srcCw, srcCh, su, cw, cw, ch, libyuv::kFilterBox);
            libyuv::ScalePlane(v, vStride, srcCw, srcCh, sv, cw, cw, ch, libyuv::kFilterBox);
            v = sv;
            vStride = cw;
            uStride = cw;
        }
        y = sy;
        yStride = w;
        u = su;
    }
    uint8_t* argb = target.bits();
    const int pitch = static_cast<int>(target.bytesPerLine());
    const Matrix matrix = matrixOf(frame);
    int result = 0;
    if (nv12) {
        const libyuv::YuvConstants* constants = matrix == Matrix::Bt709 ? &libyuv::kYuvH709Constants
            : matrix == Matrix::Bt601Full                               ? &libyuv::kYuvJPEGConstants
                                                                        : &libyuv::kYuvI601Constants;
        result = libyuv::NV12ToARGBMatrix(y, yStride, u, uStride, argb, pitch, constants, w, h);
    } else if (matrix == Matrix::Bt709) {
        result = libyuv::H420ToARGB(y, yStride, u, uStride, v, vStride, argb, pitch, w, h);
    } else if (matrix == Matrix::Bt601Full) {
        result = libyuv::J420ToARGB(y, yStride, u, uStride, v, vStride, argb, pitch, w, h);
    } else {
        result = libyuv::I420ToARGB(y, yStride, u, uStride, v, vStride, argb, pitch, w, h);
    }
    if (result != 0) {
        m_error = "the picture could not be converted";
        return false;
    }
    return true;
}

} // namespace media
