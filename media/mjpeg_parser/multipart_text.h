// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Line-level pieces of the multipart parser: boundary lines, header lines and
// the character classes they use. Pure functions; any thread.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace media::multipart_text {

// A boundary line has at most this many dashes before the boundary and this
// many blanks after it; anything longer is not one. The bounds keep the
// parser's look-behind and look-ahead small.
constexpr std::size_t kMaxLeadingDashes = 32;
constexpr std::size_t kMaxPadding = 32;
// Longest boundary learned from the stream when none was declared.
constexpr std::size_t kMaxAutoBoundary = 256;

enum class BoundaryMatch { No, Open, Close, Incomplete };

inline bool isPadding(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool isTokenChar(unsigned char c);

// The line without its '\n' and a '\r' before it.
std::string_view withoutNewline(std::string_view line);

// A complete line (without '\n') compared with the boundary `key`.
BoundaryMatch matchBoundaryLine(std::string_view line, std::string_view key);
// `rest` follows the boundary text on its line: "--", or blanks then '\n'.
BoundaryMatch matchBoundaryEnd(std::string_view rest);
// `s` starts where a boundary line may start (dashes, the key, its end).
BoundaryMatch matchBoundaryAt(std::string_view s, std::string_view key);
// The boundary a "--..." line names, when no boundary was declared.
std::optional<std::string> boundaryOfFirstLine(std::string_view line);

// "Name: value" with the name lower-cased and the value trimmed.
std::optional<std::pair<std::string, std::string>> parseHeaderLine(std::string_view line);
// Adds an obsolete folded continuation line to a header value.
void appendFolded(std::string& value, std::string_view more);

} // namespace media::multipart_text
