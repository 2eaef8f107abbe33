// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Conversions between the encodings a .reg file may use and the UTF-8 that
// the registry's "A" entry points take on Linux. Pure functions, any thread.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace regfile {

using Bytes = std::vector<std::uint8_t>;

// UTF-16LE bytes (no BOM) for UTF-8 text; nullopt when the text is not valid UTF-8.
std::optional<Bytes> utf8ToUtf16le(std::string_view utf8);

// UTF-16LE bytes for UTF-8 text where each malformed byte becomes U+FFFD.
Bytes utf8ToUtf16leLossy(std::string_view utf8);

// UTF-8 text for UTF-16LE bytes; nullopt for an odd byte count or an unpaired
// surrogate, whose byte offset then goes to `badOffset` when given.
std::optional<std::string> utf16leToUtf8(
    const std::uint8_t* data, std::size_t size, std::size_t* badOffset = nullptr);
inline std::optional<std::string> utf16leToUtf8(const Bytes& bytes)
{
    return utf16leToUtf8(bytes.data(), bytes.size());
}

// True for valid UTF-8; otherwise false with the offset of the first bad byte in `badOffset`.
bool isValidUtf8(std::string_view text, std::size_t* badOffset = nullptr);

// `text` in double quotes for an error message, cut after kExcerptChars
// characters and marked with "…": a token read from a file can be megabytes long.
inline constexpr std::size_t kExcerptChars = 60;
std::string quotedExcerpt(std::string_view text);

} // namespace regfile
