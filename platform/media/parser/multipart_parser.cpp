#include "platform/media/parser/multipart_parser.h"

#include "platform/media/parser/multipart_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace media {
namespace {

using namespace multipart_text;

// A part's bytes are appended in slices, so that one huge feed() cannot push
// the buffer far past the cap before the cap is checked.
constexpr std::size_t kSlice = 256u * 1024u;

enum class CandidateKind { None, Found };

struct Candidate {
    CandidateKind kind = CandidateKind::None;
    BoundaryMatch match = BoundaryMatch::No;
    std::size_t lineStart = 0; // first byte of the boundary line (its dashes)
};

enum class LengthVerdict { Undecided, Honest, Lie };

enum class LineResult { Line, NeedMore, Long };

} // namespace

struct MultipartParser::State {
    enum class Phase { Seek, Headers, Body };

    explicit State(std::size_t cap)
        : maxPart(cap)
    {
    }

    // --- configuration
    std::size_t maxPart;
    std::string key; // boundary without leading dashes; empty until known

    // --- input of the running feed() and bytes held over from the last one
    Phase phase = Phase::Seek;
    std::string_view input;
    std::string pending;
    std::size_t pendingPos = 0;
    bool skipToEol = false; // inside an over-long line whose start was dropped

    // --- header block
    std::vector<std::pair<std::string, std::string>> headers;
    std::size_t headerBytes = 0;
    bool sawHeader = false;

    // --- body
    std::string body;
    std::string contentType;
    std::optional<std::size_t> contentLength;
    std::size_t scanPos = 0;      // where the boundary search goes on
    bool bodyStartsLine = true;   // body[0] begins a line (false after dropping a prefix)
    bool discarding = false;      // the part is over the cap; only the boundary is looked for
    std::size_t lastBodySize = 0; // sizes the next buffer when no length is announced

    // --- counters
    std::uint64_t delivered = 0;
    std::uint64_t droppedOversize = 0;
    std::uint64_t headerBlocksDropped = 0;

    void setKey(std::string k)
    {
        key = std::move(k);
    }

    std::size_t lineLimit() const
    {
        return kMaxLeadingDashes + std::max(key.size(), kMaxAutoBoundary) + 2 + kMaxPadding + 1;
    }

    // Classifies a complete line (without its '\n'); learns the boundary from
    // the first "--..." line when none was declared.
    BoundaryMatch boundaryLine(std::string_view line)
    {
        if (!key.empty())
            return matchBoundaryLine(line, key);
        std::optional<std::string> learned = boundaryOfFirstLine(line);
        if (!learned)
            return BoundaryMatch::No;
        setKey(std::move(*learned));
        return BoundaryMatch::Open;
    }

    // ---------------------------------------------------------------- lines

    bool hasPending() const { return pendingPos < pending.size(); }

    int peek() const
    {
        if (hasPending())
            return static_cast<unsigned char>(pending[pendingPos]);
        if (!input.empty())
            return static_cast<unsigned char>(input.front());
        return -1;
    }

    void dropAllAvailable()
    {
        pending.clear();
        pendingPos = 0;
        input = {};
    }

    // The next complete line, '\n' included. A line longer than `limit` is
    // consumed (or, unfinished, dropped up to its end) and reported as Long.
    LineResult nextLine(std::size_t limit, std::string_view& line)
    {
        if (hasPending()) {
            const std::string_view held = std::string_view(pending).substr(pendingPos);
            const std::size_t nl = held.find('\n');
            if (nl != std::string_view::npos) {
                pendingPos += nl + 1;
                if (nl + 1 > limit)
                    return LineResult::Long;
                line = held.substr(0, nl + 1);
                return LineResult::Line;
            }
            const void* found = input.empty() ? nullptr : std::memchr(input.data(), '\n', input.size());
            const std::size_t take
                = found ? static_cast<const char*>(found) - input.data() + 1 : input.size();
            if (held.size() + take > limit) {
                pending.clear();
                pendingPos = 0;
                input.remove_prefix(take);
                skipToEol = !found;
                return LineResult::Long;
            }
            pending.erase(0, pendingPos);
            pendingPos = 0;
            pending.append(input.data(), take);
            input.remove_prefix(take);
            if (!found)
                return LineResult::NeedMore;
            pendingPos = pending.size();
            line = pending;
            return LineResult::Line;
        }
        pending.clear();
        pendingPos = 0;
        const void* found = input.empty() ? nullptr : std::memchr(input.data(), '\n', input.size());
        if (found) {
            const std::size_t len = static_cast<const char*>(found) - input.data() + 1;
            line = input.substr(0, len);
            input.remove_prefix(len);
            return len > limit ? LineResult::Long : LineResult::Line;
        }
        if (input.size() > limit) {
            input = {};
            skipToEol = true;
            return LineResult::Long;
        }
        pending.assign(input.data(), input.size());
        input = {};
        return LineResult::NeedMore;
    }

