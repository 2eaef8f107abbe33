// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg_parser/multipart_parser.h"

#include <gtest/gtest.h>

namespace {

struct BoundaryCase {
    const char* name;
    const char* contentType;
    std::optional<std::string> boundary;
};

class BoundaryFromContentType : public testing::TestWithParam<BoundaryCase> { };

TEST_P(BoundaryFromContentType, ExtractsTheBoundary)
{
    EXPECT_EQ(media::boundaryFromContentType(GetParam().contentType), GetParam().boundary);
}

const BoundaryCase kBoundaryCases[] = {
    { "plain", "multipart/x-mixed-replace; boundary=myboundary", "myboundary" },
    { "no_space", "multipart/x-mixed-replace;boundary=myboundary", "myboundary" },
    { "declared_with_dashes", "multipart/x-mixed-replace; boundary=--myboundary", "myboundary" },
    { "many_dashes", "multipart/mixed; boundary=------=_Part_17", "=_Part_17" },
    { "quoted", "multipart/x-mixed-replace; boundary=\"frame\"", "frame" },
    { "quoted_with_dashes", "multipart/x-mixed-replace; boundary=\"--frame\"", "frame" },
    { "quoted_with_semicolon", "multipart/mixed; boundary=\"a;b\"; charset=x", "a;b" },
    { "quoted_with_escape", "multipart/mixed; boundary=\"a\\\"b\"", "a\"b" },
    { "unterminated_quote", "multipart/mixed; boundary=\"abc", "abc" },
    { "mixed_outer_type", "multipart/mixed; boundary=ffmpeg", "ffmpeg" },
    { "upper_case", "Multipart/X-Mixed-Replace; BOUNDARY=Frame", "Frame" },
    { "spaces_around_equals", "multipart/x-mixed-replace ; boundary = frame ", "frame" },
    { "after_other_parameter", "multipart/x-mixed-replace; charset=utf-8; boundary=frame", "frame" },
    { "before_other_parameter", "multipart/x-mixed-replace; boundary=frame; charset=utf-8", "frame" },
    { "parameter_without_value", "multipart/x-mixed-replace; foo; boundary=frame", "frame" },
    { "similar_parameter_name", "multipart/x-mixed-replace; xboundary=no; boundary=yes", "yes" },
    { "no_boundary", "multipart/x-mixed-replace", std::nullopt },
    { "no_boundary_with_parameters", "multipart/x-mixed-replace; charset=utf-8", std::nullopt },
    { "empty_boundary", "multipart/x-mixed-replace; boundary=", std::nullopt },
    { "only_dashes", "multipart/x-mixed-replace; boundary=--", std::nullopt },
    { "empty_quoted", "multipart/x-mixed-replace; boundary=\"\"", std::nullopt },
    { "not_multipart", "image/jpeg; boundary=frame", std::nullopt },
    { "html", "text/html", std::nullopt },
    { "bare_multipart", "multipart/", std::nullopt },
    { "empty", "", std::nullopt },
};

INSTANTIATE_TEST_SUITE_P(Cases, BoundaryFromContentType, testing::ValuesIn(kBoundaryCases),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
