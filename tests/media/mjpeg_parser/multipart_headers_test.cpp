// SPDX-License-Identifier: GPL-2.0-or-later
// The headers of each part reach the consumer: the test camera's send time
// among them, for latency figures.
#include "tests/media/mjpeg_parser/parser_feeding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using Header = std::pair<std::string, std::string>;
using testing::ElementsAre;

std::vector<media::MultipartPart> parse(const std::string& stream)
{
    media::MultipartParser parser(std::string("frame"));
    return parser_test::feedWhole(parser, stream);
}

TEST(MultipartHeaders, NamesLowerCasedValuesTrimmedAllKept)
{
    const auto parts = parse("--frame\r\n"
                             "Content-Type:  image/jpeg \r\n"
                             "CONTENT-LENGTH: 4\r\n"
                             "X-Send-Time-Us:\t1712345678901234 \r\n"
                             "X-Empty:\r\n"
                             "X-Odd-Case: Keeps Its Case\r\n"
                             "\r\n"
                             "\xff\xd8\xff\xd9\r\n");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_THAT(parts[0].headers,
        ElementsAre(Header { "content-type", "image/jpeg" }, Header { "content-length", "4" },
            Header { "x-send-time-us", "1712345678901234" }, Header { "x-empty", "" },
            Header { "x-odd-case", "Keeps Its Case" }));
}

TEST(MultipartHeaders, FoldedLinesJoinTheirHeader)
{
    const auto parts
        = parse("--frame\r\nContent-Type: image/jpeg;\r\n\tquality=80\r\nX-A: 1\r\n\r\n\xff\xd8\xff\xd9\r\n"
                "--frame\r\n");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].contentType, "image/jpeg; quality=80");
    EXPECT_THAT(parts[0].headers,
        ElementsAre(Header { "content-type", "image/jpeg; quality=80" }, Header { "x-a", "1" }));
}

TEST(MultipartHeaders, MalformedLinesAreIgnored)
{
    const auto parts = parse("--frame\r\nContent-Type: image/jpeg\r\nno colon here\r\n: no name\r\n"
                             "bad name: x\r\nX-Ok: yes\r\n\r\n\xff\xd8\xff\xd9\r\n--frame\r\n");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_THAT(
        parts[0].headers, ElementsAre(Header { "content-type", "image/jpeg" }, Header { "x-ok", "yes" }));
}

TEST(MultipartHeaders, FirstContentTypeAndLengthCount)
{
    const auto parts = parse("--frame\r\nContent-Type: image/jpeg\r\nContent-Type: text/plain\r\n"
                             "Content-Length: 4\r\nContent-Length: 2\r\n\r\n\xff\xd8\xff\xd9\r\n");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].contentType, "image/jpeg");
    EXPECT_EQ(parts[0].body, "\xff\xd8\xff\xd9");
}

TEST(MultipartHeaders, RepeatedBoundaryForgetsEarlierHeaders)
{
    const auto parts
        = parse("--frame\r\nX-Stale: 1\r\n--frame\r\nContent-Type: image/jpeg\r\n\r\n\xff\xd8\xff\xd9\r\n"
                "--frame\r\n");
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_THAT(parts[0].headers, ElementsAre(Header { "content-type", "image/jpeg" }));
}

TEST(MultipartHeaders, EachPartHasItsOwnHeaders)
{
    const auto parts = parse("--frame\r\nX-Send-Time-Us: 1\r\nContent-Length: 2\r\n\r\nAA\r\n"
                             "--frame\r\nX-Send-Time-Us: 2\r\n\r\nBB\r\n--frame\r\n");
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_THAT(
        parts[0].headers, ElementsAre(Header { "x-send-time-us", "1" }, Header { "content-length", "2" }));
    EXPECT_THAT(parts[1].headers, ElementsAre(Header { "x-send-time-us", "2" }));
    EXPECT_EQ(parts[0].contentType, "");
}

} // namespace
