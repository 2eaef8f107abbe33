// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// One RTSP camera stream on its own thread: connects with libavformat (RTP
// over the RTSP connection first, UDP when the camera refuses that), decodes
// H.264 and H.265 with libavcodec from the first key frame, hands Motion JPEG
// pictures to the decode pool, keeps the status, and connects again after a
// failure (backoff from 250 ms to 2 s) until stopped or a failure only a
// restart clears.
//
// Every blocking libav call is cut short by the interrupt callback: on a stop
// at once, otherwise when the network timeout passes without a picture (the
// camera's RTCP reports and keep-alive answers do not count).
//
// Thread: the constructor, requestStop(), finished() and the destructor from
// any one thread (the UI thread in practice); the rest runs on its own thread.
#include "media/rtsp/rtsp_failure.h"
#include "media/stream/stream_state.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace media {

class DecodePool;

class RtspStream {
public:
    static constexpr std::chrono::milliseconds kStallAfter { 5000 };
    static constexpr std::chrono::milliseconds kFirstRetryDelay { 250 };
    static constexpr std::chrono::milliseconds kMaxRetryDelay { 2000 };
    // A session over UDP that brings no picture this long is given up for
    // TCP: a firewall may drop the camera's UDP packets.
    static constexpr std::chrono::milliseconds kUdpSilence { 3000 };

    RtspStream(
        std::shared_ptr<StreamState> state, StreamConfig config, std::uint64_t session, DecodePool& decoders);
    // Stops and joins: cheap once finished() (the stop interrupts any wait).
    ~RtspStream();
    RtspStream(const RtspStream&) = delete;
    RtspStream& operator=(const RtspStream&) = delete;

    // Never blocks: the thread sees it at its next check (within ~100 ms of libav's polling).
    void requestStop();
    bool finished() const { return m_finished.load(); }
    StreamState* state() const { return m_state.get(); }

private:
    using Clock = std::chrono::steady_clock;

    void run();
    // One connection; the failure that ended it, and whether a picture came.
    RtspFailure play(RtspTransport transport, bool& pictured);
    static int interrupted(void* self);
    bool waitBeforeRetry(std::chrono::milliseconds delay);

    std::shared_ptr<StreamState> m_state;
    const StreamConfig m_config;
    const std::uint64_t m_session;
    DecodePool& m_decoders;

    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_finished { false };
    std::mutex m_waitMutex;
    std::condition_variable m_wake;

    // Thread only: the interrupt's clock.
    Clock::time_point m_lastPicture {};
    bool m_waitingForPicture = false; // the deadline counts from the connection's start
    bool m_timedOut = false;
    bool m_udpSilent = false;
    bool m_overUdp = false; // the session is set up over UDP and playing
    std::chrono::milliseconds m_timeout;

    std::thread m_thread; // last: started once everything above is ready
};

} // namespace media
