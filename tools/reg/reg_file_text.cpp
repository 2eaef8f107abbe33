// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/reg_file_text.h"

#include <algorithm>

namespace regfile {
namespace {

int lineOfOffset(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    const auto upTo = text.substr(0, offset);
    int line = 1;
    for (std::size_t i = 0; i < upTo.size(); ++i) {
        // A CR at the very end may be the first half of the CRLF the fault is in.
        if (upTo[i] == '\n' || (upTo[i] == '\r' && i + 1 < upTo.size() && upTo[i + 1] != '\n'))
            ++line;
    }
    return line;
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

} // namespace

std::variant<FileText, ParseError> decodeRegFileText(const Bytes& content)
{
    FileText result;
    std::string text;
    const auto* data = content.data();
    const auto size = content.size();

    if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF)
        return ParseError { 0,
            "the file is UTF-16 big-endian text, which regedit does not write; save it as"
            " Unicode (UTF-16LE) or UTF-8" };
    const bool utf16Bom = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
    const bool utf16NoBom = !utf16Bom && size >= 2 && data[0] != 0 && data[1] == 0;
    if (utf16Bom || utf16NoBom) {
        const std::size_t skip = utf16Bom ? 2 : 0;
        std::size_t bad = 0;
        auto decoded = utf16leToUtf8(data + skip, size - skip, &bad);
        if (!decoded) {
            const auto before = utf16leToUtf8(data + skip, bad & ~std::size_t { 1 });
            return ParseError { lineOfOffset(before.value_or(""), std::string::npos),
                "the line is not valid UTF-16LE text (a cut-off file, or a stray byte)" };
        }
        result.encoding = Encoding::Utf16le;
        text = std::move(*decoded);
    } else {
        const std::size_t skip = (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) ? 3 : 0;
        text.assign(reinterpret_cast<const char*>(data) + skip, size - skip);
        std::size_t bad = 0;
        if (!isValidUtf8(text, &bad))
            return ParseError { lineOfOffset(text, bad),
                "the line is not valid UTF-8 text; a file saved in a Windows code page must be"
                " exported again by regedit as \"Registration Files (*.reg)\" (Unicode)" };
        result.encoding = Encoding::Utf8;
    }

    if (const auto nul = text.find('\0'); nul != std::string::npos)
        return ParseError { lineOfOffset(text, nul), "the line contains a NUL character" };
    result.lines = splitLines(text);
    return result;
}

} // namespace regfile