    // Drops bytes up to and including the next '\n'; false when more is needed.
    bool skipRestOfLine()
    {
        if (hasPending()) {
            const std::size_t nl = pending.find('\n', pendingPos);
            if (nl != std::string::npos) {
                pendingPos = nl + 1;
                skipToEol = false;
                return true;
            }
            pending.clear();
            pendingPos = 0;
        }
        const void* found = input.empty() ? nullptr : std::memchr(input.data(), '\n', input.size());
        if (!found) {
            input = {};
            return false;
        }
        input.remove_prefix(static_cast<const char*>(found) - input.data() + 1);
        skipToEol = false;
        return true;
    }

    // ---------------------------------------------------------------- header phases

    void resetHeaders()
    {
        headers.clear();
        headerBytes = 0;
        sawHeader = false;
    }

    // One step between parts: skip a line that is not a boundary line.
    bool stepSeek()
    {
        if (skipToEol && !skipRestOfLine())
            return false;
        std::string_view line;
        switch (nextLine(lineLimit(), line)) {
        case LineResult::NeedMore:
            return false;
        case LineResult::Long:
            return true;
        case LineResult::Line:
            break;
        }
        if (boundaryLine(withoutNewline(line)) == BoundaryMatch::Open) {
            resetHeaders();
            phase = Phase::Headers;
        }
        return true;
    }

    bool stepHeaders()
    {
        const int first = peek();
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
        switch (nextLine(kMaxHeaderBlock - headerBytes, line)) {
        case LineResult::NeedMore:
            return false;
        case LineResult::Long:
            ++headerBlocksDropped;
            resetHeaders();
            phase = Phase::Seek;
            return true;
        case LineResult::Line:
            break;
        }
        headerBytes += line.size();
        const std::string_view content = withoutNewline(line);
        if (trimBlanks(content).empty()) {
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
                appendFolded(headers.back().second, trimBlanks(content));
            return true;
        }
        if (auto header = parseHeaderLine(content)) {
            headers.push_back(std::move(*header));
            sawHeader = true;
        }
        return true;
    }

    // ---------------------------------------------------------------- body

    void startBody()
    {
        phase = Phase::Body;
        contentType.clear();
        contentLength.reset();
        bool typeSeen = false;
        bool lengthSeen = false;
        for (const auto& [name, value] : headers) {
            if (name == "content-type" && !typeSeen) {
                contentType = toLowerAscii(value);
                typeSeen = true;
            } else if (name == "content-length" && !lengthSeen) {
                lengthSeen = true;
                std::size_t n = 0;
                const char* end = value.data() + value.size();
                const auto [ptr, ec] = std::from_chars(value.data(), end, n);
                // A length over the cap may be a lie; the boundary decides then.
                if (ec == std::errc() && ptr == end && !value.empty() && n <= maxPart)
                    contentLength = n;
            }
        }
        body.clear();
        scanPos = 0;
        bodyStartsLine = true;
        discarding = false;
        // Sized for one copy of a steady stream; a length far above the last
        // picture may be a lie and must not cost a huge allocation up front.
        const std::size_t usual = lastBodySize + lastBodySize / 4 + 4096;
        const std::size_t expected
            = contentLength ? std::min(*contentLength + key.size() + 96, 2 * usual + 65536) : usual;
        body.reserve(std::min(expected, bufferCap()));
    }

    std::size_t bufferCap() const { return maxPart + key.size() + kSlice + 1024; }

    void appendToBody(std::string_view bytes)
    {
        const std::size_t need = body.size() + bytes.size();
        if (need > body.capacity())
            body.reserve(std::max(need, std::min(body.capacity() * 2, bufferCap())));
        body.append(bytes.data(), bytes.size());
    }

