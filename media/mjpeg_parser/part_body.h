// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The body of one multipart part as it arrives: finds where it ends (by its
// Content-Length when what follows bears it out, else by the next boundary
// line), and drops it once it is certain to exceed the cap. Used by one
// parser on one thread.
#include "media/mjpeg_parser/multipart_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace media::multipart_text {

class PartBody {
public:
    explicit PartBody(std::size_t maxPart)
        : m_maxPart(maxPart)
    {
    }

    struct Step {
        std::size_t consumed = 0;
        std::string putBack; // bytes already taken that follow the part's end
        bool ended = false;
        std::optional<std::string> picture; // the finished body, unless empty or dropped
    };

    // `key` is the boundary without dashes; `otherKey`, when not empty, ends
    // the part too. Both must outlive the part.
    void start(std::string_view key, std::string_view otherKey, std::optional<std::size_t> contentLength);
    // Takes bytes up to the part's end. Once ended, start() begins the next part.
    Step feed(std::string_view bytes);

    std::size_t heldBytes() const { return m_body.size(); }
    std::uint64_t droppedOversize() const { return m_dropped; }

private:
    struct End {
        std::size_t bodyEnd;
        std::size_t resume; // where line parsing goes on
    };
    enum class Verdict { Undecided, Honest, Lie };

    std::size_t longestKey() const { return std::max(m_key.size(), m_otherKey.size()); }
    BoundaryMatch matchAt(std::string_view s) const;
    std::size_t bufferCap() const;
    void append(std::string_view bytes);
    std::optional<std::size_t> searchBoundary(std::size_t& lowerBound);
    Verdict judgeLength() const;
    std::size_t bodyEndBefore(std::size_t lineStart) const;
    std::optional<End> findEnd();
    void trimDiscarded();
    std::optional<std::string> finish(std::size_t bodyEnd);

    const std::size_t m_maxPart;
    std::string_view m_key;
    std::string_view m_otherKey;
    std::string m_body;
    std::optional<std::size_t> m_contentLength;
    std::size_t m_scanPos = 0; // line starts before this are no boundary
    bool m_startsLine = true; // m_body[0] begins a line (false after dropping a prefix)
    bool m_discarding = false; // over the cap: only the boundary is looked for
    std::size_t m_lastSize = 0; // sizes the next buffer
    std::uint64_t m_dropped = 0;
};

} // namespace media::multipart_text
