// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The timing rules of one camera stream: when to connect again after a failed
// attempt (backoff from 250 ms, doubling up to 2 s, from the start again once
// a part arrives), when a silent camera is stalled (after 5 s) or lost (the
// timeout, property 8), and when a flood of parts is held back. It only
// decides; the transfer acts. Free of Qt and libcurl.
//
// Thread: the network thread only (one per StreamTransfer).
#include "media/timing/monotonic_clock.h"

#include <chrono>

namespace media {

class StreamTimers {
public:
    // No picture for this long marks a playing stream as stalled.
    static constexpr std::chrono::milliseconds kStallAfter { 5000 };
    static constexpr std::chrono::milliseconds kFirstRetryDelay { 250 };
    static constexpr std::chrono::milliseconds kMaxRetryDelay { 2000 };
    // More parts than this in a quarter second (240 a second, four times a
    // fast camera) pause the transfer for the rest of it.
    static constexpr std::chrono::milliseconds kPartWindow { 250 };
    static constexpr int kMaxPartsPerWindow = 60;

    StreamTimers(const MonotonicClock& clock, std::chrono::milliseconds timeout);

    // A connection attempt starts now: the camera has the timeout to answer.
    void attemptStarted();
    // The answer is a stream: the timeout and the stall count from now.
    void streamStarted();
    // The attempt failed; the next one is due after the current delay, and
    // the one after that waits twice as long, up to kMaxRetryDelay.
    void attemptFailed();
    bool retryDue() const;
    // A part arrived: the stream is alive, and the backoff starts over.
    void partArrived();

    // Nothing heard for longer than the timeout: no answer while connecting,
    // no part while streaming.
    bool timedOut() const;
    // No part for more than kStallAfter while streaming.
    bool stalled() const;

    // True when this window has had its kMaxPartsPerWindow parts: hold the
    // transfer back until floodWindowOver(). A new window starts when the
    // last one is over.
    bool holdBackFlood();
    bool floodWindowOver() const;

private:
    const MonotonicClock& m_clock;
    std::chrono::milliseconds m_timeout;
    MonotonicClock::TimePoint m_heardAt {}; // attempt start, stream start or last part
    MonotonicClock::TimePoint m_retryAt {};
    std::chrono::milliseconds m_retryDelay = kFirstRetryDelay;
    MonotonicClock::TimePoint m_windowStart {};
    int m_partsInWindow = 0;
};

} // namespace media
