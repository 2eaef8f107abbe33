// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg_parser/part_body.h"

#include "media/mjpeg_parser/multipart_text.h"

#include <algorithm>
#include <cstring>

namespace media::multipart_text {
namespace {

// Bytes are appended in slices, so that one huge feed() cannot push the
// buffer far past the cap before the cap is checked.
constexpr std::size_t kSlice = 256u * 1024u;
// Judging a Content-Length needs at most this many bytes after it, plus the
// boundary: blanks or dashes, the boundary, blanks and a line end.
constexpr std::size_t kJudgeWindow = kMaxLeadingDashes + kMaxPadding + 32;

} // namespace

void PartBody::start(
    std::string_view key, std::string_view otherKey, std::optional<std::size_t> contentLength)
{
    m_key = key;
    m_otherKey = otherKey;
    // A length over the cap may be a lie; the boundary decides then.
    m_contentLength = contentLength && *contentLength <= m_maxPart ? contentLength : std::nullopt;
    m_body.clear();
    m_scanPos = 0;
    m_startsLine = true;
    m_discarding = false;
    // Sized for one copy in a steady stream; a length far above the last
    // picture may be a lie and must not cost a huge allocation up front.
    const std::size_t usual = m_lastSize + m_lastSize / 4 + 4096;
    const std::size_t expected = m_contentLength
        ? std::min(*m_contentLength + longestKey() + kJudgeWindow, 2 * usual + 65536)
        : usual;
    m_body.reserve(std::min(expected, bufferCap()));
}

std::size_t PartBody::bufferCap() const
{
    return m_maxPart + longestKey() + kSlice + 1024;
}

BoundaryMatch PartBody::matchAt(std::string_view s) const
{
    const BoundaryMatch m = matchBoundaryAt(s, m_key);
    if (m_otherKey.empty() || m == BoundaryMatch::Open || m == BoundaryMatch::Close)
        return m;
    const BoundaryMatch other = matchBoundaryAt(s, m_otherKey);
    if (other != BoundaryMatch::No)
        return other;
    return m;
}

void PartBody::append(std::string_view bytes)
{
    const std::size_t need = m_body.size() + bytes.size();
    if (need > m_body.capacity())
        m_body.reserve(std::max(need, std::min(m_body.capacity() * 2, bufferCap())));
    m_body.append(bytes.data(), bytes.size());
}

// Looks for a boundary line at each line start from where the last search
// stopped. Pictures have a '\n' only every few hundred bytes, so memchr
// skips most of the body. Returns the boundary line's first byte.
std::optional<std::size_t> PartBody::searchBoundary(std::size_t& lowerBound)
{
    const char* data = m_body.data();
    const std::size_t size = m_body.size();
    std::size_t pos = m_scanPos;
    for (;;) {
        if (pos == 0 ? m_startsLine : data[pos - 1] == '\n') {
            const BoundaryMatch m = matchAt(std::string_view(data + pos, size - pos));
            if (m == BoundaryMatch::Open || m == BoundaryMatch::Close) {
                m_scanPos = pos;
                return pos;
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
    m_scanPos = pos;
    // A boundary found later starts here or after, and the body ends no
    // earlier than the line end before it.
    lowerBound = pos > 2 ? pos - 2 : 0;
    return std::nullopt;
}

// Whether the announced length is borne out by what follows it: a line end
// or a boundary line.
PartBody::Verdict PartBody::judgeLength() const
{
    const std::size_t cl = *m_contentLength;
    const std::string_view after = std::string_view(m_body).substr(std::min(cl, m_body.size()));
    if (after.empty())
        return Verdict::Undecided;
    if (after.front() == '\n' || isPadding(after.front())) {
        std::size_t i = 0;
        while (i < after.size() && isPadding(after[i])) {
            if (++i > kMaxPadding)
                return Verdict::Lie;
        }
        if (i == after.size())
            return Verdict::Undecided;
        return after[i] == '\n' ? Verdict::Honest : Verdict::Lie;
    }
    switch (matchAt(after)) {
    case BoundaryMatch::Incomplete:
        return Verdict::Undecided;
    case BoundaryMatch::No:
        return Verdict::Lie;
    default:
        return Verdict::Honest;
    }
}

std::size_t PartBody::bodyEndBefore(std::size_t lineStart) const
{
    if (lineStart == 0)
        return 0;
    std::size_t end = lineStart - 1; // the line end before a boundary belongs to it
    if (end > 0 && m_body[end - 1] == '\r')
        --end;
    return end;
}

std::optional<PartBody::End> PartBody::findEnd()
{
    std::size_t lowerBound = 0;
    const std::optional<std::size_t> boundary = searchBoundary(lowerBound);
    if (m_discarding) {
        if (boundary)
            return End { 0, *boundary };
        trimDiscarded();
        return std::nullopt;
    }
    if (m_contentLength) {
        if (boundary && *boundary < *m_contentLength) // the length was too long
            return End { bodyEndBefore(*boundary), *boundary };
        switch (judgeLength()) {
        case Verdict::Honest:
            return End { *m_contentLength, *m_contentLength };
        case Verdict::Undecided:
            return std::nullopt;
        case Verdict::Lie:
            m_contentLength.reset();
            break;
        }
    }
    if (boundary)
        return End { bodyEndBefore(*boundary), *boundary };
    if (lowerBound > m_maxPart) {
        ++m_dropped;
        m_discarding = true;
        trimDiscarded();
    }
    return std::nullopt;
}

// While discarding, keeps only the line the search stopped at.
void PartBody::trimDiscarded()
{
    const std::size_t cut = m_scanPos;
    if (cut == 0)
        return;
    m_startsLine = m_body[cut - 1] == '\n';
    m_body.erase(0, cut);
    m_scanPos = 0;
}

PartBody::Step PartBody::feed(std::string_view bytes)
{
    Step step;
    while (step.consumed < bytes.size()) {
        std::size_t n = std::min(kSlice, bytes.size() - step.consumed);
        if (m_contentLength && !m_discarding) {
            // Take no more than judging the length needs, so that the next
            // part's bytes are not copied here first.
            const std::size_t window = *m_contentLength + longestKey() + kJudgeWindow;
            if (m_body.size() < window)
                n = std::min(n, window - m_body.size());
        }
        const std::size_t old = m_body.size();
        append(bytes.substr(step.consumed, n));
        step.consumed += n;
        const std::optional<End> end = findEnd();
        if (!end)
            continue;
        if (end->resume >= old) {
            step.consumed -= m_body.size() - end->resume;
        } else {
            step.consumed -= n;
            step.putBack.assign(m_body, end->resume, old - end->resume);
        }
        step.ended = true;
        step.picture = finish(end->bodyEnd);
        return step;
    }
    return step;
}

std::optional<std::string> PartBody::finish(std::size_t bodyEnd)
{
    std::optional<std::string> picture;
    if (m_discarding) {
        std::string().swap(m_body);
    } else if (bodyEnd > m_maxPart) {
        ++m_dropped;
        std::string().swap(m_body);
    } else if (bodyEnd > 0) {
        m_body.resize(bodyEnd);
        m_lastSize = bodyEnd;
        picture = std::move(m_body);
    }
    m_body.clear();
    m_contentLength.reset();
    m_discarding = false;
    return picture;
}

} // namespace media::multipart_text
