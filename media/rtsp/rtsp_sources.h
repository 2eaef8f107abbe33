// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Every RTSP stream of the process, one thread each (at most one per camera
// window). start() and stop() only ask: a stream being stopped finishes on
// its own thread and is joined later, once it has, so the UI thread never
// waits for a camera.
//
// Thread: every member from one thread (the UI thread in practice).
#include "media/stream/stream_state.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace media {

class DecodePool;
class RtspStream;

class RtspSources {
public:
    explicit RtspSources(DecodePool& decoders);
    ~RtspSources(); // stopAll()
    RtspSources(const RtspSources&) = delete;
    RtspSources& operator=(const RtspSources&) = delete;

    // Starts (or restarts) the stream of `state` for `session`.
    void start(std::shared_ptr<StreamState> state, StreamConfig config, std::uint64_t session);
    // Drops the stream of `state`, if any.
    void stop(const std::shared_ptr<StreamState>& state);
    // Stops every stream and waits for their threads (at shutdown); later
    // starts are ignored.
    void stopAll();

private:
    void reap();

    DecodePool& m_decoders;
    bool m_stopped = false;
    std::unordered_map<StreamState*, std::unique_ptr<RtspStream>> m_streams;
    std::vector<std::unique_ptr<RtspStream>> m_ending; // asked to stop, not joined yet
};

} // namespace media