    // Looks for a boundary line at each line start from where the last search
    // stopped. Pictures have a '\n' only every few hundred bytes, so memchr
    // skips most of the body.
    Candidate searchBoundary(std::size_t& lowerBound)
    {
        const char* data = body.data();
        const std::size_t size = body.size();
        std::size_t pos = scanPos;
        for (;;) {
            if (pos == 0 ? bodyStartsLine : data[pos - 1] == '\n') {
                const BoundaryMatch m = matchBoundaryAt(std::string_view(data + pos, size - pos), key);
                if (m == BoundaryMatch::Open || m == BoundaryMatch::Close) {
                    scanPos = pos;
                    return { CandidateKind::Found, m, pos };
                }
                if (m == BoundaryMatch::Incomplete)
                    break;
            }
            const void* nl = pos < size ? std::memchr(data + pos, '\n', size - pos) : nullptr;
            if (!nl) {
                pos = size;
                break;
            }
            pos = static_cast<std::size_t>(static_cast<const char*>(nl) - data) + 1;
        }
        scanPos = pos;
        // No boundary yet: one found later starts at scanPos or after, and
        // the body ends no earlier than the line end before it.
        lowerBound = scanPos > 2 ? scanPos - 2 : 0;
        return {};
    }

    // Whether the announced length is borne out by what follows it: a line
    // end or a boundary line. Decided from at most ~100 bytes after it.
    LengthVerdict judgeLength() const
    {
        const std::size_t cl = *contentLength;
        const std::string_view after = std::string_view(body).substr(std::min(cl, body.size()));
        if (after.empty())
            return LengthVerdict::Undecided;
        const char c = after.front();
        if (c == '\n' || isPadding(c)) {
            std::size_t i = 0;
            while (i < after.size() && isPadding(after[i])) {
                if (++i > kMaxPadding)
                    return LengthVerdict::Lie;
            }
            if (i == after.size())
                return LengthVerdict::Undecided;
            return after[i] == '\n' ? LengthVerdict::Honest : LengthVerdict::Lie;
        }
        switch (matchBoundaryAt(after, key)) {
        case BoundaryMatch::Incomplete:
            return LengthVerdict::Undecided;
        case BoundaryMatch::No:
            return LengthVerdict::Lie;
        default:
            return LengthVerdict::Honest;
        }
    }

    struct PartEnd {
        std::size_t bodyEnd;
        std::size_t resume; // where line parsing goes on
    };

    std::size_t bodyEndBefore(std::size_t lineStart) const
    {
        if (lineStart == 0)
            return 0;
        std::size_t end = lineStart - 1; // the '\n' belongs to the boundary
        if (end > 0 && body[end - 1] == '\r')
            --end;
        return end;
    }

    std::optional<PartEnd> findPartEnd()
    {
        std::size_t lowerBound = 0;
        const Candidate found = searchBoundary(lowerBound);
        const bool haveBoundary = found.kind == CandidateKind::Found;
        if (discarding) {
            if (haveBoundary)
                return PartEnd { 0, found.lineStart };
            trimDiscarded();
            return std::nullopt;
        }
        if (contentLength) {
            if (haveBoundary && found.lineStart < *contentLength) // the length was too long
                return PartEnd { bodyEndBefore(found.lineStart), found.lineStart };
            switch (judgeLength()) {
            case LengthVerdict::Honest:
                return PartEnd { *contentLength, *contentLength };
            case LengthVerdict::Undecided:
                return std::nullopt;
            case LengthVerdict::Lie:
                contentLength.reset();
                break;
            }
        }
        if (haveBoundary)
            return PartEnd { bodyEndBefore(found.lineStart), found.lineStart };
        if (lowerBound > maxPart) {
            ++droppedOversize;
            discarding = true;
            trimDiscarded();
        }
        return std::nullopt;
    }

    // While discarding, keeps only the line the search stopped at.
    void trimDiscarded()
    {
        const std::size_t cut = scanPos;
        if (cut == 0)
            return;
        bodyStartsLine = body[cut - 1] == '\n';
        body.erase(0, cut);
        scanPos = 0;
    }

