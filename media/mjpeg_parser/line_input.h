// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The multipart parser's input between header lines: the bytes of the
// running feed() and those held over from earlier ones (an unfinished line,
// or what follows a part's end). Used by one parser on one thread.
#include <cstddef>
#include <string>
#include <string_view>

namespace media::multipart_text {

class LineInput {
public:
    enum class Result { Line, NeedMore, Long };

    // The bytes of one feed(); they must be consumed before endFeed().
    void beginFeed(std::string_view bytes) { m_input = bytes; }
    void endFeed();

    // The byte `offset` places ahead, or -1 when it has not arrived.
    int peek(std::size_t offset = 0) const;
    // Keeps the rest of this feed's bytes for the next one, when too few
    // have arrived to decide what they are.
    void holdRest();
    // The next complete line, '\n' included; valid until the next call. A line
    // longer than `limit` is consumed (or, unfinished, dropped to its end
    // across feeds) and reported as Long.
    Result nextLine(std::size_t limit, std::string_view& line);
    // Drops the rest of a line that was reported Long before it ended;
    // false when more bytes are needed.
    bool finishSkippedLine();

    // The next run of bytes for a part's body: held bytes first, then the input.
    std::string_view available() const;
    void consume(std::size_t n);
    // Bytes to read again before everything else.
    void putBack(std::string bytes);

    std::size_t heldBytes() const { return m_pending.size(); }

private:
    bool hasPending() const { return m_pendingPos < m_pending.size(); }

    std::string_view m_input;
    std::string m_pending;
    std::size_t m_pendingPos = 0;
    bool m_skipToEol = false;
};

} // namespace media::multipart_text
