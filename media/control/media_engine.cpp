// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/control/media_engine.h"

#include <curl/curl.h>

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace media {

namespace {

// Made inside its own constructor, so that its destruction at exit is
// registered after OpenSSL's clean-up (set up by curl_global_init) and runs
// before it: the network thread must end while OpenSSL can still free what
// that thread holds.
struct EngineHolder {
    EngineHolder()
    {
        try {
            engine = std::make_unique<MediaEngine>();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "veskat media: cannot start: %s\n", error.what());
        }
    }
    std::unique_ptr<MediaEngine> engine;
};

bool g_made = false;
bool g_shutDown = false;

EngineHolder& holder()
{
    static EngineHolder holder;
    g_made = true;
    return holder;
}

} // namespace

MediaEngine* MediaEngine::instance()
{
    if (g_shutDown)
        return nullptr;
    return holder().engine.get();
}

void MediaEngine::shutdown()
{
    g_shutDown = true;
    if (!g_made)
        return;
    if (MediaEngine* engine = holder().engine.get())
        engine->stopThreads();
}

void MediaEngine::stopThreads()
{
    m_network->stopThread();
    m_rtsp->stopAll();
    m_decoders->stop();
}

MediaEngine::MediaEngine()
{
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        throw std::runtime_error("libcurl could not be initialised");
    m_curlReady = true;
    try {
        m_decoders = std::make_unique<DecodePool>(kDecodeThreads);
        m_network = std::make_unique<NetworkThread>(*m_decoders, m_clock);
        m_rtsp = std::make_unique<RtspSources>(*m_decoders);
    } catch (...) {
        m_rtsp.reset();
        m_network.reset();
        m_decoders.reset();
        curl_global_cleanup();
        throw;
    }
}

MediaEngine::~MediaEngine()
{
    m_network.reset();
    m_rtsp.reset();
    m_decoders.reset();
    if (m_curlReady)
        curl_global_cleanup();
}

} // namespace media
