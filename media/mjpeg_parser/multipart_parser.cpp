// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg_parser/multipart_parser.h"

#include "core/util/ascii_text.h"
#include "media/mjpeg_parser/line_input.h"
#include "media/mjpeg_parser/multipart_text.h"
#include "media/mjpeg_parser/part_body.h"

#include <algorithm>
#include <charconv>

namespace media {

using namespace multipart_text;

struct MultipartParser::State {
    enum class Phase { Seek, Headers, CheckPicture, Body };

    explicit State(std::size_t cap)
        : body(cap)
    {
    }

    std::string key; // boundary without leading dashes; empty until known
    std::string declared; // the response's boundary; empty when none was declared
    bool declaredSeen = false;
    // A "--..." line met while the declared boundary has not shown up: taken
    // as the stream's boundary if part headers and a JPEG follow it.
    std::string candidate;
    std::optional<std::size_t> candidateLength;
    Phase phase = Phase::Seek;
    LineInput in;

    std::vector<std::pair<std::string, std::string>> headers;
    std::size_t headerBytes = 0;
    bool sawHeader = false;
    std::string contentType;
    PartBody body;

    std::uint64_t delivered = 0;
    std::uint64_t headerBlocksDropped = 0;

    std::size_t lineLimit() const
    {
        const std::size_t longest = std::max({ key.size(), declared.size(), kMaxAutoBoundary });
        return kMaxLeadingDashes + longest + 2 + kMaxPadding + 1;
    }

    // Once the declared boundary has been seen, or another one was learned,
    // the boundary is settled.
    bool mayLearnOther() const { return !declared.empty() && !declaredSeen && key == declared; }
    // While a learned boundary is in use, the declared one still ends a part.
    std::string_view otherKey() const { return key == declared ? std::string_view() : declared; }

    // Classifies a complete line (without its '\n'); learns the boundary from
    // the first "--..." line when none was declared.
    BoundaryMatch boundaryLine(std::string_view line)
    {
        if (key.empty()) {
            std::optional<std::string> learned = boundaryOfFirstLine(line);
            if (!learned)
                return BoundaryMatch::No;
            key = std::move(*learned);
            return BoundaryMatch::Open;
        }
        BoundaryMatch m = matchBoundaryLine(line, key);
        if (m == BoundaryMatch::No && !declared.empty() && key != declared) {
            // The declared boundary appearing after all wins over the learned one.
            m = matchBoundaryLine(line, declared);
            if (m == BoundaryMatch::Open || m == BoundaryMatch::Close)
                key = declared;
        }
        if (m == BoundaryMatch::Open || m == BoundaryMatch::Close) {
            declaredSeen = declaredSeen || key == declared;
            candidate.clear();
            return m;
        }
        if (mayLearnOther()) {
            // The declared text with too much padding stays junk, as before.
            if (std::optional<std::string> other = boundaryOfFirstLine(line); other && *other != declared) {
                candidate = std::move(*other);
                return BoundaryMatch::Open;
            }
        }
        return BoundaryMatch::No;
    }

    void dropCandidate()
    {
        candidate.clear();
        contentType.clear();
        resetHeaders();
        phase = Phase::Seek;
    }

    void resetHeaders()
    {
        headers.clear();
        headerBytes = 0;
        sawHeader = false;
    }

    // Between parts: skips a line that is not a boundary line.
    bool stepSeek()
    {
        if (!in.finishSkippedLine())
            return false;
        std::string_view line;
        switch (in.nextLine(lineLimit(), line)) {
        case LineInput::Result::NeedMore:
            return false;
        case LineInput::Result::Long:
            return true;
        case LineInput::Result::Line:
            break;
        }
        if (boundaryLine(withoutNewline(line)) == BoundaryMatch::Open) {
            resetHeaders();
            phase = Phase::Headers;
        }
        return true;
    }

    // After a boundary line: one header line, or the start of the body.
    bool stepHeaders()
    {
        const int first = in.peek();
        if (first < 0)
            return false;
        const auto b = static_cast<unsigned char>(first);
        const bool mayBeLine = (b >= 0x20 && b < 0x7f) || b == '\r' || b == '\n' || b == '\t'
            || (!key.empty() && b == static_cast<unsigned char>(key.front()));
        if (!mayBeLine) {
            // Binary where a header line should be (a JPEG starts with 0xFF):
            // the part has no (more) headers and its body starts here.
            startBody();
            return true;
        }
        std::string_view line;
        switch (in.nextLine(kMaxHeaderBlock - headerBytes, line)) {
        case LineInput::Result::NeedMore:
            return false;
        case LineInput::Result::Long:
            // Under a mere candidate the block was junk, not a part.
            if (candidate.empty())
                ++headerBlocksDropped;
            candidate.clear();
            resetHeaders();
            phase = Phase::Seek;
            return true;
        case LineInput::Result::Line:
            break;
        }
        headerBytes += line.size();
        const std::string_view content = withoutNewline(line);
        if (util::trimAsciiSpace(content).empty()) {
            // Blank lines before the first header are stray; after one, the body follows.
            if (sawHeader)
                startBody();
            return true;
        }
        switch (boundaryLine(content)) {
        case BoundaryMatch::Open:
            resetHeaders();
            return true;
        case BoundaryMatch::Close:
            resetHeaders();
            phase = Phase::Seek;
            return true;
        case BoundaryMatch::No:
        case BoundaryMatch::Incomplete:
            break;
        }
        if (b == ' ' || b == '\t') {
            if (sawHeader)
                appendFolded(headers.back().second, util::trimAsciiSpace(content));
            return true;
        }
        if (auto header = parseHeaderLine(content)) {
            headers.push_back(std::move(*header));
            sawHeader = true;
        }
        return true;
    }

