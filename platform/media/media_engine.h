#pragma once
// The threads behind every media control of the process: one network thread
// and a small decode pool. Made on first use and kept until the process ends,
// so that destroying a control never waits for a thread.
//
// Thread: instance() on the UI thread (it initialises libcurl); the rest from any thread.
#include "platform/media/decode_pool.h"
#include "platform/media/network_thread.h"

#include <memory>

namespace media {

class MediaEngine {
public:
    static constexpr int kDecodeThreads = 2;

    // The process's engine; null when it cannot be started.
    static MediaEngine* instance();

    MediaEngine();
    ~MediaEngine();
    MediaEngine(const MediaEngine&) = delete;
    MediaEngine& operator=(const MediaEngine&) = delete;

    NetworkThread& network() { return *m_network; }

private:
    bool m_curlReady = false;
    // Declared in this order so that the network thread, which feeds the
    // decoders, stops first.
    std::unique_ptr<DecodePool> m_decoders;
    std::unique_ptr<NetworkThread> m_network;
};

} // namespace media