    struct BodyStep {
        std::size_t consumed = 0;
        std::string reinject; // held bytes that follow the part's end, to parse again
        std::optional<MultipartPart> part;
    };

    BodyStep feedBody(std::string_view seg)
    {
        BodyStep step;
        while (step.consumed < seg.size()) {
            std::size_t n = std::min(kSlice, seg.size() - step.consumed);
            if (contentLength && !discarding) {
                // Take no more than judging the length needs, so that the
                // next part's bytes are not copied here first.
                const std::size_t window = *contentLength + key.size() + 96;
                if (body.size() < window)
                    n = std::min(n, window - body.size());
            }
            const std::size_t old = body.size();
            appendToBody(seg.substr(step.consumed, n));
            step.consumed += n;
            const std::optional<PartEnd> end = findPartEnd();
            if (!end)
                continue;
            if (end->resume >= old) {
                step.consumed -= body.size() - end->resume;
            } else {
                step.consumed -= n;
                step.reinject.assign(body, end->resume, old - end->resume);
            }
            step.part = finishPart(end->bodyEnd);
            return step;
        }
        return step;
    }

    std::optional<MultipartPart> finishPart(std::size_t bodyEnd)
    {
        phase = Phase::Seek;
        std::optional<MultipartPart> part;
        if (discarding) {
            std::string().swap(body);
        } else if (bodyEnd > maxPart) {
            ++droppedOversize;
            std::string().swap(body);
        } else if (bodyEnd == 0) {
            body.clear();
        } else {
            body.resize(bodyEnd);
            lastBodySize = bodyEnd;
            part.emplace();
            part->contentType = std::move(contentType);
            part->headers = std::move(headers);
            part->body = std::move(body);
            ++delivered;
        }
        body.clear();
        contentType.clear();
        contentLength.reset();
        discarding = false;
        resetHeaders();
        return part;
    }

    // Hands the bytes held over (if any) and then the input to the body.
    std::optional<MultipartPart> stepBody(bool& progressed)
    {
        progressed = true;
        if (hasPending()) {
            BodyStep step = feedBody(std::string_view(pending).substr(pendingPos));
            if (!step.reinject.empty()) {
                step.reinject.append(pending, pendingPos + step.consumed);
                pending = std::move(step.reinject);
                pendingPos = 0;
            } else {
                pendingPos += step.consumed;
                if (!hasPending()) {
                    pending.clear();
                    pendingPos = 0;
                }
            }
            return std::move(step.part);
        }
        if (input.empty()) {
            progressed = false;
            return std::nullopt;
        }
        BodyStep step = feedBody(input);
        input.remove_prefix(step.consumed);
        if (!step.reinject.empty()) {
            pending = std::move(step.reinject);
            pendingPos = 0;
        }
        return std::move(step.part);
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
        std::string key = std::move(*boundary);
        key.erase(0, key.find_first_not_of('-'));
        if (key.find_first_not_of('-') != std::string::npos)
            m_state->setKey(std::move(key));
    }
}

void MultipartParser::feed(std::string_view bytes, const PartHandler& onPart)
{
    State& s = *m_state;
    s.input = bytes;
    for (;;) {
        bool progressed = false;
        switch (s.phase) {
        case State::Phase::Seek:
            progressed = s.stepSeek();
            break;
        case State::Phase::Headers:
            progressed = s.stepHeaders();
            break;
        case State::Phase::Body:
            if (std::optional<MultipartPart> part = s.stepBody(progressed); part && onPart)
                onPart(std::move(*part));
            break;
        }
        if (!progressed)
            break;
    }
    s.input = {};
    if (s.pendingPos > 0) {
        s.pending.erase(0, s.pendingPos);
        s.pendingPos = 0;
    }
}

std::uint64_t MultipartParser::partsDelivered() const { return m_state->delivered; }

std::uint64_t MultipartParser::partsDroppedOversize() const { return m_state->droppedOversize; }

std::uint64_t MultipartParser::headerBlocksDropped() const { return m_state->headerBlocksDropped; }

std::size_t MultipartParser::bufferedBytes() const
{
    const State& s = *m_state;
    return s.pending.size() + s.body.size() + s.headerBytes;
}

const std::string& MultipartParser::boundary() const { return m_state->key; }

} // namespace media