    void startBody()
    {
        contentType.clear();
        std::optional<std::size_t> contentLength;
        bool typeSeen = false;
        bool lengthSeen = false;
        for (const auto& [name, value] : headers) {
            if (name == "content-type" && !typeSeen) {
                contentType = util::asciiLower(value);
                typeSeen = true;
            } else if (name == "content-length" && !lengthSeen) {
                lengthSeen = true;
                std::size_t n = 0;
                const char* end = value.data() + value.size();
                const auto [ptr, ec] = std::from_chars(value.data(), end, n);
                if (ec == std::errc() && ptr == end && !value.empty())
                    contentLength = n;
            }
        }
        if (candidate.empty()) {
            phase = Phase::Body;
            body.start(key, otherKey(), contentLength);
            return;
        }
        // A candidate needs part headers as well as a picture.
        if (!typeSeen && !lengthSeen) {
            dropCandidate();
            return;
        }
        candidateLength = contentLength;
        phase = Phase::CheckPicture;
    }

    // The first bytes of a candidate's body: a JPEG's start marker adopts
    // the candidate boundary, anything else sends it back to junk.
    bool stepCheckPicture()
    {
        const int first = in.peek(0);
        if (first < 0)
            return false;
        const int second = in.peek(1);
        if (first == 0xFF && second < 0) {
            in.holdRest();
            return false;
        }
        if (first != 0xFF || second != 0xD8) {
            dropCandidate();
            return true;
        }
        key = std::move(candidate);
        candidate.clear();
        phase = Phase::Body;
        body.start(key, otherKey(), candidateLength);
        return true;
    }

    // Hands the next run of bytes to the body; a finished picture comes back.
    std::optional<MultipartPart> stepBody(bool& progressed)
    {
        const std::string_view bytes = in.available();
        progressed = !bytes.empty();
        if (!progressed)
            return std::nullopt;
        PartBody::Step step = body.feed(bytes);
        in.consume(step.consumed);
        in.putBack(std::move(step.putBack));
        if (!step.ended)
            return std::nullopt;
        phase = Phase::Seek;
        std::optional<MultipartPart> part;
        if (step.picture) {
            part.emplace();
            part->contentType = std::move(contentType);
            part->headers = std::move(headers);
            part->body = std::move(*step.picture);
            ++delivered;
        }
        contentType.clear();
        resetHeaders();
        return part;
    }
};

MultipartParser::MultipartParser(std::optional<std::string> boundary)
    : MultipartParser(std::move(boundary), kMaxPartSize)
{
}

MultipartParser::MultipartParser(std::optional<std::string> boundary, std::size_t maxPartSize)
    : m_state(std::make_shared<State>(std::clamp<std::size_t>(maxPartSize, 1, kMaxPartSize)))
{
    if (boundary) {
        const std::size_t start = boundary->find_first_not_of('-');
        if (start != std::string::npos) {
            m_state->key = boundary->substr(start);
            m_state->declared = m_state->key;
        }
    }
}

void MultipartParser::feed(std::string_view bytes, const PartHandler& onPart)
{
    State& s = *m_state;
    s.in.beginFeed(bytes);
    for (;;) {
        bool progressed = false;
        switch (s.phase) {
        case State::Phase::Seek:
            progressed = s.stepSeek();
            break;
        case State::Phase::Headers:
            progressed = s.stepHeaders();
            break;
        case State::Phase::CheckPicture:
            progressed = s.stepCheckPicture();
            break;
        case State::Phase::Body:
            if (std::optional<MultipartPart> part = s.stepBody(progressed); part && onPart)
                onPart(std::move(*part));
            break;
        }
        if (!progressed)
            break;
    }
    s.in.endFeed();
}

std::uint64_t MultipartParser::partsDelivered() const
{
    return m_state->delivered;
}

std::uint64_t MultipartParser::partsDroppedOversize() const
{
    return m_state->body.droppedOversize();
}

std::uint64_t MultipartParser::headerBlocksDropped() const
{
    return m_state->headerBlocksDropped;
}

std::size_t MultipartParser::bufferedBytes() const
{
    const State& s = *m_state;
    return s.in.heldBytes() + s.body.heldBytes() + s.headerBytes;
}

const std::string& MultipartParser::boundary() const
{
    return m_state->key;
}

} // namespace media
