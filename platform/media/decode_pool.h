#pragma once
// A small pool of decode threads shared by every media control. A stream is
// queued at most once: while it waits or is being decoded, newer parts only
// replace its one waiting part (see StreamState), so nothing piles up.
//
// Thread: schedule() from any thread; construction and destruction on one.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace media {

class StreamState;

class DecodePool {
public:
    explicit DecodePool(int threads);
    ~DecodePool(); // finishes the current decodes and joins
    DecodePool(const DecodePool&) = delete;
    DecodePool& operator=(const DecodePool&) = delete;

    // Queues a stream whose StreamState::offerPicture() returned true.
    void schedule(std::shared_ptr<StreamState> stream);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<StreamState>> m_queue;
    bool m_quit = false;
    std::vector<std::thread> m_threads;
};

} // namespace media
