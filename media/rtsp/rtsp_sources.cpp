// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/rtsp/rtsp_sources.h"

#include "media/rtsp/rtsp_stream.h"

#include <algorithm>

namespace media {

RtspSources::RtspSources(DecodePool& decoders)
    : m_decoders(decoders)
{
}

RtspSources::~RtspSources()
{
    stopAll();
}

void RtspSources::reap()
{
    std::erase_if(m_ending, [](const std::unique_ptr<RtspStream>& stream) { return stream->finished(); });
}

void RtspSources::start(std::shared_ptr<StreamState> state, StreamConfig config, std::uint64_t session)
{
    stop(state);
    if (m_stopped)
        return;
    StreamState* key = state.get();
    m_streams[key] = std::make_unique<RtspStream>(std::move(state), std::move(config), session, m_decoders);
}

void RtspSources::stop(const std::shared_ptr<StreamState>& state)
{
    reap();
    const auto it = m_streams.find(state.get());
    if (it == m_streams.end())
        return;
    it->second->requestStop();
    m_ending.push_back(std::move(it->second));
    m_streams.erase(it);
}

void RtspSources::stopAll()
{
    m_stopped = true;
    for (auto& [key, stream] : m_streams) {
        stream->requestStop();
        m_ending.push_back(std::move(stream));
    }
    m_streams.clear();
    // The destructors join; every stream was asked first, so they end together.
    m_ending.clear();
}

} // namespace media
