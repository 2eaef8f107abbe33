// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/text_encoding.h"

namespace regfile {
namespace {

// Decodes one code point at `pos`; returns false on a malformed, overlong or
// surrogate sequence.
bool decodeUtf8(std::string_view s, std::size_t& pos, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    char32_t min = 0;
    if (b0 < 0x80) {
        cp = b0;
        ++pos;
        return true;
    } else if ((b0 & 0xE0) == 0xC0) {
        cp = b0 & 0x1F;
        extra = 1;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F;
        extra = 2;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        cp = b0 & 0x07;
        extra = 3;
        min = 0x10000;
    } else {
        return false;
    }
    if (pos + extra >= s.size())
        return false;
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return false;
    pos += extra + 1;
    return true;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void appendUnit(Bytes& out, std::uint16_t unit)
{
    out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

} // namespace

bool isValidUtf8(std::string_view text, std::size_t* badOffset)
{
    std::size_t pos = 0;
    char32_t cp = 0;
    while (pos < text.size()) {
        if (!decodeUtf8(text, pos, cp)) {
            if (badOffset)
                *badOffset = pos;
            return false;
        }
    }
    return true;
}

namespace {

std::optional<Bytes> toUtf16le(std::string_view utf8, bool lossy)
{
    Bytes out;
    out.reserve(utf8.size() * 2);
    std::size_t pos = 0;
    char32_t cp = 0;
    while (pos < utf8.size()) {
        if (!decodeUtf8(utf8, pos, cp)) {
            if (!lossy)
                return std::nullopt;
            cp = 0xFFFD;
            ++pos;
        }
        if (cp >= 0x10000) {
            const char32_t v = cp - 0x10000;
            appendUnit(out, static_cast<std::uint16_t>(0xD800 + (v >> 10)));
            appendUnit(out, static_cast<std::uint16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            appendUnit(out, static_cast<std::uint16_t>(cp));
        }
    }
    return out;
}

} // namespace

std::optional<Bytes> utf8ToUtf16le(std::string_view utf8)
{
    return toUtf16le(utf8, false);
}

Bytes utf8ToUtf16leLossy(std::string_view utf8)
{
    return *toUtf16le(utf8, true);
}

std::optional<std::string> utf16leToUtf8(const std::uint8_t* data, std::size_t size, std::size_t* badOffset)
{
    const auto fail = [badOffset](std::size_t offset) -> std::optional<std::string> {
        if (badOffset)
            *badOffset = offset;
        return std::nullopt;
    };
    if (size % 2 != 0)
        return fail(size - 1);
    std::string out;
    out.reserve(size / 2);
    for (std::size_t i = 0; i < size; i += 2) {
        const char32_t unit = data[i] | (data[i + 1] << 8);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= size)
                return fail(i);
            const char32_t low = data[i + 2] | (data[i + 3] << 8);
            if (low < 0xDC00 || low > 0xDFFF)
                return fail(i);
            appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return fail(i);
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

std::string quotedExcerpt(std::string_view text)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A cut only before the first byte of a character keeps the excerpt valid UTF-8.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && characters++ == kExcerptChars)
            return "\"" + std::string(text.substr(0, i)) + "\xE2\x80\xA6\"";
    }
    return "\"" + std::string(text) + "\"";
}

} // namespace regfile
