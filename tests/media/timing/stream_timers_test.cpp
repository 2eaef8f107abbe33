// SPDX-License-Identifier: GPL-2.0-or-later
// The network thread's timing rules on a clock the test moves by hand:
// reconnect backoff, the stall, the timeout and the flood window.
#include "media/timing/stream_timers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

using namespace std::chrono_literals;
using media::StreamTimers;

class FakeClock final : public media::MonotonicClock {
public:
    TimePoint now() const override { return m_now; }
    void advance(std::chrono::milliseconds by) { m_now += by; }

private:
    TimePoint m_now { 1h }; // not the epoch, which the timers start from
};

class StreamTimersTest : public testing::Test {
protected:
    // Advances to `after`, checking the rule holds at that moment and not a
    // millisecond before.
    template <typename Rule> void expectFirstAt(std::chrono::milliseconds after, Rule holds)
    {
        clock.advance(after - 1ms);
        EXPECT_FALSE(holds()) << "at " << (after - 1ms).count() << " ms";
        clock.advance(1ms);
        EXPECT_TRUE(holds()) << "at " << after.count() << " ms";
    }

    FakeClock clock;
    StreamTimers timers { clock, 8000ms };
};

using Backoff = StreamTimersTest;
using Silence = StreamTimersTest;
using Flood = StreamTimersTest;

TEST_F(Backoff, DoublesFromAQuarterSecondToTwoSeconds)
{
    for (const std::chrono::milliseconds delay : { 250ms, 500ms, 1000ms, 2000ms, 2000ms }) {
        timers.attemptStarted();
        timers.attemptFailed();
        expectFirstAt(delay, [&] { return timers.retryDue(); });
    }
}

TEST_F(Backoff, StartsOverOnceAPartArrives)
{
    for (int failure = 0; failure < 3; ++failure) {
        timers.attemptFailed();
        clock.advance(StreamTimers::kMaxRetryDelay);
    }
    timers.attemptStarted();
    timers.streamStarted();
    timers.partArrived();
    timers.attemptFailed();
    expectFirstAt(StreamTimers::kFirstRetryDelay, [&] { return timers.retryDue(); });
}

TEST_F(Silence, AStreamWithNoPartForMoreThanFiveSecondsIsStalled)
{
    timers.attemptStarted();
    clock.advance(3s);
    timers.streamStarted();
    expectFirstAt(5001ms, [&] { return timers.stalled(); });
    timers.partArrived();
    EXPECT_FALSE(timers.stalled());
    expectFirstAt(5001ms, [&] { return timers.stalled(); });
}

TEST_F(Silence, TimesOutOnceTheTimeoutHasPassed)
{
    // No answer after the attempt, then no part after the stream started or
    // after the last part: each counts from its own moment.
    timers.attemptStarted();
    expectFirstAt(8001ms, [&] { return timers.timedOut(); });
    timers.streamStarted();
    expectFirstAt(8001ms, [&] { return timers.timedOut(); });
    timers.partArrived();
    expectFirstAt(8001ms, [&] { return timers.timedOut(); });
}

TEST_F(Flood, SixtyPartsInAQuarterSecondHoldTheStreamBackForTheRestOfIt)
{
    timers.attemptStarted();
    clock.advance(100ms);
    for (int part = 0; part < StreamTimers::kMaxPartsPerWindow; ++part) {
        EXPECT_FALSE(timers.holdBackFlood()) << part;
        timers.partArrived();
    }
    EXPECT_TRUE(timers.holdBackFlood());
    expectFirstAt(150ms, [&] { return timers.floodWindowOver(); });
    EXPECT_FALSE(timers.holdBackFlood());
}

TEST_F(Flood, ANewAttemptStartsANewWindow)
{
    timers.attemptStarted();
    for (int part = 0; part < StreamTimers::kMaxPartsPerWindow; ++part)
        timers.partArrived();
    timers.attemptStarted();
    EXPECT_FALSE(timers.holdBackFlood());
}

} // namespace
