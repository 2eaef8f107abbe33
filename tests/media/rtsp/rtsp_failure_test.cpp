// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/media_contract/dispatch.h"
#include "media/rtsp/rtsp_failure.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/error.h>
}

#include <cerrno>

namespace {

using media::RtspFailure;
using media::RtspReply;
using media::RtspTransport;
namespace Status = media::Status;

TEST(LoggedReply, StatusLinesAreRead)
{
    EXPECT_EQ(media::parseLoggedReply("method DESCRIBE failed: 454 Session Not Found\n"),
        (RtspReply { "DESCRIBE", 454, "Session Not Found" }));
    EXPECT_EQ(media::parseLoggedReply("method SETUP failed: 461"), (RtspReply { "SETUP", 461, "" }));
    EXPECT_FALSE(media::parseLoggedReply("method DESCRIBE failed: Unauthorized"));
    EXPECT_FALSE(media::parseLoggedReply("Connection to tcp://cam:554 failed: Connection refused"));
    EXPECT_FALSE(media::parseLoggedReply("method  failed: 404"));
}

struct FailureCase {
    int error;
    std::optional<RtspReply> reply;
    RtspTransport transport;
    RtspFailure expected;
};

class Failure : public testing::TestWithParam<FailureCase> { };

TEST_P(Failure, MapsToItsStatus)
{
    const FailureCase& c = GetParam();
    EXPECT_EQ(media::classifyRtspFailure(c.error, c.reply, c.transport), c.expected);
}

constexpr auto kTcp = RtspTransport::Tcp;
constexpr auto kUdp = RtspTransport::Udp;
const RtspReply kDescribe454 { "DESCRIBE", 454, "Session Not Found" };
const RtspReply kDescribe401 { "DESCRIBE", 401, "Unauthorized" };
const RtspReply kSetup406 { "SETUP", 406, "Not Acceptable" };

INSTANTIATE_TEST_SUITE_P(Table, Failure,
    testing::Values(
        // Refused, lost or timed out: retried.
        FailureCase {
            AVERROR(ECONNREFUSED), {}, kTcp, { Status::ConnectionFailed, "Connection refused", false } },
        FailureCase { AVERROR(ETIMEDOUT), {}, kTcp, { Status::ConnectionFailed, "Timed out", false } },
        FailureCase { AVERROR_EXIT, {}, kUdp, { Status::ConnectionFailed, "Timed out", false } },
        FailureCase {
            AVERROR_EOF, {}, kTcp, { Status::ConnectionFailed, "The camera ended the session", false } },
        FailureCase {
            AVERROR_INVALIDDATA, {}, kTcp, { Status::ConnectionFailed, "Not an RTSP answer", false } },
        // Credentials.
        FailureCase { AVERROR_HTTP_UNAUTHORIZED, kDescribe401, kTcp,
            { Status::Unauthorized, "RTSP 401 Unauthorized", false } },
        FailureCase {
            AVERROR_HTTP_FORBIDDEN, {}, kTcp, { Status::Unauthorized, "RTSP 403 Forbidden", false } },
        // Other answers, with the status line as logged.
        FailureCase { AVERROR_HTTP_OTHER_4XX, kDescribe454, kTcp,
            { Status::HttpError, "RTSP 454 Session Not Found", false } },
        FailureCase { AVERROR_HTTP_NOT_FOUND, {}, kTcp, { Status::HttpError, "RTSP 404 Not Found", false } },
        FailureCase { AVERROR_HTTP_SERVER_ERROR, {}, kTcp, { Status::HttpError, "RTSP 5xx", false } },
        // A refusal of TCP is tried again over UDP; over UDP it is final.
        FailureCase { AVERROR(EPROTONOSUPPORT), {}, kTcp,
            { Status::ConnectionFailed, "RTSP 461 Unsupported Transport", true } },
        FailureCase { AVERROR(EPROTONOSUPPORT), {}, kUdp,
            { Status::HttpError, "RTSP 461 Unsupported Transport", false } },
        FailureCase {
            AVERROR_HTTP_BAD_REQUEST, {}, kTcp, { Status::ConnectionFailed, "RTSP 400 Bad Request", true } },
        FailureCase { AVERROR_HTTP_OTHER_4XX, kSetup406, kTcp,
            { Status::ConnectionFailed, "RTSP 406 Not Acceptable", true } },
        FailureCase { AVERROR_HTTP_OTHER_4XX, kSetup406, kUdp,
            { Status::HttpError, "RTSP 406 Not Acceptable", false } }));

} // namespace
