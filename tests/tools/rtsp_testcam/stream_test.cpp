// SPDX-License-Identifier: GPL-2.0-or-later
// What a client sees of a healthy camera: each codec plays over TCP and UDP
// with its name and size, several cameras per process, credentials, and the
// transport a camera refuses.
#include "tests/support/rtsp_testcam_process.h"
#include "tests/tools/rtsp_testcam/ffprobe.h"

#include <gmock/gmock.h>

using rtsptestcam_test::ffprobe;
using rtsptestcam_test::streamSummary;
using testing::HasSubstr;
using veskat_test::RtspTestcamProcess;

namespace {

const QString kStreamEntries = QStringLiteral("stream=codec_name,width,height");

struct PlayCase {
    const char* codecs;
    const char* size;
    const char* transport;
    int camera;
    const char* expected;
};

class Plays : public testing::TestWithParam<PlayCase> { };

TEST_P(Plays, WithTheCodecNameAndSize)
{
    const PlayCase& c = GetParam();
    RtspTestcamProcess cam({ "--cameras", "3", "--codec", c.codecs, "--size", c.size, "--rate", "10" }, 60);
    ASSERT_TRUE(cam.started()) << cam.banner().toStdString() << cam.errorOutput().toStdString();
    const auto probe = ffprobe(cam.url(c.camera), c.transport, kStreamEntries);
    EXPECT_EQ(probe.exitCode, 0) << probe.errors.toStdString();
    EXPECT_EQ(streamSummary(probe), c.expected);
}

// The codec list goes round the cameras: with three codecs camera 2 is h265,
// with one codec every camera has it.
INSTANTIATE_TEST_SUITE_P(EachCodecAndTransport, Plays,
    testing::Values(PlayCase { "mjpeg,h264,h265", "320x240", "tcp", 0, "mjpeg,320,240" },
        PlayCase { "mjpeg,h264,h265", "320x240", "udp", 0, "mjpeg,320,240" },
        PlayCase { "mjpeg,h264,h265", "320x240", "tcp", 1, "h264,320,240" },
        PlayCase { "mjpeg,h264,h265", "320x240", "udp", 1, "h264,320,240" },
        PlayCase { "mjpeg,h264,h265", "320x240", "tcp", 2, "hevc,320,240" },
        PlayCase { "mjpeg,h264,h265", "320x240", "udp", 2, "hevc,320,240" },
        PlayCase { "h265", "640x360", "tcp", 2, "hevc,640,360" },
        PlayCase { "mjpeg,h264", "176x144", "tcp", 2, "mjpeg,176,144" }));

struct AuthCase {
    const char* scheme;
    const char* userInfo; // "" for none
    bool plays;
};

class Credentials : public testing::TestWithParam<AuthCase> { };

TEST_P(Credentials, AreDemandedAndChecked)
{
    const AuthCase& c = GetParam();
    RtspTestcamProcess cam(
        { "--size", "160x120", "--user", "op", "--password", "s3cret", "--auth", c.scheme }, 60);
    ASSERT_TRUE(cam.started());
    const auto probe = ffprobe(cam.url(0, c.userInfo), "tcp", kStreamEntries);
    if (c.plays) {
        EXPECT_EQ(streamSummary(probe), "h264,160,120") << probe.errors.toStdString();
    } else {
        EXPECT_NE(probe.exitCode, 0);
        EXPECT_THAT(probe.errors.toStdString(), HasSubstr("401"));
    }
}

INSTANTIATE_TEST_SUITE_P(BasicAndDigest, Credentials,
    testing::Values(AuthCase { "basic", "", false }, AuthCase { "basic", "op:wrong", false },
        AuthCase { "basic", "op:s3cret", true }, AuthCase { "digest", "", false },
        AuthCase { "digest", "op:wrong", false }, AuthCase { "digest", "op:s3cret", true }));

struct TransportCase {
    const char* offered;
    const char* asked;
    bool plays;
};

class OneTransport : public testing::TestWithParam<TransportCase> { };

TEST_P(OneTransport, RefusesTheOtherWith461)
{
    const TransportCase& c = GetParam();
    RtspTestcamProcess cam({ "--size", "160x120", "--transports", c.offered }, 60);
    ASSERT_TRUE(cam.started());
    const auto probe = ffprobe(cam.url(), c.asked, kStreamEntries);
    if (c.plays) {
        EXPECT_EQ(streamSummary(probe), "h264,160,120") << probe.errors.toStdString();
    } else {
        EXPECT_NE(probe.exitCode, 0);
        EXPECT_THAT(probe.errors.toStdString(), HasSubstr("461 Unsupported transport"));
    }
}

INSTANTIATE_TEST_SUITE_P(TcpOrUdp, OneTransport,
    testing::Values(TransportCase { "tcp", "tcp", true }, TransportCase { "tcp", "udp", false },
        TransportCase { "udp", "udp", true }, TransportCase { "udp", "tcp", false }));

} // namespace
