// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/testcam/jpeg_encoder.h"

#include <turbojpeg.h>

namespace testcam {

void JpegEncoder::HandleDeleter::operator()(void* handle) const
{
    tjDestroy(handle);
}

void JpegEncoder::BufferDeleter::operator()(unsigned char* buffer) const
{
    tjFree(buffer);
}

JpegEncoder::JpegEncoder()
    : m_handle(tjInitCompress())
{
    if (!m_handle)
        m_error = tjGetErrorStr2(nullptr);
}

QByteArray JpegEncoder::encode(const YuvFrame& frame, int quality)
{
    if (!m_handle)
        return {};
    // A buffer of the worst-case size, kept across pictures, so that TurboJPEG
    // never reallocates and no picture pays for an allocation.
    const unsigned long needed = tjBufSize(frame.width, frame.height, TJSAMP_420);
    if (needed > m_bufferSize) {
        m_buffer.reset(tjAlloc(static_cast<int>(needed)));
        m_bufferSize = m_buffer ? needed : 0;
        if (!m_buffer) {
            m_error = "out of memory for the JPEG buffer";
            return {};
        }
    }
    const unsigned char* planes[3] = { frame.y.data(), frame.u.data(), frame.v.data() };
    const int strides[3] = { frame.width, frame.chromaWidth(), frame.chromaWidth() };
    unsigned char* out = m_buffer.get();
    unsigned long size = m_bufferSize;
    if (tjCompressFromYUVPlanes(m_handle.get(), planes, frame.width, strides, frame.height, TJSAMP_420, &out,
            &size, quality, TJFLAG_FASTDCT | TJFLAG_NOREALLOC)
        != 0) {
        m_error = tjGetErrorStr2(m_handle.get());
        return {};
    }
    return QByteArray(reinterpret_cast<const char*>(out), static_cast<qsizetype>(size));
}

} // namespace testcam
