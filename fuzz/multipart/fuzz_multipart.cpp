// SPDX-License-Identifier: GPL-2.0-or-later
// Fuzzes the multipart parser with any bytes. Input layout:
//   byte 0      options: bit 0 declare the boundary, bits 1-3 the part cap
//   byte 1      seed of the piece sizes
//   up to '\n'  the response's Content-Type header value
//   the rest    the response body
// Besides the sanitizers, it checks that cutting the body into pieces (or
// single bytes) never changes the parts, that held bytes stay bounded, and
// that every part handed out is well formed.
#include "media/mjpeg_parser/multipart_parser.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using media::MultipartParser;
using media::MultipartPart;

constexpr std::size_t kCaps[] = { 1, 16, 64, 200, 1024, 4096, 65536, MultipartParser::kMaxPartSize };

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "fuzz_multipart: %s\n", what);
        std::abort();
    }
}

bool isLower(std::string_view s)
{
    for (char c : s) {
        if (c >= 'A' && c <= 'Z')
            return false;
    }
    return true;
}

struct Run {
    std::vector<MultipartPart> parts;
    std::uint64_t delivered = 0;
    std::uint64_t dropped = 0;
    std::uint64_t headerDrops = 0;
};

Run parse(const std::optional<std::string>& boundary, std::size_t cap, std::string_view body,
    const std::vector<std::size_t>& pieces)
{
    MultipartParser parser(boundary, cap);
    Run run;
    const auto collect = [&run, cap](MultipartPart&& part) {
        check(!part.body.empty(), "empty part handed out");
        check(part.body.size() <= cap, "part over the cap handed out");
        check(isLower(part.contentType), "content type not lower-cased");
        for (const auto& [name, value] : part.headers)
            check(!name.empty() && isLower(name), "header name empty or not lower-cased");
        run.parts.push_back(std::move(part));
    };
    std::size_t at = 0;
    std::size_t i = 0;
    while (at < body.size()) {
        const std::size_t n
            = std::min(pieces.empty() ? body.size() : pieces[i++ % pieces.size()], body.size() - at);
        parser.feed(body.substr(at, n), collect);
        at += n;
        const std::size_t bound
            = cap + n + 2 * parser.boundary().size() + MultipartParser::kMaxHeaderBlock + 1024;
        check(parser.bufferedBytes() <= bound, "held bytes over the bound");
    }
    run.delivered = parser.partsDelivered();
    run.dropped = parser.partsDroppedOversize();
    run.headerDrops = parser.headerBlocksDropped();
    check(run.delivered == run.parts.size(), "delivered count differs from parts handed out");
    return run;
}

void same(const Run& a, const Run& b, const char* what)
{
    check(a.parts.size() == b.parts.size(), what);
    for (std::size_t i = 0; i < a.parts.size(); ++i) {
        check(a.parts[i].body == b.parts[i].body, what);
        check(a.parts[i].contentType == b.parts[i].contentType, what);
        check(a.parts[i].headers == b.parts[i].headers, what);
    }
    check(a.dropped == b.dropped && a.headerDrops == b.headerDrops, what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t options = data[0];
    std::uint32_t seed = data[1];
    std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::size_t nl = rest.find('\n');
    const std::string_view contentType = rest.substr(0, nl);
    const std::string_view body = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);

    const std::optional<std::string> declared = media::boundaryFromContentType(contentType);
    if (declared)
        check(!declared->empty() && declared->front() != '-', "boundary empty or with leading dash");
    const std::optional<std::string> boundary = (options & 1) ? declared : std::nullopt;
    const std::size_t cap = kCaps[(options >> 1) & 7];

    std::vector<std::size_t> pieces;
    for (int i = 0; i < 16; ++i) {
        seed = seed * 1103515245u + 12345u;
        pieces.push_back(1 + (seed >> 16) % 97);
    }

    const Run whole = parse(boundary, cap, body, {});
    same(whole, parse(boundary, cap, body, pieces), "pieces changed the parts");
    if (body.size() <= 8192)
        same(whole, parse(boundary, cap, body, { 1 }), "single bytes changed the parts");
    return 0;
}
