// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The threads behind every media control of the process: one network thread
// and a small decode pool. Made on first use; stopped by shutdown(), which
// the program calls before its QApplication goes, since the decode threads
// draw with Qt.
//
// Thread: instance() and shutdown() on the UI thread; network() and decoders()
// from any thread.
#include "media/decode/decode_pool.h"
#include "media/mjpeg/network_thread.h"
#include "media/rtsp/rtsp_sources.h"
#include "media/timing/monotonic_clock.h"

#include <memory>

namespace media {

class MediaEngine {
public:
    static constexpr int kDecodeThreads = 2;

    // The process's engine; null when it cannot be started or was shut down.
    static MediaEngine* instance();
    // Stops and joins the threads: transfers end, waiting pictures are
    // dropped, decodes under way finish first. Controls that still exist keep
    // their last picture and may be destroyed later; nothing streams again.
    // Does nothing when no engine was made.
    static void shutdown();

    MediaEngine();
    ~MediaEngine();
    MediaEngine(const MediaEngine&) = delete;
    MediaEngine& operator=(const MediaEngine&) = delete;

    NetworkThread& network() { return *m_network; }
    DecodePool& decoders() { return *m_decoders; }
    // UI thread only.
    RtspSources& rtsp() { return *m_rtsp; }

private:
    void stopThreads();

    bool m_curlReady = false;
    SteadyClock m_clock;
    // Declared in this order so that the network thread, which feeds the
    // decoders, stops first.
    std::unique_ptr<DecodePool> m_decoders;
    std::unique_ptr<NetworkThread> m_network;
    std::unique_ptr<RtspSources> m_rtsp;
};

// Shuts the media engine down when it goes out of scope: declared right
// after the QApplication in main(), it runs before the application object
// is destroyed, however main() is left.
class MediaEngineShutdown {
public:
    MediaEngineShutdown() = default;
    ~MediaEngineShutdown() { MediaEngine::shutdown(); }
    MediaEngineShutdown(const MediaEngineShutdown&) = delete;
    MediaEngineShutdown& operator=(const MediaEngineShutdown&) = delete;
};

} // namespace media
