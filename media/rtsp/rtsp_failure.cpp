// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/rtsp/rtsp_failure.h"

#include "core/media_contract/dispatch.h"

extern "C" {
#include <libavutil/error.h>
}

#include <cerrno>
#include <charconv>

namespace media {

namespace {

std::string statusLine(int code, std::string_view reason)
{
    return "RTSP " + std::to_string(code) + (reason.empty() ? "" : " " + std::string(reason));
}

// A SETUP over TCP answered with one of these is a refusal of the transport
// (461 by the standard, 400 or 406 by some cameras), not of the stream.
bool refusesTransport(int code)
{
    return code == 461 || code == 400 || code == 406;
}

RtspFailure failed(std::int32_t status, std::string detail)
{
    return RtspFailure { status, std::move(detail), false };
}

RtspFailure fromReply(const RtspReply& reply, RtspTransport transport)
{
    if (reply.code == 401 || reply.code == 403)
        return failed(Status::Unauthorized, statusLine(reply.code, reply.reason));
    if (reply.method == "SETUP" && transport == RtspTransport::Tcp && refusesTransport(reply.code))
        return RtspFailure { Status::ConnectionFailed, statusLine(reply.code, reply.reason), true };
    return failed(Status::HttpError, statusLine(reply.code, reply.reason));
}

} // namespace

std::optional<RtspReply> parseLoggedReply(std::string_view line)
{
    constexpr std::string_view kPrefix = "method ";
    constexpr std::string_view kFailed = " failed: ";
    if (line.substr(0, kPrefix.size()) != kPrefix)
        return std::nullopt;
    const std::size_t failedAt = line.find(kFailed);
    if (failedAt == std::string_view::npos || failedAt == kPrefix.size())
        return std::nullopt;
    RtspReply reply;
    reply.method = std::string(line.substr(kPrefix.size(), failedAt - kPrefix.size()));
    std::string_view rest = line.substr(failedAt + kFailed.size());
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), reply.code);
    if (ec != std::errc() || reply.code < 100 || reply.code > 999)
        return std::nullopt;
    rest.remove_prefix(static_cast<std::size_t>(end - rest.data()));
    while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r' || rest.back() == ' '))
        rest.remove_suffix(1);
    while (!rest.empty() && rest.front() == ' ')
        rest.remove_prefix(1);
    reply.reason = std::string(rest);
    return reply;
}

RtspFailure classifyRtspFailure(int error, const std::optional<RtspReply>& reply, RtspTransport transport)
{
    if (reply)
        return fromReply(*reply, transport);
    const bool overTcp = transport == RtspTransport::Tcp;
    switch (error) {
    case AVERROR(EPROTONOSUPPORT): // libavformat's word for 461 to the SETUP
        if (overTcp)
            return RtspFailure { Status::ConnectionFailed, statusLine(461, "Unsupported Transport"), true };
        return failed(Status::HttpError, statusLine(461, "Unsupported Transport"));
    case AVERROR_HTTP_BAD_REQUEST:
        // Not logged, so not the DESCRIBE: the SETUP or the PLAY.
        if (overTcp)
            return RtspFailure { Status::ConnectionFailed, statusLine(400, "Bad Request"), true };
        return failed(Status::HttpError, statusLine(400, "Bad Request"));
    case AVERROR_HTTP_OTHER_4XX:
        if (overTcp)
            return RtspFailure { Status::ConnectionFailed, "RTSP 4xx", true };
        return failed(Status::HttpError, "RTSP 4xx");
    case AVERROR_HTTP_UNAUTHORIZED:
        return failed(Status::Unauthorized, statusLine(401, "Unauthorized"));
    case AVERROR_HTTP_FORBIDDEN:
        return failed(Status::Unauthorized, statusLine(403, "Forbidden"));
    case AVERROR_HTTP_NOT_FOUND:
        return failed(Status::HttpError, statusLine(404, "Not Found"));
    case AVERROR_HTTP_SERVER_ERROR:
        return failed(Status::HttpError, "RTSP 5xx");
    case AVERROR(ECONNREFUSED):
        return failed(Status::ConnectionFailed, "Connection refused");
    case AVERROR(ETIMEDOUT):
    case AVERROR_EXIT: // our interrupt: the network timeout passed
        return failed(Status::ConnectionFailed, "Timed out");
    case AVERROR_EOF:
        return failed(Status::ConnectionFailed, "The camera ended the session");
    case AVERROR(EHOSTUNREACH):
    case AVERROR(ENETUNREACH):
        return failed(Status::ConnectionFailed, "No route to the camera");
    case AVERROR(ECONNRESET):
    case AVERROR(EPIPE):
        return failed(Status::ConnectionFailed, "Connection lost");
    case AVERROR_INVALIDDATA:
        return failed(Status::ConnectionFailed, "Not an RTSP answer");
    default:
        return failed(Status::ConnectionFailed, "RTSP error " + std::to_string(error));
    }
}

} // namespace media
