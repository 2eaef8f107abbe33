// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/media/mjpeg_parser/parser_feeding.h"

#include <algorithm>
#include <random>

namespace parser_test {

void PrintTo(const Picture& picture, std::ostream* os)
{
    *os << "{\"" << picture.contentType << "\", " << picture.body.size() << " bytes \"";
    for (std::size_t i = 0; i < std::min<std::size_t>(picture.body.size(), 40); ++i) {
        const auto c = static_cast<unsigned char>(picture.body[i]);
        if (c >= 0x20 && c < 0x7f)
            *os << c;
        else
            *os << "\\x"
                << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    }
    *os << (picture.body.size() > 40 ? "...\"}" : "\"}");
}

std::vector<Picture> pictures(const std::vector<media::MultipartPart>& parts)
{
    std::vector<Picture> out;
    for (const auto& p : parts)
        out.push_back({ p.contentType, p.body });
    return out;
}

std::vector<media::MultipartPart> feedPieces(
    media::MultipartParser& parser, std::string_view stream, const std::vector<std::size_t>& cuts)
{
    std::vector<media::MultipartPart> parts;
    const auto collect = [&parts](media::MultipartPart&& p) { parts.push_back(std::move(p)); };
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        cut = std::clamp(cut, from, stream.size());
        parser.feed(stream.substr(from, cut - from), collect);
        from = cut;
    }
    parser.feed(stream.substr(from), collect);
    return parts;
}

std::vector<media::MultipartPart> feedWhole(media::MultipartParser& parser, std::string_view stream)
{
    return feedPieces(parser, stream, {});
}

std::vector<media::MultipartPart> feedByteByByte(media::MultipartParser& parser, std::string_view stream)
{
    std::vector<std::size_t> cuts;
    for (std::size_t i = 1; i < stream.size(); ++i)
        cuts.push_back(i);
    return feedPieces(parser, stream, cuts);
}

std::vector<media::MultipartPart> feedRandomPieces(
    media::MultipartParser& parser, std::string_view stream, std::uint32_t seed, std::size_t maxPiece)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> len(1, maxPiece);
    std::vector<std::size_t> cuts;
    for (std::size_t at = len(rng); at < stream.size(); at += len(rng))
        cuts.push_back(at);
    return feedPieces(parser, stream, cuts);
}

std::string jpegLikeBody(std::size_t size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string body(std::max<std::size_t>(size, 4), '\0');
    for (auto& c : body) {
        c = static_cast<char>(rng());
        // No dash after a line end: nothing in a body can look like a boundary line.
        if (&c != body.data() && *(&c - 1) == '\n' && c == '-')
            c = 'x';
    }
    body[0] = '\xff';
    body[1] = '\xd8';
    body[body.size() - 2] = '\xff';
    body[body.size() - 1] = '\xd9';
    return body;
}

namespace {

enum class Length { Honest, Missing, TooLong, TooShort };

} // namespace

GeneratedStream generateQuirkyStream(std::uint32_t seed, int parts, std::size_t maxBody)
{
    std::mt19937 rng(seed);
    const auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    GeneratedStream g;
    g.boundary = "cam-frame-" + std::to_string(seed);
    std::string& s = g.bytes;
    if (pick(2))
        s += "leftover bytes of a previous picture \xff\xd9\r\n\r\n";

    bool previousEndedByLength = true;
    for (int i = 0; i < parts; ++i) {
        const std::string eol = pick(3) == 0 ? "\n" : "\r\n";
        const std::string dashes[] = { "--", "", "----" };
        const std::string boundaryLine = dashes[pick(3)] + g.boundary + (pick(4) == 0 ? "  " : "") + eol;

        if (previousEndedByLength) {
            // Only where a part ended by its length can junk sit before a
            // boundary; after a part ended by its boundary it would be body.
            switch (pick(4)) {
            case 0:
                s += eol + eol;
                break;
            case 1:
                s += "some junk the camera sent" + eol;
                break;
            default:
                break;
            }
        }
        s += boundaryLine;
        if (pick(5) == 0)
            s += boundaryLine; // repeated boundary line
        if (pick(6) == 0)
            s += eol; // blank line before the headers

        const std::string body = jpegLikeBody(50 + rng() % maxBody, seed * 7919u + static_cast<unsigned>(i));
        const bool octet = pick(4) == 0;
        const std::string type = octet ? "application/octet-stream" : "image/jpeg";
        const std::string typeLine = octet
            ? "Content-Type: application/octet-stream"
            : (pick(2) ? "Content-Type: Image/JPEG; Quality=80" : "content-type:image/jpeg");
        const std::string expectedType
            = octet ? type : (typeLine[0] == 'C' ? "image/jpeg; quality=80" : "image/jpeg");

        Length length = static_cast<Length>(pick(4));
        std::size_t announced = body.size();
        if (length == Length::TooLong)
            announced = body.size() + eol.size() + 1 + rng() % 4000;
        if (length == Length::TooShort) {
            // Cut where the next byte cannot pass for a line end or a boundary.
            announced = 0;
            for (std::size_t at = body.size() / 2; at + 2 < body.size(); ++at) {
                const unsigned char next = static_cast<unsigned char>(body[at]);
                if (next >= 0x80) {
                    announced = at;
                    break;
                }
            }
        }
        s += typeLine + eol;
        if (length != Length::Missing)
            s += "Content-Length: " + std::to_string(announced) + eol;
        s += "X-Send-Time-Us: " + std::to_string(1000000 + i) + eol + eol;
        s += body;
        s += eol;
        g.expected.push_back({ expectedType, body });
        previousEndedByLength = length == Length::Honest;
    }
    s += "--" + g.boundary + "--\r\n";
    return g;
}

} // namespace parser_test
