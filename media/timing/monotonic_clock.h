// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the network thread's timing rules read the time, so that they can be
// driven by a clock of one's own.
//
// Thread: now() from any thread.
#include <chrono>

namespace media {

class MonotonicClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;

    virtual ~MonotonicClock() = default;
    virtual TimePoint now() const = 0;
};

// The machine's monotonic clock.
class SteadyClock final : public MonotonicClock {
public:
    TimePoint now() const override { return std::chrono::steady_clock::now(); }
};

} // namespace media
