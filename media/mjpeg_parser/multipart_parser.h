// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Incremental parser of a multipart/x-mixed-replace (or multipart/mixed)
// Motion-JPEG stream. Fed the response body in pieces of any size, it hands
// out each complete part in order.
//
// Thread: one instance is used by one thread at a time. The part handler is
// called from inside feed() and must not feed the same parser again.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace media {

struct MultipartPart {
    std::string contentType; // the part's own Content-Type, lower-cased; may be empty
    std::vector<std::pair<std::string, std::string>> headers; // names lower-cased
    std::string body;
};

// The boundary of a multipart Content-Type header value, without leading
// "--" and quotes; nullopt when the type is not multipart or names none.
std::optional<std::string> boundaryFromContentType(std::string_view contentType);

// Cameras differ in how they frame parts; the parser accepts:
// - boundary lines with any few leading dashes (or none) and trailing blanks,
//   a closing "--boundary--", and without a declared boundary the first
//   "--..." line of the stream;
// - a declared boundary the stream does not use: until it appears, a
//   "--..." line followed by a Content-Type or Content-Length header and a
//   JPEG body sets the boundary (that part is handed out). Once the declared
//   boundary has appeared nothing else is learned, and if it appears after
//   one was learned it takes over again;
// - junk, blank lines and repeated boundary lines before, between and inside
//   header blocks; CRLF or LF-only lines; parts without headers;
// - a Content-Length that is missing or wrong: a part ends at its length
//   only when a line end or a boundary follows it, otherwise at the boundary.
// A part longer than the cap is dropped (counted) and the parser resynchronises
// on the next boundary; parts with an empty body are not handed out. Memory
// stays below the cap plus a few hundred kilobytes whatever arrives.
class MultipartParser {
public:
    static constexpr std::size_t kMaxPartSize = 16u * 1024u * 1024u;
    static constexpr std::size_t kMaxHeaderBlock = 64u * 1024u;
    using PartHandler = std::function<void(MultipartPart&&)>;

    // Without a boundary the parser takes the first "--..." line it meets.
    explicit MultipartParser(std::optional<std::string> boundary);
    // With a smaller cap, for tests and fuzzing.
    MultipartParser(std::optional<std::string> boundary, std::size_t maxPartSize);

    void feed(std::string_view bytes, const PartHandler& onPart);

    std::uint64_t partsDelivered() const;
    std::uint64_t partsDroppedOversize() const;
    // Header blocks longer than kMaxHeaderBlock, dropped with their part.
    std::uint64_t headerBlocksDropped() const;
    // Bytes held between calls of feed(): an unfinished part, header block or line.
    std::size_t bufferedBytes() const;
    // The boundary in use, without leading dashes; empty until one is known.
    // May change once from the declared one to one learned from the stream.
    const std::string& boundary() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace media
