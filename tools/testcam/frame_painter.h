// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Paints the test camera's picture straight into planar YUV 4:2:0 (what the
// JPEG encoder wants, so no colour conversion pass): a moving gradient and bar,
// sensor-like noise that makes the JPEGs camera-like in size, and text lines.
// Qt-free. The painter is read-only after construction, so several threads
// may share one, each painting into its own YuvFrame.
#include <cstdint>
#include <string>
#include <vector>

namespace testcam {

struct YuvFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> y; // width * height, and room the encoder may read past it
    std::vector<std::uint8_t> u; // chromaWidth() * chromaHeight(), and the same room
    std::vector<std::uint8_t> v;

    YuvFrame() = default;
    YuvFrame(int w, int h);
    int chromaWidth() const { return (width + 1) / 2; }
    int chromaHeight() const { return (height + 1) / 2; }
};

class FramePainter {
public:
    FramePainter(int width, int height);

    // Paints picture number `index` of the motion; the same index gives the
    // same picture. `lines` are drawn top left, one under the other.
    void paint(YuvFrame& frame, long long index, const std::vector<std::string>& lines) const;

    int width() const { return m_width; }
    int height() const { return m_height; }

private:
    void drawText(YuvFrame& frame, const std::vector<std::string>& lines) const;

    int m_width;
    int m_height;
    int m_period;
    std::vector<std::uint8_t> m_lumaRamp; // one period of the luma bands, repeated to span a row
    std::vector<std::uint8_t> m_chromaRamp; // the same for the blue-difference plane
    std::vector<std::int8_t> m_noise; // zero-mean noise, read at a different offset per picture
};

// "hh:mm:ss.mmm" of a time in microseconds since the Unix epoch, local time.
std::string clockText(long long epochMicroseconds);

} // namespace testcam
