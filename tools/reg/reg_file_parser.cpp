// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/reg_file_parser.h"

#include "tools/reg/reg_file_text.h"

#include <cstdio>

namespace regfile {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimLeft(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view trimRight(std::string_view s)
{
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// What may follow a complete entry on its line: blanks, or a ';' comment.
bool onlyCommentLeft(std::string_view rest)
{
    rest = trimLeft(rest);
    return rest.empty() || rest.front() == ';';
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && namesEqual(s.substr(0, prefix.size()), prefix);
}

std::string typeLabel(std::uint32_t valueType)
{
    switch (valueType) {
    case type::Sz:
        return "REG_SZ";
    case type::ExpandSz:
        return "REG_EXPAND_SZ";
    case type::MultiSz:
        return "REG_MULTI_SZ";
    default:
        return "hex(" + std::to_string(valueType) + ")";
    }
}

class Parser {
public:
    explicit Parser(FileText text)
        : m_lines(std::move(text.lines))
    {
        m_file.encoding = text.encoding;
    }

    std::variant<RegFile, ParseError> run()
    {
        if (!readHeader())
            return m_error;
        while (m_next < m_lines.size()) {
            const int lineNo = static_cast<int>(m_next) + 1;
            const std::string_view line = trimLeft(m_lines[m_next++]);
            if (line.empty() || line.front() == ';')
                continue;
            bool ok = false;
            if (line.front() == '[')
                ok = keyLine(line, lineNo);
            else if (line.front() == '"' || line.front() == '@')
                ok = valueLine(line, lineNo);
            else
                ok = fail(
                    lineNo, "expected a key in [brackets], a value (\"name\"=... or @=...) or a ;comment");
            if (!ok)
                return m_error;
        }
        return std::move(m_file);
    }

private:
    bool fail(int line, std::string reason)
    {
        m_error = ParseError { line, std::move(reason) };
        return false;
    }

    bool readHeader()
    {
        while (m_next < m_lines.size() && trimRight(m_lines[m_next]).empty())
            ++m_next;
        if (m_next == m_lines.size())
            return fail(0,
                "the file is empty; a registry file starts with \"Windows Registry Editor Version"
                " 5.00\" or \"REGEDIT4\"");
        const int lineNo = static_cast<int>(m_next) + 1;
        const auto header = trimRight(m_lines[m_next++]);
        if (header == kVersion5Header)
            m_file.format = Format::Version5;
        else if (header == kRegedit4Header)
            m_file.format = Format::Regedit4;
        else
            return fail(lineNo,
                "the file does not start with \"Windows Registry Editor Version 5.00\" or"
                " \"REGEDIT4\", so it is not a registry file");
        return true;
    }

    bool keyLine(std::string_view line, int lineNo)
    {
        const auto close = line.rfind(']');
        if (close == std::string_view::npos)
            return fail(lineNo, "the key name has no closing ']'");
        if (!onlyCommentLeft(line.substr(close + 1)))
            return fail(lineNo, "unexpected text after the key name's closing ']'");
        std::string_view name = line.substr(1, close - 1);
        KeySection section;
        section.line = lineNo;
        if (!name.empty() && name.front() == '-') {
            section.remove = true;
            name.remove_prefix(1);
        }
        if (name.empty())
            return fail(lineNo, "the key name between [ and ] is empty");
        std::string error;
        auto key = parseKeyPath(name, false, error);
        if (!key)
            return fail(lineNo, error);
        if (section.remove && key->isRoot())
            return fail(lineNo, "a root key cannot be deleted");
        section.key = std::move(*key);
        m_file.sections.push_back(std::move(section));
        return true;
    }

    // Reads "..." with the \\ and \" escapes from the start of `s`; the rest
    // of the line after the closing quote goes to `rest`.
    bool quoted(std::string_view s, int lineNo, std::string& out, std::string_view& rest, const char* what)
    {
        out.clear();
        for (std::size_t i = 1; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"') {
                rest = s.substr(i + 1);
                return true;
            }
            if (c == '\\') {
                if (i + 1 >= s.size())
                    break;
                const char next = s[++i];
                if (next != '\\' && next != '"')
                    return fail(lineNo,
                        std::string("unknown escape \\") + next + " in the " + what
                            + " (write \\\\ for a backslash and \\\" for a quote)");
                out += next;
            } else {
                out += c;
            }
        }
        return fail(lineNo, std::string("the ") + what + " has no closing quote");
    }

    bool valueLine(std::string_view line, int lineNo)
    {
        if (m_file.sections.empty())
            return fail(lineNo, "a value comes before the first [key]");
        if (m_file.sections.back().remove)
            return fail(lineNo, "a value follows a key deletion [-...]; values belong to a key that is kept");

        ValueEntry value;
        value.line = lineNo;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else if (!quoted(line, lineNo, value.name, rest, "value name")) {
            return false;
        }
        rest = trimLeft(rest);
        if (rest.empty() || rest.front() != '=')
            return fail(lineNo, "expected '=' after the value name");
        rest = trimLeft(rest.substr(1));

        if (!valueData(rest, lineNo, value))
            return false;
        m_file.sections.back().values.push_back(std::move(value));
        return true;
    }

    bool valueData(std::string_view data, int lineNo, ValueEntry& value)
    {
        if (!data.empty() && data.front() == '-') {
            if (!onlyCommentLeft(data.substr(1)))
                return fail(lineNo, "unexpected text after '=-' (a value deletion)");
            value.data.reset();
            return true;
        }
        if (!data.empty() && data.front() == '"') {
            std::string text;
            std::string_view rest;
            if (!quoted(data, lineNo, text, rest, "text"))
                return false;
            if (!onlyCommentLeft(rest))
                return fail(lineNo, "unexpected text after the closing quote");
            ValueData result { type::Sz, Bytes(text.begin(), text.end()) };
            result.bytes.push_back(0);
            value.data = std::move(result);
            return true;
        }
        if (startsWithNoCase(data, "dword:"))
            return dword(data.substr(6), lineNo, value);
        if (startsWithNoCase(data, "hex"))
            return hex(data.substr(3), lineNo, value);
        return fail(lineNo, "the value data must be \"text\", dword:, hex:, hex(N): or - (delete)");
    }

    bool dword(std::string_view digits, int lineNo, ValueEntry& value)
    {
        std::uint32_t v = 0;
        std::size_t n = 0;
        while (n < digits.size() && hexDigit(digits[n]) >= 0) {
            if (n == 8)
                return fail(lineNo, "a dword has at most 8 hex digits");
            v = (v << 4) | static_cast<std::uint32_t>(hexDigit(digits[n]));
            ++n;
        }
        if (n == 0)
            return fail(lineNo, "dword: must be followed by 1 to 8 hex digits, e.g. dword:00000258");
        if (!onlyCommentLeft(digits.substr(n)))
            return fail(lineNo, "unexpected text after the dword's hex digits");
        value.data = ValueData { type::Dword,
            { static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24) } };
        return true;
    }

    // "hex:" or "hex(N):" followed by comma separated bytes; a line that ends
    // in '\' goes on in the next line.
    bool hex(std::string_view s, int lineNo, ValueEntry& value)
    {
        std::uint32_t valueType = type::Binary;
        if (!s.empty() && s.front() == '(') {
            const auto close = s.find(')');
            if (close == std::string_view::npos || close == 1 || close > 9)
                return fail(lineNo, "hex( must be followed by a type number of 1 to 8 hex digits and ')'");
            valueType = 0;
            for (char c : s.substr(1, close - 1)) {
                if (hexDigit(c) < 0)
                    return fail(lineNo, "the type in hex(...) must be a hex number, e.g. hex(7)");
                valueType = (valueType << 4) | static_cast<std::uint32_t>(hexDigit(c));
            }
            s = s.substr(close + 1);
        }
        if (s.empty() || s.front() != ':')
            return fail(lineNo, "expected ':' after hex or hex(N)");
        s.remove_prefix(1);

        Bytes bytes;
        int segmentLine = lineNo;
        for (;;) {
            bool continued = false;
            if (!hexSegment(s, segmentLine, bytes, continued))
                return false;
            if (!continued)
                break;
            if (m_next >= m_lines.size())
                return fail(segmentLine, "the line ends in '\\' but the file ends there");
            segmentLine = static_cast<int>(m_next) + 1;
            s = m_lines[m_next++];
        }

        ValueData result { valueType, std::move(bytes) };
        if (isStringType(valueType) && !stringDataToUtf8(result, lineNo))
            return false;
        value.data = std::move(result);
        return true;
    }

    bool hexSegment(std::string_view s, int lineNo, Bytes& bytes, bool& continued)
    {
        if (const auto comment = s.find(';'); comment != std::string_view::npos)
            s = s.substr(0, comment);
        s = trimRight(s);
        continued = !s.empty() && s.back() == '\\';
        if (continued)
            s.remove_suffix(1);
        s = trimLeft(s);
        while (!s.empty()) {
            const auto comma = s.find(',');
            const auto token = trimRight(trimLeft(s.substr(0, comma)));
            const bool lastToken = comma == std::string_view::npos;
            if (token.empty()) {
                if (!lastToken)
                    return fail(lineNo, "two commas without a hex byte between them");
            } else if (token.size() > 2 || hexDigit(token[0]) < 0
                || (token.size() == 2 && hexDigit(token[1]) < 0)) {
                return fail(lineNo, quotedExcerpt(token) + " is not a hex byte (two hex digits, e.g. 0a)");
            } else {
                int v = hexDigit(token[0]);
                if (token.size() == 2)
                    v = v * 16 + hexDigit(token[1]);
                bytes.push_back(static_cast<std::uint8_t>(v));
            }
            if (lastToken)
                break;
            s = s.substr(comma + 1);
        }
        return true;
    }

    // Version 5 files hold string data as UTF-16LE, as Windows stores them;
    // the "A" entry points here take UTF-8.
    bool stringDataToUtf8(ValueData& data, int lineNo)
    {
        if (m_file.format == Format::Version5) {
            auto text = utf16leToUtf8(data.bytes);
            if (!text)
                return fail(lineNo,
                    "the " + typeLabel(data.type)
                        + " data are not UTF-16LE text (an odd number of bytes or a broken surrogate"
                          " pair)");
            data.bytes.assign(text->begin(), text->end());
        } else if (!isValidUtf8(std::string_view(
                       reinterpret_cast<const char*>(data.bytes.data()), data.bytes.size()))) {
            return fail(lineNo, "the " + typeLabel(data.type) + " data are not UTF-8 text");
        }
        return true;
    }

    std::vector<std::string> m_lines;
    std::size_t m_next = 0;
    RegFile m_file;
    ParseError m_error;
};

} // namespace

bool isStringType(std::uint32_t valueType)
{
    return valueType == type::Sz || valueType == type::ExpandSz || valueType == type::MultiSz;
}

std::variant<RegFile, ParseError> parseRegFile(const Bytes& fileContent)
{
    auto text = decodeRegFileText(fileContent);
    if (auto* error = std::get_if<ParseError>(&text))
        return *error;
    return Parser(std::move(std::get<FileText>(text))).run();
}

} // namespace regfile
