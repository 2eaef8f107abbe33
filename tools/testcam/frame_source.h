// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the cameras' pictures come from. Encoding full-HD pictures for many
// cameras live costs more than a small machine has, so unless the load is
// light (or --live is given) a cycle of pictures is encoded once at start:
// one per camera (showing its number) when that is cheap in memory and start
// time, else one shared by all cameras. The part headers still carry the real
// counter and send time. Live pictures show the camera, the real counter and
// send time. Main thread only, after create() returns.
#include "tools/testcam/frame_painter.h"
#include "tools/testcam/jpeg_encoder.h"
#include "tools/testcam/options.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

namespace testcam {

class FrameSource {
public:
    // Share of one core that live encoding is allowed to take before the
    // source switches to the precoded cycle.
    static constexpr double kLiveLoadLimit = 0.15;
    // Limits for giving every camera its own cycle rather than sharing one:
    // memory, and encoding CPU time at start (tests wait for "ready").
    static constexpr double kPerCameraCycleBytes = 64.0 * 1024 * 1024;
    static constexpr double kPerCameraCycleSeconds = 0.3;

    // Null with `error` set when the encoder cannot work.
    static std::unique_ptr<FrameSource> create(const Options& options, QString* error);

    bool live() const { return m_live; }
    // The picture for `camera` at its frame `counter`, sent at `epochMicroseconds`.
    // Empty when live encoding failed (the caller skips the picture).
    QByteArray picture(int camera, int port, long long counter, long long epochMicroseconds);

    // Encoding cost estimate of all cameras live, in cores.
    double estimatedLiveLoad() const { return m_estimatedLoad; }
    // Average size of the pictures encoded so far, in bytes.
    double averageBytes() const { return m_encodedCount ? double(m_encodedBytes) / m_encodedCount : 0; }
    int cycleLength() const { return m_cycles.empty() ? 0 : static_cast<int>(m_cycles.front().size()); }
    bool cyclePerCamera() const { return m_cycles.size() > 1; }
    const QString& lastError() const { return m_error; }

private:
    explicit FrameSource(const Options& options);
    bool buildCycles(size_t cycles, QString* error);
    void account(const QByteArray& jpeg);

    Options m_options;
    FramePainter m_painter;
    JpegEncoder m_encoder;
    YuvFrame m_frame;
    bool m_live = false;
    double m_estimatedLoad = 0;
    std::vector<std::vector<QByteArray>> m_cycles; // one shared, or one per camera
    long long m_encodedBytes = 0;
    long long m_encodedCount = 0;
    QString m_error;
};

} // namespace testcam
