// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// JPEG encoding of a painted picture with TurboJPEG (4:2:0, fast DCT). One
// encoder per thread: a TurboJPEG handle must not be shared between threads.
#include "tools/testcam/frame_painter.h"

#include <QByteArray>

#include <memory>
#include <string>

namespace testcam {

class JpegEncoder {
public:
    JpegEncoder();

    bool valid() const { return m_handle != nullptr; }
    // Empty on failure; lastError() says why.
    QByteArray encode(const YuvFrame& frame, int quality);
    const std::string& lastError() const { return m_error; }

private:
    struct HandleDeleter {
        void operator()(void* handle) const;
    };
    struct BufferDeleter {
        void operator()(unsigned char* buffer) const;
    };
    std::unique_ptr<void, HandleDeleter> m_handle;
    std::unique_ptr<unsigned char, BufferDeleter> m_buffer;
    unsigned long m_bufferSize = 0;
    std::string m_error;
};

} // namespace testcam
