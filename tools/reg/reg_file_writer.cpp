// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/reg_file_writer.h"

#include <cstdio>

namespace regfile {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
// regedit breaks a hex line once it passes this column, so that with the
// trailing '\' no line is wider than 80 characters.
constexpr std::size_t kWrapColumn = 76;

std::string escaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// A REG_SZ is written as "text" only when that reads back to the same bytes:
// valid UTF-8, one final NUL, no other NUL and no line break.
bool fitsQuotedText(const Bytes& bytes)
{
    if (bytes.empty() || bytes.back() != 0)
        return false;
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos && isValidUtf8(text);
}

std::string hexLine(std::string prefix, const Bytes& bytes)
{
    std::string line = std::move(prefix);
    std::size_t column = line.size();
    char buf[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        std::snprintf(buf, sizeof buf, last ? "%02x" : "%02x,", bytes[i]);
        line += buf;
        column += last ? 2 : 3;
        if (!last && column > kWrapColumn) {
            line += '\\';
            line += kLineEnd;
            line += "  ";
            column = 2;
        }
    }
    return line;
}

Bytes encode(std::string_view text, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return Bytes(text.begin(), text.end());
    Bytes out { 0xFF, 0xFE };
    const auto utf16 = utf8ToUtf16leLossy(text);
    out.insert(out.end(), utf16.begin(), utf16.end());
    return out;
}

} // namespace

std::string formatValueLine(const ValueEntry& value, Format format)
{
    std::string line = value.name.empty() ? std::string("@") : escaped(value.name);
    line += '=';
    if (!value.data)
        return line + '-';

    const ValueData& data = *value.data;
    if (data.type == type::Sz && fitsQuotedText(data.bytes)) {
        const std::string_view text(reinterpret_cast<const char*>(data.bytes.data()), data.bytes.size() - 1);
        return line + escaped(text);
    }
    if (data.type == type::Dword && data.bytes.size() == 4) {
        const std::uint32_t v = data.bytes[0] | (data.bytes[1] << 8) | (data.bytes[2] << 16)
            | (static_cast<std::uint32_t>(data.bytes[3]) << 24);
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(v));
        return line + buf;
    }

    if (data.type == type::Binary) {
        line += "hex:";
    } else {
        char buf[24];
        std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(data.type));
        line += buf;
    }
    if (isStringType(data.type) && format == Format::Version5) {
        const std::string_view text(reinterpret_cast<const char*>(data.bytes.data()), data.bytes.size());
        return hexLine(std::move(line), utf8ToUtf16leLossy(text));
    }
    return hexLine(std::move(line), data.bytes);
}

Bytes writeRegFile(const RegFile& file)
{
    std::string text(file.format == Format::Version5 ? kVersion5Header : kRegedit4Header);
    text += kLineEnd;
    text += kLineEnd;
    for (const auto& section : file.sections) {
        text += section.remove ? "[-" : "[";
        text += section.key.fullName();
        text += ']';
        text += kLineEnd;
        for (const auto& value : section.values) {
            text += formatValueLine(value, file.format);
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return encode(text, file.encoding);
}

} // namespace regfile
