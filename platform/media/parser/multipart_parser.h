#pragma once
// Incremental parser of a multipart/x-mixed-replace (or multipart/mixed)
// Motion-JPEG stream. Fed the response body in pieces of any size, it hands
// out each complete part in order.
//
// Thread: one instance is used by one thread at a time.
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

class MultipartParser {
public:
    static constexpr std::size_t kMaxPartSize = 16u * 1024u * 1024u;
    using PartHandler = std::function<void(MultipartPart&&)>;

    // Without a boundary the parser takes the first "--..." line it meets.
    explicit MultipartParser(std::optional<std::string> boundary);

    void feed(std::string_view bytes, const PartHandler& onPart);

    std::uint64_t partsDelivered() const;
    std::uint64_t partsDroppedOversize() const;
    std::size_t bufferedBytes() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace media
