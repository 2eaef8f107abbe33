// SPDX-License-Identifier: GPL-2.0-or-later
// Limits: a part over the cap is dropped and the stream goes on; whatever
// arrives, the parser holds no more than the cap and a little more.
#include "tests/media/mjpeg_parser/parser_feeding.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using media::MultipartParser;

constexpr std::size_t kMiB = 1024 * 1024;
// What the parser may hold besides a part of the largest allowed size.
constexpr std::size_t kOverhead = 512 * 1024;
const std::string kBoundary = "myboundary-0123456789";

std::string randomBytes(std::size_t n, std::uint32_t seed, bool withNewlines = true)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) {
        c = static_cast<char>(rng());
        if (!withNewlines && c == '\n')
            c = 'n';
    }
    return s;
}

std::string partText(const std::string& body, bool withLength)
{
    std::string s = "--" + kBoundary + "\r\nContent-Type: image/jpeg\r\n";
    if (withLength)
        s += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return s + "\r\n" + body + "\r\n";
}

// Feeds `bytes` in pieces, checking the held bytes after each one.
void feedBounded(MultipartParser& parser, std::string_view bytes, std::size_t piece, std::size_t bound,
    std::vector<media::MultipartPart>& parts)
{
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        parser.feed(
            bytes.substr(at, piece), [&parts](media::MultipartPart&& p) { parts.push_back(std::move(p)); });
        ASSERT_LE(parser.bufferedBytes(), bound) << "after " << at + piece << " bytes";
    }
}

// --- the cap, exactly

struct CapCase {
    const char* name;
    std::size_t bodySize;
    bool withLength;
    bool delivered;
};

class PartCap : public testing::TestWithParam<CapCase> { };

