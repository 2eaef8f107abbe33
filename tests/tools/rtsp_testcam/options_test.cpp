// SPDX-License-Identifier: GPL-2.0-or-later
// The command line: values that follow from others, and wrong values refused
// with the exit codes scripts rely on (1 a wrong value, 2 an unknown option).
#include "tools/rtsp-testcam/options.h"
#include "tools/rtsp-testcam/pipeline_launch.h"

#include <gmock/gmock.h>

using namespace rtsptestcam;
using testing::HasSubstr;

namespace {

ParseResult parse(std::vector<std::string> args)
{
    args.insert(args.begin(), "veskat-rtsp-testcam");
    return parseOptions(args);
}

TEST(Options, KeyFrameEverySecondAndBasicAuthUnlessSaidOtherwise)
{
    const ParseResult r = parse({ "--rate", "10", "--user", "u", "--password", "p" });
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->gop, 10);
    EXPECT_EQ(r.options->auth, AuthScheme::Basic);
    EXPECT_EQ(r.options->port, 0);
}

TEST(Options, CodecListGoesRoundTheCameras)
{
    const ParseResult r = parse({ "--cameras", "5", "--codec", "mjpeg,h264,h265" });
    ASSERT_TRUE(r.options);
    const Codec expected[] = { Codec::Mjpeg, Codec::H264, Codec::H265, Codec::Mjpeg, Codec::H264 };
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(cameraCodec(*r.options, i), expected[i]) << "camera " << i;
}

TEST(Options, HelpNamesTheSharedPipelineForBenchmarks)
{
    const ParseResult r = parse({ "--help" });
    EXPECT_FALSE(r.options);
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_THAT(r.message, HasSubstr("--shared"));
}

struct BadCase {
    std::vector<std::string> args;
    int exitCode;
    const char* says;
};

class BadCommandLine : public testing::TestWithParam<BadCase> { };

TEST_P(BadCommandLine, IsRefusedWithAReason)
{
    const ParseResult r = parse(GetParam().args);
    EXPECT_FALSE(r.options);
    EXPECT_EQ(r.exitCode, GetParam().exitCode);
    EXPECT_THAT(r.message, HasSubstr(GetParam().says));
}

INSTANTIATE_TEST_SUITE_P(Cases, BadCommandLine,
    testing::Values(BadCase { { "--frobnicate" }, 2, "unknown option --frobnicate" },
        BadCase { { "--codec", "vp8" }, 1, "--codec" }, BadCase { { "--codec", "h264," }, 1, "--codec" },
        BadCase { { "--size", "641x480" }, 1, "--size" }, BadCase { { "--port", "65536" }, 1, "--port" },
        BadCase { { "--auth", "digest" }, 1, "needs --user" },
        BadCase { { "--transports", "sctp" }, 1, "--transports" },
        BadCase { { "--udp-loss", "150" }, 1, "--udp-loss" },
        BadCase { { "--resize-to", "320x240" }, 1, "needs --resize-after" },
        BadCase { { "--codec", "mjpeg", "--size", "4096x2160" }, 1, "2040" },
        BadCase { { "--codec", "h264,mjpeg", "--size", "330x250" }, 1, "steps of 8" },
        BadCase { { "--seconds" }, 1, "needs a value" }));

} // namespace
