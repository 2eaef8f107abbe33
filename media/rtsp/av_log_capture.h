// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// libavformat tells the RTSP status line of a failed request only in its log
// ("method DESCRIBE failed: 454 Session Not Found"); its error code keeps the
// class alone. While an AvLogCapture lives, the log lines of its format
// context are read for that line. Nothing of libav's log is printed: lines
// may carry the camera's address with its credentials.
//
// Thread: a capture on the thread that opens its context; the log callback
// may run on any thread.
#include "media/rtsp/rtsp_failure.h"

#include <mutex>
#include <optional>

namespace media {

class AvLogCapture {
public:
    // Installs the process's log callback on first use.
    explicit AvLogCapture(const void* context);
    ~AvLogCapture();
    AvLogCapture(const AvLogCapture&) = delete;
    AvLogCapture& operator=(const AvLogCapture&) = delete;

    // The last failed request logged for the context.
    std::optional<RtspReply> reply() const;
    // Called by the log callback.
    void take(RtspReply reply);

private:
    const void* m_context;
    mutable std::mutex m_mutex;
    std::optional<RtspReply> m_reply;
};

} // namespace media
