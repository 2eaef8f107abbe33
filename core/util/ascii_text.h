// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// ASCII case and white space of protocol text (HTTP headers, URL schemes,
// command-line switches). Unlike std::tolower and std::isspace these never
// depend on the process locale, so a Turkish or any other locale cannot
// change how "Content-Type" or "HTTPS" compares.
//
// Thread: any (pure functions).
#include <string>
#include <string_view>

namespace util {

// Space, tab, carriage return, line feed, vertical tab and form feed.
constexpr bool isAsciiSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// `text` with A to Z made a to z; every other byte (UTF-8 included) as it is.
std::string asciiLower(std::string_view text);

// Whether `text` equals `lower` (given in lower case) ignoring ASCII case.
bool equalsAsciiLower(std::string_view text, std::string_view lower);

// Whether `text` starts with `lowerPrefix` (given in lower case) ignoring ASCII case.
bool startsWithAsciiLower(std::string_view text, std::string_view lowerPrefix);

// `text` without ASCII white space at either end.
std::string_view trimAsciiSpace(std::string_view text);

} // namespace util
