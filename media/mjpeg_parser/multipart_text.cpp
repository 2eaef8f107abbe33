// SPDX-License-Identifier: GPL-2.0-or-later
#include "media/mjpeg_parser/multipart_text.h"

#include "core/util/ascii_text.h"

namespace media::multipart_text {

bool isTokenChar(unsigned char c)
{
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return true;
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '\'':
    case '*':
    case '+':
    case '-':
    case '.':
    case '^':
    case '_':
    case '`':
    case '|':
    case '~':
        return true;
    default:
        return false;
    }
}

std::string_view withoutNewline(std::string_view line)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

BoundaryMatch matchBoundaryEnd(std::string_view rest)
{
    if (rest.empty())
        return BoundaryMatch::Incomplete;
    if (rest.front() == '-') {
        if (rest.size() < 2)
            return BoundaryMatch::Incomplete;
        return rest[1] == '-' ? BoundaryMatch::Close : BoundaryMatch::No;
    }
    std::size_t i = 0;
    while (i < rest.size() && isPadding(rest[i])) {
        if (++i > kMaxPadding)
            return BoundaryMatch::No;
    }
    if (i == rest.size())
        return BoundaryMatch::Incomplete;
    return rest[i] == '\n' ? BoundaryMatch::Open : BoundaryMatch::No;
}

BoundaryMatch matchBoundaryAt(std::string_view s, std::string_view key)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == '-') {
        if (++i > kMaxLeadingDashes)
            return BoundaryMatch::No;
    }
    for (std::size_t k = 0; k < key.size(); ++k) {
        if (i + k >= s.size())
            return BoundaryMatch::Incomplete;
        if (s[i + k] != key[k])
            return BoundaryMatch::No;
    }
    return matchBoundaryEnd(s.substr(i + key.size()));
}

BoundaryMatch matchBoundaryLine(std::string_view line, std::string_view key)
{
    std::size_t dashes = 0;
    while (dashes < line.size() && line[dashes] == '-') {
        if (++dashes > kMaxLeadingDashes)
            return BoundaryMatch::No;
    }
    const std::string_view rest = line.substr(dashes);
    if (rest.substr(0, key.size()) != key)
        return BoundaryMatch::No;
    const std::string_view after = rest.substr(key.size());
    if (after.substr(0, 2) == "--")
        return BoundaryMatch::Close;
    if (after.size() > kMaxPadding)
        return BoundaryMatch::No;
    for (char c : after) {
        if (!isPadding(c))
            return BoundaryMatch::No;
    }
    return BoundaryMatch::Open;
}

std::optional<std::string> boundaryOfFirstLine(std::string_view line)
{
    std::size_t dashes = 0;
    while (dashes < line.size() && line[dashes] == '-')
        ++dashes;
    if (dashes < 2 || dashes > kMaxLeadingDashes)
        return std::nullopt;
    std::string_view rest = line.substr(dashes);
    while (!rest.empty() && isPadding(rest.back()))
        rest.remove_suffix(1);
    if (rest.empty() || rest.size() > kMaxAutoBoundary)
        return std::nullopt;
    for (char c : rest) {
        // Printable text only: a binary preamble line is not a boundary.
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
            return std::nullopt;
    }
    return std::string(rest);
}

std::optional<std::pair<std::string, std::string>> parseHeaderLine(std::string_view line)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && isPadding(name.back()))
        name.remove_suffix(1);
    if (name.empty())
        return std::nullopt;
    for (char c : name) {
        if (!isTokenChar(static_cast<unsigned char>(c)))
            return std::nullopt;
    }
    return std::make_pair(util::asciiLower(name), std::string(util::trimAsciiSpace(line.substr(colon + 1))));
}

void appendFolded(std::string& value, std::string_view more)
{
    if (more.empty())
        return;
    if (!value.empty())
        value.push_back(' ');
    value.append(more);
}

} // namespace media::multipart_text
