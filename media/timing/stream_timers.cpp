// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/timing/stream_timers.h"

#include <algorithm>

namespace media {

StreamTimers::StreamTimers(const MonotonicClock& clock, std::chrono::milliseconds timeout)
    : m_clock(clock)
    , m_timeout(timeout)
{
}

void StreamTimers::attemptStarted()
{
    m_heardAt = m_clock.now();
    m_windowStart = m_heardAt;
    m_partsInWindow = 0;
}

void StreamTimers::streamStarted()
{
    m_heardAt = m_clock.now();
}

void StreamTimers::attemptFailed()
{
    m_retryAt = m_clock.now() + m_retryDelay;
    m_retryDelay = std::min(m_retryDelay * 2, kMaxRetryDelay);
}

bool StreamTimers::retryDue() const
{
    return m_clock.now() >= m_retryAt;
}

void StreamTimers::partArrived()
{
    m_heardAt = m_clock.now();
    m_retryDelay = kFirstRetryDelay;
    ++m_partsInWindow;
}

bool StreamTimers::timedOut() const
{
    return m_clock.now() - m_heardAt > m_timeout;
}

bool StreamTimers::stalled() const
{
    return m_clock.now() - m_heardAt > kStallAfter;
}

bool StreamTimers::holdBackFlood()
{
    const MonotonicClock::TimePoint now = m_clock.now();
    if (now - m_windowStart >= kPartWindow) {
        m_windowStart = now;
        m_partsInWindow = 0;
    }
    return m_partsInWindow >= kMaxPartsPerWindow;
}

bool StreamTimers::floodWindowOver() const
{
    return m_clock.now() - m_windowStart >= kPartWindow;
}

} // namespace media
