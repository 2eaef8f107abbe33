// SPDX-License-Identifier: GPL-2.0-or-later
// What real cameras send, case by case: each stream is fed whole, split at
// every byte position and byte by byte, and must yield the same pictures.
#include "tests/media/mjpeg_parser/parser_feeding.h"

#include <gtest/gtest.h>

namespace {

using parser_test::Picture;

const std::string kJpegA = std::string("\xff\xd8\xff\xe0") + "JFIF-A\r\n--notaboundary\r\nxx" + "\xff\xd9";
const std::string kJpegB = std::string("\xff\xd8") + "second\npicture\r\n\r\n--myboundaryX\r\n" + "\xff\xd9";
// Boundary text that is not a boundary line: inside a line, or with more after it.
const std::string kJpegC = std::string("\xff\xd8\xff\xdb")
    + "text --myboundary inside\r\nx--myboundary\r\nmyboundary-x\n-myboundary \tz\n" + "\xff\xd9";

std::string part(const std::string& boundaryLine, const std::string& headers, const std::string& body,
    const std::string& eol = "\r\n")
{
    return boundaryLine + eol + headers + eol + body + eol;
}

std::string jpegHeaders(const std::string& body, const std::string& eol = "\r\n")
{
    return "Content-Type: image/jpeg" + eol + "Content-Length: " + std::to_string(body.size()) + eol;
}

// A picture holding a part of another boundary: once the declared one is
// seen, it must not take over.
const std::string kLookalike
    = std::string("\xff\xd8 head\r\n--BoundaryString\r\nContent-Type: image/jpeg\r\n\r\n")
    + "\xff\xd8 inner\r\n--BoundaryString\r\n" + "\xff\xd9";

const Picture kL { "image/jpeg", kLookalike };
const Picture kA { "image/jpeg", kJpegA };
const Picture kB { "image/jpeg", kJpegB };
const Picture kC { "image/jpeg", kJpegC };

struct QuirkCase {
    const char* name;
    const char* contentType; // the response's header, the boundary comes from it
    std::string stream;
    std::vector<Picture> pictures;
};

void PrintTo(const QuirkCase& c, std::ostream* os)
{
    *os << c.name;
}

std::vector<QuirkCase> quirkCases()
{
    const std::string ct = "Content-Type: image/jpeg\r\n";
    return {
        { "axis_style", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", jpegHeaders(kJpegA), kJpegA)
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB)
                + part("--myboundary", jpegHeaders(kJpegC), kJpegC),
            { kA, kB, kC } },
        { "declared_with_dashes", "multipart/x-mixed-replace; boundary=--myboundary",
            part("--myboundary", jpegHeaders(kJpegA), kJpegA)
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "stream_lines_without_dashes", "multipart/x-mixed-replace; boundary=myboundary",
            part("myboundary", jpegHeaders(kJpegA), kJpegA) + part("myboundary", ct, kJpegB)
                + part("myboundary", ct, kJpegC) + "myboundary\r\n",
            { kA, kB, kC } },
        { "stream_lines_with_extra_dashes", "multipart/x-mixed-replace; boundary=--myboundary",
            part("----myboundary", ct, kJpegA) + part("----myboundary", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "quoted_boundary", "multipart/x-mixed-replace; boundary=\"myboundary\"",
            part("--myboundary", ct, kJpegA) + part("--myboundary", ct, kJpegB) + "--myboundary\r\n",
            { kA, kB } },
        { "mixed_outer_type_no_lengths", "multipart/mixed; boundary=myboundary",
            part("--myboundary", ct, kJpegA) + part("--myboundary", ct, kJpegB) + "--myboundary--\r\n",
            { kA, kB } },
        { "no_boundary_declared", "multipart/x-mixed-replace",
            part("--ffmpeg",
                "Content-type: image/jpeg\r\nContent-length: " + std::to_string(kJpegA.size()) + "\r\n",
                kJpegA)
                + part("--ffmpeg", "Content-type: image/jpeg\r\n", kJpegB) + "--ffmpeg\r\n",
            { kA, { "image/jpeg", kJpegB } } },
        { "no_boundary_declared_dash_lines_between_parts", "multipart/x-mixed-replace",
            part("--ffmpeg", jpegHeaders(kJpegA), kJpegA) + part("----", ct, kJpegC)
                + part("--ffmpeg", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "no_boundary_declared_preamble", "multipart/x-mixed-replace",
            "\xff\xd8 tail of something\r\n-- \r\n----\r\n" + part("--myboundary", ct, kJpegA)
                + part("--myboundary", ct, kJpegB) + "--myboundary\r\n",
            { kA, kB } },
        { "preamble_junk", "multipart/x-mixed-replace; boundary=myboundary",
            std::string("HTTP/1.0 200 OK\r\nServer: cam\r\n\r\n\xff\xd8\x01\x02 half a picture\xff\xd9\r\n")
                + part("--myboundary", jpegHeaders(kJpegA), kJpegA) + part("--myboundary", ct, kJpegB)
                + "--myboundary\r\n",
            { kA, kB } },
        { "lf_only_with_lengths", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", jpegHeaders(kJpegA, "\n"), kJpegA, "\n")
                + part("--myboundary", jpegHeaders(kJpegB, "\n"), kJpegB, "\n"),
            { kA, kB } },
        { "lf_only_without_lengths", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", "Content-Type: image/jpeg\n", kJpegA, "\n")
                + part("--myboundary", "Content-Type: image/jpeg\n", kJpegB, "\n") + "--myboundary--\n",
            { kA, kB } },
        { "length_too_long", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary",
                "Content-Type: image/jpeg\r\nContent-Length: " + std::to_string(kJpegA.size() + 40) + "\r\n",
                kJpegA)
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "length_too_short", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", "Content-Type: image/jpeg\r\nContent-Length: 3\r\n", kJpegA)
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "length_zero", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", "Content-Type: image/jpeg\r\nContent-Length: 0\r\n", kJpegA)
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "length_not_a_number", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", "Content-Type: image/jpeg\r\nContent-Length: 12abc\r\n", kJpegA)
                + part("--myboundary", "Content-Type: image/jpeg\r\nContent-Length: -5\r\n", kJpegB)
                + part("--myboundary", ct, kJpegC) + "--myboundary\r\n",
            { kA, kB, kC } },
        { "length_over_the_cap", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", "Content-Type: image/jpeg\r\nContent-Length: 99999999999999999999\r\n",
                kJpegA)
                + part("--myboundary", ct, kJpegB) + "--myboundary\r\n",
            { kA, kB } },
        { "length_then_junk_on_the_same_line", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", jpegHeaders(kJpegA), kJpegA + "TRAILER") + part("--myboundary", ct, kJpegB)
                + "--myboundary\r\n",
            { { "image/jpeg", kJpegA + "TRAILER" }, kB } },
        { "boundary_right_after_the_length", "multipart/x-mixed-replace; boundary=myboundary",
            "--myboundary\r\n" + jpegHeaders(kJpegA) + "\r\n" + kJpegA + "--myboundary\r\n"
                + jpegHeaders(kJpegB) + "\r\n" + kJpegB + "\r\n",
            { kA, kB } },
        { "blank_lines_between_parts", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", jpegHeaders(kJpegA), kJpegA) + "\r\n\r\n\n\r\n"
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "repeated_boundary_lines", "multipart/x-mixed-replace; boundary=myboundary",
            "--myboundary\r\n--myboundary\r\n" + part("--myboundary", jpegHeaders(kJpegA), kJpegA)
                + "--myboundary\r\n" + part("--myboundary", ct, kJpegB) + "--myboundary\r\n",
            { kA, kB } },
        { "junk_between_parts", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", jpegHeaders(kJpegA), kJpegA) + "garbage the camera left\r\n\xff\xfe\x01\r\n"
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "junk_line_before_headers", "multipart/x-mixed-replace; boundary=myboundary",
            "--myboundary\r\nnot a header\r\n" + jpegHeaders(kJpegA) + "\r\n" + kJpegA + "\r\n", { kA } },
        { "blank_line_before_headers", "multipart/x-mixed-replace; boundary=myboundary",
            "--myboundary\r\n\r\n" + jpegHeaders(kJpegA) + "\r\n" + kJpegA + "\r\n"
                + part("--myboundary", ct, kJpegB) + "--myboundary\r\n",
            { kA, kB } },
        { "part_without_headers", "multipart/x-mixed-replace; boundary=myboundary",
            "--myboundary\r\n\r\n" + kJpegA + "\r\n--myboundary\r\n" + kJpegB + "\r\n--myboundary--\r\n",
            { { "", kJpegA }, { "", kJpegB } } },
        { "no_blank_line_after_headers", "multipart/x-mixed-replace; boundary=myboundary",
            "--myboundary\r\n" + jpegHeaders(kJpegA) + kJpegA + "\r\n" + part("--myboundary", ct, kJpegB)
                + "--myboundary\r\n",
            { kA, kB } },
        { "blanks_after_boundary", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary \t", ct, kJpegA) + part("--myboundary  ", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "closing_boundary_then_epilogue", "multipart/mixed; boundary=myboundary",
            part("--myboundary", ct, kJpegA) + "--myboundary--\r\nepilogue text\r\n\xff\xd8 not a part\r\n",
            { kA } },
        { "closing_boundary_without_line_end", "multipart/mixed; boundary=myboundary",
            part("--myboundary", ct, kJpegA) + "--myboundary--", { kA } },
        { "parts_after_closing_boundary", "multipart/mixed; boundary=myboundary",
            part("--myboundary", ct, kJpegA) + "--myboundary--\r\n" + part("--myboundary", ct, kJpegB)
                + "--myboundary\r\n",
            { kA, kB } },
        { "type_with_parameters", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", "Content-Type: Image/JPEG; Charset=Binary\r\n", kJpegA) + "--myboundary\r\n",
            { { "image/jpeg; charset=binary", kJpegA } } },
        { "octet_stream", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", "content-type:   application/octet-stream   \r\n", kJpegA)
                + "--myboundary\r\n",
            { { "application/octet-stream", kJpegA } } },
        { "empty_part_skipped", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", "Content-Type: image/jpeg\r\nContent-Length: 0\r\n", "")
                + part("--myboundary", ct, "") + part("--myboundary", ct, kJpegA) + "--myboundary\r\n",
            { kA } },
        { "mixed_line_ends", "multipart/x-mixed-replace; boundary=myboundary",
            "--myboundary\nContent-Type: image/jpeg\r\n\n" + kJpegA
                + "\r\n--myboundary\r\nContent-Type: image/jpeg\n\r\n" + kJpegB + "\n--myboundary--",
            { kA, kB } },
        { "body_ending_in_line_breaks", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", ct, kJpegA + "\r\n\r\n") + part("--myboundary", ct, kJpegB)
                + "--myboundary\r\n",
            { { "image/jpeg", kJpegA + "\r\n\r\n" }, kB } },
        // Declared one boundary, framed with another: learned from the stream.
        { "declared_boundary_unused_with_lengths", "multipart/x-mixed-replace; boundary=myboundary",
            part("--BoundaryString", jpegHeaders(kJpegA), kJpegA)
                + part("--BoundaryString", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "declared_boundary_unused_without_lengths", "multipart/x-mixed-replace; boundary=myboundary",
            "junk\r\n--other\r\nX-Not-A-Part: 1\r\n\r\ntext\r\n" + part("--BoundaryString", ct, kJpegA)
                + part("--BoundaryString", ct, kJpegB) + "--BoundaryString\r\n",
            { kA, kB } },
        { "declared_boundary_unused_no_picture_follows", "multipart/x-mixed-replace; boundary=myboundary",
            part("--BoundaryString", ct, "text, not a picture") + part("--other", "", kJpegA)
                + "--BoundaryString\r\n",
            {} },
        { "declared_boundary_seen_lookalike_in_body", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", ct, kLookalike) + part("--myboundary", jpegHeaders(kLookalike), kLookalike)
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB),
            { kL, kL, kB } },
        { "declared_boundary_seen_lookalike_between_parts", "multipart/x-mixed-replace; boundary=myboundary",
            part("--myboundary", jpegHeaders(kJpegA), kJpegA) + kLookalike + "\r\n"
                + part("--myboundary", jpegHeaders(kJpegB), kJpegB),
            { kA, kB } },
        { "declared_boundary_after_a_learned_part", "multipart/x-mixed-replace; boundary=myboundary",
            part("--BoundaryString", ct, kJpegC) + part("--myboundary", jpegHeaders(kJpegA), kJpegA)
                + part("--BoundaryString", jpegHeaders(kJpegC), kJpegC) + part("--myboundary", ct, kJpegB)
                + "--myboundary\r\n",
            { kC, kA, kB } },
    };
}

