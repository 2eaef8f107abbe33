// SPDX-License-Identifier: GPL-2.0-or-later
// Long generated streams mixing every quirk: however the network cuts them,
// the parser yields the same pictures.
#include "tests/media/mjpeg_parser/parser_feeding.h"

#include <gtest/gtest.h>

namespace {

using parser_test::generateQuirkyStream;
using parser_test::pictures;

class GeneratedStreams : public testing::TestWithParam<std::uint32_t> { };

TEST_P(GeneratedStreams, WholeGivesEveryPicture)
{
    const auto g = generateQuirkyStream(GetParam(), 40, 3000);
    media::MultipartParser parser(g.boundary);
    EXPECT_EQ(pictures(parser_test::feedWhole(parser, g.bytes)), g.expected);
    EXPECT_EQ(parser.partsDelivered(), g.expected.size());
    EXPECT_EQ(parser.bufferedBytes(), 0u) << "the closing boundary ends the stream";
}

TEST_P(GeneratedStreams, RandomPiecesGiveTheSamePictures)
{
    const auto g = generateQuirkyStream(GetParam(), 40, 3000);
    for (std::size_t maxPiece : { 1u, 7u, 64u, 1500u, 16384u }) {
        media::MultipartParser parser(g.boundary);
        ASSERT_EQ(pictures(parser_test::feedRandomPieces(parser, g.bytes, GetParam() + maxPiece, maxPiece)),
            g.expected)
            << "pieces up to " << maxPiece;
    }
}

TEST_P(GeneratedStreams, DeclaredWithDashesOrLearnedFromTheStream)
{
    const auto g = generateQuirkyStream(GetParam(), 20, 2000);
    media::MultipartParser dashed("--" + g.boundary);
    EXPECT_EQ(pictures(parser_test::feedRandomPieces(dashed, g.bytes, GetParam(), 700)), g.expected);
}

INSTANTIATE_TEST_SUITE_P(Seeds, GeneratedStreams, testing::Range<std::uint32_t>(1, 25));

TEST(GeneratedStreams, BigPicturesInNetworkSizedPieces)
{
    const auto g = generateQuirkyStream(99, 12, 400000);
    media::MultipartParser whole(g.boundary);
    EXPECT_EQ(pictures(parser_test::feedWhole(whole, g.bytes)), g.expected);
    media::MultipartParser pieces(g.boundary);
    EXPECT_EQ(pictures(parser_test::feedRandomPieces(pieces, g.bytes, 5, 16384)), g.expected);
}

TEST(GeneratedStreams, ParserCarriesOnAcrossManyFeeds)
{
    // One parser over several streams glued together, as a long session.
    media::MultipartParser parser(std::string("cam-frame-7"));
    std::vector<parser_test::Picture> got;
    std::size_t expected = 0;
    for (int round = 0; round < 5; ++round) {
        const auto g = generateQuirkyStream(7, 10, 1000);
        const auto parts
            = parser_test::feedRandomPieces(parser, g.bytes, static_cast<std::uint32_t>(round), 300);
        EXPECT_EQ(pictures(parts), g.expected) << "round " << round;
        expected += g.expected.size();
    }
    EXPECT_EQ(parser.partsDelivered(), expected);
}

} // namespace
