// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the network and decode threads tell the side that shows a stream:
// its status changed, a decoded picture is ready to be taken.
//
// Thread: called from any thread (network, decode, UI), with none of
// StreamState's own locks held, one call at a time; an implementation
// returns soon. Once StreamState::detach() has returned, it is not called again.
#include <cstdint>

namespace media {

class StreamSink {
public:
    virtual ~StreamSink() = default;

    // The status became `status`; called in the order the changes happened.
    virtual void streamStatusChanged(std::int32_t status) = 0;
    // StreamState::takeReadyPicture() has a picture; not called again until
    // that call was made.
    virtual void pictureReady() = 0;
};

} // namespace media
