// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Feeding helpers for the multipart parser tests: the same stream cut into
// pieces in different ways, and a generator of quirky camera streams.
#include "media/mjpeg_parser/multipart_parser.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace parser_test {

// What a test compares: the part's type and body.
struct Picture {
    std::string contentType;
    std::string body;
    bool operator==(const Picture&) const = default;
};

// Readable failure output: the type, the size and the first bytes escaped.
void PrintTo(const Picture& picture, std::ostream* os);

std::vector<Picture> pictures(const std::vector<media::MultipartPart>& parts);

std::vector<media::MultipartPart> feedWhole(media::MultipartParser& parser, std::string_view stream);
std::vector<media::MultipartPart> feedPieces(
    media::MultipartParser& parser, std::string_view stream, const std::vector<std::size_t>& cuts);
std::vector<media::MultipartPart> feedByteByByte(media::MultipartParser& parser, std::string_view stream);
// Pieces of random length 1..maxPiece, from a fixed seed.
std::vector<media::MultipartPart> feedRandomPieces(
    media::MultipartParser& parser, std::string_view stream, std::uint32_t seed, std::size_t maxPiece);

// A JPEG-like body: SOI, random bytes with no line that could be a boundary, EOI.
std::string jpegLikeBody(std::size_t size, std::uint32_t seed);

struct GeneratedStream {
    std::string boundary;
    std::string bytes;
    std::vector<Picture> expected;
};

// A stream mixing every framing quirk the parser accepts, with the pictures
// it must yield.
GeneratedStream generateQuirkyStream(std::uint32_t seed, int parts, std::size_t maxBody);

} // namespace parser_test
