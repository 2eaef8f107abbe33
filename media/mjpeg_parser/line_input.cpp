// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg_parser/line_input.h"

#include <cstring>

namespace media::multipart_text {
namespace {

// Length up to and including the first '\n', or npos.
std::size_t lineLength(std::string_view s)
{
    const void* nl = s.empty() ? nullptr : std::memchr(s.data(), '\n', s.size());
    return nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - s.data()) + 1
              : std::string_view::npos;
}

} // namespace

void LineInput::endFeed()
{
    m_input = {};
    if (m_pendingPos > 0) {
        m_pending.erase(0, m_pendingPos);
        m_pendingPos = 0;
    }
}

int LineInput::peek(std::size_t offset) const
{
    const std::size_t held = m_pending.size() - m_pendingPos;
    if (offset < held)
        return static_cast<unsigned char>(m_pending[m_pendingPos + offset]);
    offset -= held;
    if (offset < m_input.size())
        return static_cast<unsigned char>(m_input[offset]);
    return -1;
}

void LineInput::holdRest()
{
    m_pending.erase(0, m_pendingPos);
    m_pendingPos = 0;
    m_pending.append(m_input.data(), m_input.size());
    m_input = {};
}

LineInput::Result LineInput::nextLine(std::size_t limit, std::string_view& line)
{
    if (hasPending()) {
        const std::string_view held = std::string_view(m_pending).substr(m_pendingPos);
        const std::size_t len = lineLength(held);
        if (len != std::string_view::npos) {
            m_pendingPos += len;
            line = held.substr(0, len);
            return len > limit ? Result::Long : Result::Line;
        }
        const std::size_t inputLen = lineLength(m_input);
        const bool ends = inputLen != std::string_view::npos;
        const std::size_t take = ends ? inputLen : m_input.size();
        if (held.size() + take > limit) {
            m_pending.clear();
            m_pendingPos = 0;
            m_input.remove_prefix(take);
            m_skipToEol = !ends;
            return Result::Long;
        }
        m_pending.erase(0, m_pendingPos);
        m_pendingPos = 0;
        m_pending.append(m_input.data(), take);
        m_input.remove_prefix(take);
        if (!ends)
            return Result::NeedMore;
        m_pendingPos = m_pending.size();
        line = m_pending;
        return Result::Line;
    }
    m_pending.clear();
    m_pendingPos = 0;
    const std::size_t len = lineLength(m_input);
    if (len != std::string_view::npos) {
        line = m_input.substr(0, len);
        m_input.remove_prefix(len);
        return len > limit ? Result::Long : Result::Line;
    }
    if (m_input.size() > limit) {
        m_input = {};
        m_skipToEol = true;
        return Result::Long;
    }
    m_pending.assign(m_input.data(), m_input.size());
    m_input = {};
    return Result::NeedMore;
}

bool LineInput::finishSkippedLine()
{
    if (!m_skipToEol)
        return true;
    if (hasPending()) {
        const std::size_t nl = m_pending.find('\n', m_pendingPos);
        if (nl != std::string::npos) {
            m_pendingPos = nl + 1;
            m_skipToEol = false;
            return true;
        }
        m_pending.clear();
        m_pendingPos = 0;
    }
    const std::size_t len = lineLength(m_input);
    if (len == std::string_view::npos) {
        m_input = {};
        return false;
    }
    m_input.remove_prefix(len);
    m_skipToEol = false;
    return true;
}

std::string_view LineInput::available() const
{
    return hasPending() ? std::string_view(m_pending).substr(m_pendingPos) : m_input;
}

void LineInput::consume(std::size_t n)
{
    if (!hasPending()) {
        m_input.remove_prefix(n);
        return;
    }
    m_pendingPos += n;
    if (!hasPending()) {
        m_pending.clear();
        m_pendingPos = 0;
    }
}

void LineInput::putBack(std::string bytes)
{
    if (bytes.empty())
        return;
    if (hasPending())
        bytes.append(m_pending, m_pendingPos);
    m_pending = std::move(bytes);
    m_pendingPos = 0;
}

} // namespace media::multipart_text