TEST_P(PartCap, OverTheCapDroppedAndTheNextPartDelivered)
{
    constexpr std::size_t cap = 1000;
    const CapCase& c = GetParam();
    const std::string big = parser_test::jpegLikeBody(c.bodySize, 3);
    const std::string next = parser_test::jpegLikeBody(200, 4);
    const std::string stream
        = partText(big, c.withLength) + partText(next, c.withLength) + "--" + kBoundary + "--\r\n";

    for (std::size_t piece : { stream.size(), std::size_t { 1 }, std::size_t { 97 } }) {
        MultipartParser parser(kBoundary, cap);
        std::vector<media::MultipartPart> parts;
        feedBounded(parser, stream, piece, cap + kOverhead, parts);
        std::vector<parser_test::Picture> expected;
        if (c.delivered)
            expected.push_back({ "image/jpeg", big });
        expected.push_back({ "image/jpeg", next });
        EXPECT_EQ(parser_test::pictures(parts), expected) << "pieces of " << piece;
        EXPECT_EQ(parser.partsDroppedOversize(), c.delivered ? 0u : 1u);
        EXPECT_EQ(parser.partsDelivered(), expected.size());
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PartCap,
    testing::Values(CapCase { "just_under", 999, false, true }, CapCase { "at_the_cap", 1000, false, true },
        CapCase { "one_over", 1001, false, false }, CapCase { "far_over", 50000, false, false },
        CapCase { "just_under_with_length", 999, true, true },
        CapCase { "at_the_cap_with_length", 1000, true, true },
        CapCase { "one_over_with_length", 1001, true, false },
        CapCase { "far_over_with_length", 50000, true, false }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PartCap, RealCapDeliversSixteenMebibytesAndDropsOneByteMore)
{
    const std::string atCap = parser_test::jpegLikeBody(MultipartParser::kMaxPartSize, 5);
    std::string overCap = atCap;
    overCap.insert(overCap.begin() + 2, 'x');
    const std::string small = parser_test::jpegLikeBody(5000, 6);

    for (bool withLength : { false, true }) {
        MultipartParser parser(kBoundary);
        std::vector<media::MultipartPart> parts;
        feedBounded(
            parser, partText(overCap, withLength), 16384, MultipartParser::kMaxPartSize + kOverhead, parts);
        feedBounded(
            parser, partText(atCap, withLength), 16384, MultipartParser::kMaxPartSize + kOverhead, parts);
        feedBounded(parser, partText(small, withLength) + "--" + kBoundary + "\r\n", 16384,
            MultipartParser::kMaxPartSize + kOverhead, parts);
        ASSERT_EQ(parts.size(), 2u) << (withLength ? "with" : "without") << " length";
        EXPECT_TRUE(parts[0].body == atCap);
        EXPECT_TRUE(parts[1].body == small);
        EXPECT_EQ(parser.partsDroppedOversize(), 1u);
    }
}

TEST(PartCap, BoundaryTextGluedToADroppedPartIsNotABoundary)
{
    const std::string stream = "--" + kBoundary + "\r\nContent-Type: image/jpeg\r\n\r\n"
        + std::string(300, 'a') + "--" + kBoundary + "\r\nContent-Type: text/plain\r\n\r\nFAKE\r\n"
        + std::string(10, 'b') + "\r\n--" + kBoundary + "\r\nContent-Type: image/jpeg\r\n\r\nREAL\r\n--"
        + kBoundary + "\r\n";
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        MultipartParser parser(kBoundary, 100);
        const auto parts = parser_test::feedPieces(parser, stream, { cut });
        ASSERT_EQ(parts.size(), 1u) << "split at " << cut;
        EXPECT_EQ(parts[0].body, "REAL") << "split at " << cut;
        EXPECT_EQ(parser.partsDroppedOversize(), 1u) << "split at " << cut;
    }
}

// --- streams that never end as they should

TEST(BoundedMemory, EndlessJunk)
{
    const std::string junk = randomBytes(40 * kMiB, 7);
    const std::string longLine = randomBytes(8 * kMiB, 8, false);
    for (const std::optional<std::string>& boundary :
        { std::optional<std::string>(kBoundary), std::optional<std::string>() }) {
        MultipartParser parser(boundary);
        std::vector<media::MultipartPart> parts;
        feedBounded(parser, junk, 65536, 4096, parts);
        feedBounded(parser, longLine, 65536, 4096, parts);
        EXPECT_TRUE(parts.empty());
        // and a real part after all that
        feedBounded(parser, "\n" + partText("\xff\xd8 picture \xff\xd9", true), 65536, 4096, parts);
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(parts[0].body, "\xff\xd8 picture \xff\xd9");
    }
}

TEST(BoundedMemory, EndlessPartWithoutBoundary)
{
    const std::string endless = randomBytes(40 * kMiB, 9);
    for (const std::string& headers : { std::string("Content-Type: image/jpeg\r\n\r\n"),
             std::string("Content-Type: image/jpeg\r\nContent-Length: 1000\r\n\r\n") }) {
        MultipartParser parser(kBoundary);
        std::vector<media::MultipartPart> parts;
        feedBounded(parser, "--" + kBoundary + "\r\n" + headers, 65536, 4096, parts);
        feedBounded(parser, endless, 65536, MultipartParser::kMaxPartSize + kOverhead, parts);
        EXPECT_EQ(parser.partsDroppedOversize(), 1u);
        EXPECT_LE(parser.bufferedBytes(), 4096u) << "only the boundary search's tail is held once dropped";
        feedBounded(parser, "\r\n" + partText("\xff\xd8 next \xff\xd9", false) + "--" + kBoundary + "\r\n", 7,
            MultipartParser::kMaxPartSize + kOverhead, parts);
        ASSERT_EQ(parts.size(), 1u);
        EXPECT_EQ(parts[0].body, "\xff\xd8 next \xff\xd9");
    }
}

TEST(BoundedMemory, EndlessPartInOneFeed)
{
    MultipartParser parser(kBoundary);
    std::size_t delivered = 0;
    parser.feed("--" + kBoundary + "\r\nContent-Type: image/jpeg\r\n\r\n" + randomBytes(40 * kMiB, 10),
        [&delivered](media::MultipartPart&&) { ++delivered; });
    EXPECT_LE(parser.bufferedBytes(), 4096u);
    EXPECT_EQ(parser.partsDroppedOversize(), 1u);
    EXPECT_EQ(delivered, 0u);
}

TEST(BoundedMemory, EndlessHeaderBlock)
{
    std::string headers;
    while (headers.size() < 2 * kMiB)
        headers += "X-Padding: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n";
    MultipartParser parser(kBoundary);
    std::vector<media::MultipartPart> parts;
    const std::size_t bound = MultipartParser::kMaxHeaderBlock + 4096;
    feedBounded(parser, "--" + kBoundary + "\r\n" + headers, 1000, bound, parts);
    EXPECT_EQ(parser.headerBlocksDropped(), 1u);
    feedBounded(parser, "--" + kBoundary + "\r\n" + std::string(4 * kMiB, 'h'), 1000, bound, parts);
    EXPECT_EQ(parser.headerBlocksDropped(), 2u);
    feedBounded(parser, "\r\n" + partText("\xff\xd8 ok \xff\xd9", true), 1000, bound, parts);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(parts[0].body, "\xff\xd8 ok \xff\xd9");
}

TEST(BoundedMemory, EndlessBlanksOrDashesAfterTheBody)
{
    for (char filler : { ' ', '-', '\r' }) {
        MultipartParser parser(kBoundary);
        std::vector<media::MultipartPart> parts;
        feedBounded(parser, partText("\xff\xd8 body \xff\xd9", true), 1000, 4096, parts);
        // no line end: the picture stays undecided until the filler proves the length wrong
        feedBounded(parser, "\r\n--" + kBoundary + "\r\nContent-Length: 4\r\n\r\nABCD", 1000, 4096, parts);
        feedBounded(
            parser, std::string(40 * kMiB, filler), 65536, MultipartParser::kMaxPartSize + kOverhead, parts);
        EXPECT_EQ(parts.size(), 1u) << "filler " << int(filler);
        EXPECT_EQ(parser.partsDroppedOversize(), 1u) << "filler " << int(filler);
    }
}

} // namespace
