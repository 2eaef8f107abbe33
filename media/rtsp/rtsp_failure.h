// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a failed RTSP attempt means for the control's status: libavformat's
// error code, with the status line it logged when there was one, becomes one
// of the status codes (1025 to retry, 1028 to 1030 to wait for a restart),
// or the advice to try UDP when the camera refused RTP over TCP.
//
// Thread: any; free of libav's state.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace media {

// A request the camera answered with an error, as libavformat logs it.
struct RtspReply {
    std::string method; // "DESCRIBE", "SETUP", ...
    int code = 0;
    std::string reason; // "Session Not Found"
    bool operator==(const RtspReply&) const = default;
};

// Reads "method DESCRIBE failed: 454 Session Not Found" (with or without the
// line end); nullopt for any other log line.
std::optional<RtspReply> parseLoggedReply(std::string_view line);

enum class RtspTransport { Tcp, Udp };

struct RtspFailure {
    std::int32_t status = 0;
    std::string detail;
    // The camera refused RTP over the RTSP connection: try UDP at once.
    bool tryUdp = false;
    bool operator==(const RtspFailure&) const = default;
};

// `error` is libavformat's (a negative AVERROR); `reply` the failed request
// logged during the attempt, if any.
RtspFailure classifyRtspFailure(int error, const std::optional<RtspReply>& reply, RtspTransport transport);

} // namespace media
