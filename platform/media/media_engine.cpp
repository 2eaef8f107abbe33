#include "platform/media/media_engine.h"

#include <curl/curl.h>

#include <cstdio>
#include <exception>
#include <mutex>
#include <stdexcept>

namespace media {

MediaEngine* MediaEngine::instance()
{
    static std::unique_ptr<MediaEngine> engine;
    static std::once_flag once;
    std::call_once(once, [] {
        try {
            engine = std::make_unique<MediaEngine>();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "veskat media: cannot start: %s\n", error.what());
            engine.reset();
        }
    });
    return engine.get();
}

MediaEngine::MediaEngine()
{
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
        throw std::runtime_error("libcurl could not be initialised");
    m_curlReady = true;
    try {
        m_decoders = std::make_unique<DecodePool>(kDecodeThreads);
        m_network = std::make_unique<NetworkThread>(*m_decoders);
    } catch (...) {
        m_network.reset();
        m_decoders.reset();
        curl_global_cleanup();
        throw;
    }
}

MediaEngine::~MediaEngine()
{
    m_network.reset();
    m_decoders.reset();
    if (m_curlReady)
        curl_global_cleanup();
}

} // namespace media
