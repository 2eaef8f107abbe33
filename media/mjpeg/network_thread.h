// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one thread that drives every camera stream through a libcurl multi
// handle. Commands arrive through a locked queue and wake it with
// curl_multi_wakeup(), so start and stop never wait for the network.
//
// Thread: start(), stop() and the destructor from any thread (the UI thread
// in practice); everything else runs on the network thread itself.
#include "media/mjpeg/curl_handles.h"
#include "media/stream/stream_state.h"
#include "media/timing/monotonic_clock.h"

#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace media {

class DecodePool;
class StreamTransfer;

class NetworkThread {
public:
    // Throws std::runtime_error when libcurl cannot make a multi handle.
    // `clock` times every stream and outlives the thread.
    NetworkThread(DecodePool& decoders, const MonotonicClock& clock);
    ~NetworkThread(); // stopThread()
    NetworkThread(const NetworkThread&) = delete;
    NetworkThread& operator=(const NetworkThread&) = delete;

    // Starts (or restarts) the stream of `state` for `session`.
    void start(std::shared_ptr<StreamState> state, StreamConfig config, std::uint64_t session);
    // Drops the stream of `state`, if any.
    void stop(std::shared_ptr<StreamState> state);
    void wake();
    // Drops every stream and joins the thread; commands that come later are
    // kept but never run. Safe to call twice.
    void stopThread();

private:
    struct Command {
        std::shared_ptr<StreamState> state;
        std::optional<StreamConfig> config; // none: stop
        std::uint64_t session = 0;
    };

    void run();
    void apply(std::vector<Command>& commands);
    void drop(StreamState* state);

    struct Waker;

    DecodePool& m_decoders;
    const MonotonicClock& m_clock;
    CurlMulti m_multi;
    std::shared_ptr<Waker> m_waker;

    std::mutex m_mutex;
    std::vector<Command> m_commands; // guarded by m_mutex
    bool m_quit = false; // guarded by m_mutex

    // Only the network thread touches the transfers.
    std::unordered_map<StreamState*, std::unique_ptr<StreamTransfer>> m_transfers;
    std::thread m_thread;
};

} // namespace media
