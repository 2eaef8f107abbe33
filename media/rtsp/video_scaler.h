// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Brings a decoded video picture (8-bit 4:2:0, planar or NV12) to the picture
// area in the layout the control draws 1:1: the planes are box-filtered to
// the area with libyuv, then converted there, as the JPEG path does.
//
// Thread: one scaler per stream thread.
#include <QImage>
#include <QSize>

#include <string>
#include <vector>

struct AVFrame;

namespace media {

class VideoScaler {
public:
    // Draws `frame` into `target` (reused when it has the area's size and
    // Format_RGB32, else made anew). An empty area gives the frame's own
    // size. False, with a reason in error(), for a pixel format it cannot take.
    bool scale(const AVFrame& frame, QSize area, QImage& target);
    const std::string& error() const { return m_error; }

private:
    std::string m_error;
    std::vector<unsigned char> m_planes; // the planes at the area's size; they only grow
};

} // namespace media
