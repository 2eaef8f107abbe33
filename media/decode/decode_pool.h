// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A small pool of decode threads shared by every media control. A stream is
// queued at most once: while it waits or is being decoded, newer parts only
// replace its one waiting part (see StreamState), so nothing piles up.
//
// Turns are fair in decode time (see FairQueue).
//
// Thread: schedule() from any thread; stop() and destruction on one.
#include "media/timing/fair_queue.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace media {

class StreamState;

class DecodePool {
public:
    // How far ahead of the others a stream's decode time may run; a stream
    // that was costly a while ago is not held back for long.
    static constexpr std::chrono::nanoseconds kMaxLead = std::chrono::milliseconds(500);

    explicit DecodePool(int threads);
    ~DecodePool(); // stop()
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    // Queues a stream whose StreamState::offerPicture() returned true.
    void schedule(std::shared_ptr<StreamState> stream);
    // Drops every waiting stream, lets the decodes under way finish and joins
    // the threads; later schedules are dropped. Safe to call twice.
    void stop();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    FairQueue<StreamState> m_queue; // guarded by m_mutex
    bool m_quit = false; // guarded by m_mutex
    std::vector<std::thread> m_threads;
};

} // namespace media