class MultipartQuirks : public testing::TestWithParam<QuirkCase> {
protected:
    media::MultipartParser makeParser() const
    {
        return media::MultipartParser(media::boundaryFromContentType(GetParam().contentType));
    }
};

TEST_P(MultipartQuirks, FedWhole)
{
    media::MultipartParser parser = makeParser();
    EXPECT_EQ(parser_test::pictures(parser_test::feedWhole(parser, GetParam().stream)), GetParam().pictures);
    EXPECT_EQ(parser.partsDelivered(), GetParam().pictures.size());
    EXPECT_EQ(parser.partsDroppedOversize(), 0u);
}

TEST_P(MultipartQuirks, FedSplitAtEveryPosition)
{
    const std::string& stream = GetParam().stream;
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        media::MultipartParser parser = makeParser();
        ASSERT_EQ(
            parser_test::pictures(parser_test::feedPieces(parser, stream, { cut })), GetParam().pictures)
            << "split at " << cut;
    }
}

TEST_P(MultipartQuirks, FedSplitTwiceAroundEveryPosition)
{
    const std::string& stream = GetParam().stream;
    for (std::size_t cut = 0; cut + 3 <= stream.size(); ++cut) {
        media::MultipartParser parser = makeParser();
        ASSERT_EQ(parser_test::pictures(parser_test::feedPieces(parser, stream, { cut, cut + 3 })),
            GetParam().pictures)
            << "split at " << cut << " and " << cut + 3;
    }
}

TEST_P(MultipartQuirks, FedByteByByte)
{
    media::MultipartParser parser = makeParser();
    EXPECT_EQ(
        parser_test::pictures(parser_test::feedByteByByte(parser, GetParam().stream)), GetParam().pictures);
}

INSTANTIATE_TEST_SUITE_P(Cameras, MultipartQuirks, testing::ValuesIn(quirkCases()),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
