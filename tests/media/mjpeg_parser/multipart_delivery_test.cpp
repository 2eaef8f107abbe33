// SPDX-License-Identifier: GPL-2.0-or-later
// When a picture is handed out: as soon as its announced length and a line
// end have arrived, not only when the next picture's boundary comes. Cameras
// send the boundary just before each picture, so waiting for it would add a
// whole picture interval of latency.
#include "tests/media/mjpeg_parser/parser_feeding.h"

#include <gtest/gtest.h>

namespace {

const std::string kBody = "\xff\xd8 picture \xff\xd9";
const std::string kHead = "--frame\r\nContent-Type: image/jpeg\r\nContent-Length: "
    + std::to_string(kBody.size()) + "\r\nX-Send-Time-Us: 1\r\n\r\n";

struct DeliveryCase {
    const char* name;
    std::string first; // fed first
    bool deliveredAtFirst; // the picture is out after it
    std::string second; // what the camera sends next
};

class Delivery : public testing::TestWithParam<DeliveryCase> { };

TEST_P(Delivery, PictureOutAsSoonAsItsEndIsCertain)
{
    media::MultipartParser parser(std::string("frame"));
    std::vector<media::MultipartPart> parts;
    const auto collect = [&parts](media::MultipartPart&& p) { parts.push_back(std::move(p)); };
    parser.feed(GetParam().first, collect);
    EXPECT_EQ(parts.size(), GetParam().deliveredAtFirst ? 1u : 0u);
    parser.feed(GetParam().second, collect);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].body, kBody);
}

INSTANTIATE_TEST_SUITE_P(Cases, Delivery,
    testing::Values(DeliveryCase { "crlf_after_body", kHead + kBody + "\r\n", true, "--frame\r\n" },
        DeliveryCase { "lf_after_body", kHead + kBody + "\n", true, "--frame\r\n" },
        DeliveryCase { "boundary_glued_to_body", kHead + kBody + "--frame\r\n", true, "" },
        DeliveryCase { "body_without_line_end_yet", kHead + kBody, false, "\r\n" },
        DeliveryCase { "cr_without_lf_yet", kHead + kBody + "\r", false, "\n" },
        DeliveryCase { "part_of_a_glued_boundary", kHead + kBody + "--fra", false, "me\r\n" },
        DeliveryCase { "no_length_waits_for_boundary",
            "--frame\r\nContent-Type: image/jpeg\r\n\r\n" + kBody + "\r\n", false, "--frame\r\n" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Delivery, NothingHeldOnceAPictureWithLengthIsOut)
{
    media::MultipartParser parser(std::string("frame"));
    int count = 0;
    for (int i = 0; i < 3; ++i) {
        parser.feed(kHead + kBody + "\r\n", [&count](media::MultipartPart&&) { ++count; });
        EXPECT_EQ(count, i + 1);
        EXPECT_EQ(parser.bufferedBytes(), 0u);
    }
}

} // namespace
