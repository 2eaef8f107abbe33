// SPDX-License-Identifier: GPL-2.0-or-later
// Reading .reg files: every entry form regedit writes, the encodings, and the
// line number and reason of each fault.
#include "tools/reg/reg_file_parser.h"

#include <gmock/gmock.h>

#include <string>

using namespace regfile;
using testing::HasSubstr;

namespace {

Bytes utf8File(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

Bytes utf16File(std::string_view text, bool bom = true)
{
    Bytes out;
    if (bom)
        out = { 0xFF, 0xFE };
    auto body = utf8ToUtf16le(text);
    out.insert(out.end(), body->begin(), body->end());
    return out;
}

RegFile parseOk(const Bytes& bytes)
{
    auto result = parseRegFile(bytes);
    if (auto* error = std::get_if<ParseError>(&result)) {
        ADD_FAILURE() << "line " << error->line << ": " << error->reason;
        return {};
    }
    return std::get<RegFile>(result);
}

Bytes le32(std::uint32_t v)
{
    return { static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
        static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24) };
}

Bytes sz(std::string_view text)
{
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

const std::string kV5 = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n";
const std::string kV4 = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n";

struct ValueCase {
    const char* label;
    std::string file;
    std::string name;
    std::optional<ValueData> data;
};

class ValueForms : public testing::TestWithParam<ValueCase> { };

TEST_P(ValueForms, ReadsNameTypeAndBytes)
{
    const auto& c = GetParam();
    const auto file = parseOk(utf8File(c.file));
    ASSERT_EQ(file.sections.size(), 1u);
    ASSERT_EQ(file.sections[0].values.size(), 1u);
    const auto& value = file.sections[0].values[0];
    EXPECT_EQ(value.name, c.name);
    EXPECT_EQ(value.data, c.data);
}

INSTANTIATE_TEST_SUITE_P(RegFileParser, ValueForms,
    testing::Values(ValueCase { "text", kV5 + "\"IPAddress\"=\"10.0.0.5\"\r\n", "IPAddress",
                        ValueData { type::Sz, sz("10.0.0.5") } },
        ValueCase { "empty_text", kV5 + "\"Title\"=\"\"\r\n", "Title", ValueData { type::Sz, sz("") } },
        ValueCase { "escapes", kV5 + "\"a\\\\b\\\"c\"=\"C:\\\\dir\\\\\\\"q\\\"\"\r\n", "a\\b\"c",
            ValueData { type::Sz, sz("C:\\dir\\\"q\"") } },
        ValueCase { "semicolon_inside_text", kV5 + "\"x\"=\"a;b\" ; comment\r\n", "x",
            ValueData { type::Sz, sz("a;b") } },
        ValueCase { "default_value", kV5 + "@=\"deflt\"\r\n", "", ValueData { type::Sz, sz("deflt") } },
        ValueCase { "unicode_text", kV5 + "\"T\"=\"Kamera \xC3\xA4\xE2\x82\xAC\"\r\n", "T",
            ValueData { type::Sz, sz("Kamera \xC3\xA4\xE2\x82\xAC") } },
        ValueCase { "dword", kV5 + "\"CameraSize0to1500\"=dword:00000258\r\n", "CameraSize0to1500",
            ValueData { type::Dword, le32(600) } },
        ValueCase {
            "dword_short_upper", kV5 + "\"d\"=DWORD:FF\r\n", "d", ValueData { type::Dword, le32(255) } },
        ValueCase {
            "dword_max", kV5 + "\"d\"=dword:ffffffff\r\n", "d", ValueData { type::Dword, le32(0xffffffff) } },
        ValueCase {
            "binary", kV5 + "\"b\"=hex:01,ab,FF\r\n", "b", ValueData { type::Binary, { 0x01, 0xab, 0xff } } },
        ValueCase { "binary_empty", kV5 + "\"b\"=hex:\r\n", "b", ValueData { type::Binary, {} } },
        ValueCase { "qword", kV5 + "\"q\"=hex(b):01,02,03,04,05,06,07,08\r\n", "q",
            ValueData { type::Qword, { 1, 2, 3, 4, 5, 6, 7, 8 } } },
        ValueCase { "expand_sz_utf16", kV5 + "\"e\"=hex(2):25,00,41,00,25,00,00,00\r\n", "e",
            ValueData { type::ExpandSz, sz("%A%") } },
        ValueCase { "multi_sz_utf16", kV5 + "\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n", "m",
            ValueData { type::MultiSz, Bytes { 'a', 0, 'b', 0, 0 } } },
        ValueCase { "sz_as_hex1", kV5 + "\"s\"=hex(1):41,00,0a,00,00,00\r\n", "s",
            ValueData { type::Sz, sz("A\n") } },
        ValueCase { "none_type", kV5 + "\"n\"=hex(0):\r\n", "n", ValueData { type::None, {} } },
        ValueCase { "other_type", kV5 + "\"o\"=hex(ffff):aa\r\n", "o", ValueData { 0xffff, { 0xaa } } },
        ValueCase { "regedit4_expand_sz_is_ansi", kV4 + "\"e\"=hex(2):25,41,25,00\r\n", "e",
            ValueData { type::ExpandSz, sz("%A%") } },
        ValueCase { "regedit4_multi_sz_is_ansi", kV4 + "\"m\"=hex(7):61,00,62,00,00\r\n", "m",
            ValueData { type::MultiSz, Bytes { 'a', 0, 'b', 0, 0 } } },
        ValueCase { "continued_hex", kV5 + "\"b\"=hex:01,02,\\\r\n  03,04,\\\r\n  05\r\n", "b",
            ValueData { type::Binary, { 1, 2, 3, 4, 5 } } },
        ValueCase { "continued_utf16", kV5 + "\"m\"=hex(7):61,00,\\\r\n  00,00,00,00\r\n", "m",
            ValueData { type::MultiSz, Bytes { 'a', 0, 0 } } },
        ValueCase { "hex_with_blanks_and_comment", kV5 + "\"b\"=hex: 01 , 2 ,03 ; three bytes\r\n", "b",
            ValueData { type::Binary, { 1, 2, 3 } } },
        ValueCase { "value_deletion", kV5 + "\"Old\"=-\r\n", "Old", std::nullopt },
        ValueCase { "default_deletion", kV5 + "@=-\r\n", "", std::nullopt },
        ValueCase { "lf_only_lines",
            std::string("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n"
                        "\"a\"=\"b\"\n"),
            "a", ValueData { type::Sz, sz("b") } },
        ValueCase { "blank_around_equals", kV5 + "\"a\" = \"b\"\r\n", "a", ValueData { type::Sz, sz("b") } }),
    [](const auto& info) { return std::string(info.param.label); });

TEST(RegFileParser, ReadsKeySectionsInFileOrder)
{
    const auto file = parseOk(utf8File("\r\nREGEDIT4\r\n"
                                       "; a comment\r\n"
                                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT]\r\n"
                                       "  [-HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\Old]\r\n"
                                       "[hkey_current_user\\A\\B\\] ; trailing comment\r\n"
                                       "\"x\"=\"1\"\r\n"
                                       "\"x\"=\"2\"\r\n"
                                       "[HKEY_LOCAL_MACHINE]\r\n"));
    EXPECT_EQ(file.format, Format::Regedit4);
    ASSERT_EQ(file.sections.size(), 4u);
    EXPECT_EQ(file.sections[0].key, (KeyPath { RootKey::LocalMachine, "SOFTWARE\\VESKAT" }));
    EXPECT_FALSE(file.sections[0].remove);
    EXPECT_EQ(file.sections[0].line, 4);
    EXPECT_EQ(file.sections[1].key, (KeyPath { RootKey::LocalMachine, "SOFTWARE\\VESKAT\\Old" }));
    EXPECT_TRUE(file.sections[1].remove);
    EXPECT_EQ(file.sections[2].key, (KeyPath { RootKey::CurrentUser, "A\\B" }));
    ASSERT_EQ(file.sections[2].values.size(), 2u); // a repeated value is kept: the last one wins on import
    EXPECT_EQ(file.sections[2].values[1].line, 8);
    EXPECT_TRUE(file.sections[3].key.isRoot());
}

TEST(RegFileParser, DetectsEncodingAndFormat)
{
    const std::string body = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\S]\r\n"
                             "\"Title\"=\"K\xC3\xA4mera\"\r\n\"e\"=hex(2):41,00,00,00\r\n";
    const struct {
        const char* label;
        Bytes bytes;
        Encoding encoding;
    } cases[] = {
        { "utf16 with BOM", utf16File(body), Encoding::Utf16le },
        { "utf16 without BOM", utf16File(body, false), Encoding::Utf16le },
        { "utf8 with BOM",
            [&] {
                Bytes b { 0xEF, 0xBB, 0xBF };
                b.insert(b.end(), body.begin(), body.end());
                return b;
            }(),
            Encoding::Utf8 },
        { "utf8", utf8File(body), Encoding::Utf8 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto file = parseOk(c.bytes);
        EXPECT_EQ(file.format, Format::Version5);
        EXPECT_EQ(file.encoding, c.encoding);
        ASSERT_EQ(file.sections.size(), 1u);
        ASSERT_EQ(file.sections[0].values.size(), 2u);
        EXPECT_EQ(file.sections[0].values[0].data, (ValueData { type::Sz, sz("K\xC3\xA4mera") }));
        EXPECT_EQ(file.sections[0].values[1].data, (ValueData { type::ExpandSz, sz("A") }));
    }
}

struct ErrorCase {
    const char* label;
    std::string file;
    int line;
    std::string reason; // a part of the message
};

class MalformedFiles : public testing::TestWithParam<ErrorCase> { };

TEST_P(MalformedFiles, NameLineAndReason)
{
    const auto& c = GetParam();
    auto result = parseRegFile(utf8File(c.file));
    ASSERT_TRUE(std::holds_alternative<ParseError>(result)) << "accepted";
    const auto& error = std::get<ParseError>(result);
    EXPECT_EQ(error.line, c.line) << error.reason;
    EXPECT_THAT(error.reason, HasSubstr(c.reason));
}

const std::string kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n"; // line 3 after the header and a blank

INSTANTIATE_TEST_SUITE_P(RegFileParser, MalformedFiles,
    testing::Values(ErrorCase { "empty", "", 0, "empty" },
        ErrorCase { "no_header", "[HKEY_LOCAL_MACHINE\\X]\r\n", 1, "not a registry file" },
        ErrorCase { "wrong_version", "Windows Registry Editor Version 4.00\r\n", 1, "not a registry file" },
        ErrorCase { "value_before_key", "REGEDIT4\r\n\r\n\"a\"=\"b\"\r\n", 3, "before the first [key]" },
        ErrorCase { "unclosed_key", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\X\r\n", 2, "closing ']'" },
        ErrorCase { "text_after_key", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\X] y\r\n", 2, "after the key name" },
        ErrorCase { "empty_key", "REGEDIT4\r\n[]\r\n", 2, "empty" },
        ErrorCase { "unknown_root", "REGEDIT4\r\n[HKEY_NOWHERE\\X]\r\n", 2,
            "does not start with HKEY_LOCAL_MACHINE" },
        ErrorCase { "unsupported_root", "REGEDIT4\r\n[HKEY_CLASSES_ROOT\\X]\r\n", 2, "not supported" },
        ErrorCase { "short_root_in_file", "REGEDIT4\r\n[HKLM\\X]\r\n", 2, "does not start with" },
        ErrorCase { "empty_key_part", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A\\\\B]\r\n", 2, "empty part" },
        ErrorCase { "delete_root", "REGEDIT4\r\n[-HKEY_LOCAL_MACHINE]\r\n", 2, "root key cannot be deleted" },
        ErrorCase { "value_after_key_deletion", "REGEDIT4\r\n[-HKEY_LOCAL_MACHINE\\X]\r\n\"a\"=\"b\"\r\n", 3,
            "follows a key deletion" },
        ErrorCase { "garbage_line", "REGEDIT4\r\n\r\n" + kKey + "hello\r\n", 4, "expected a key" },
        ErrorCase { "unclosed_name", "REGEDIT4\r\n\r\n" + kKey + "\"abc=1\r\n", 4,
            "value name has no closing quote" },
        ErrorCase {
            "unclosed_text", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=\"b\r\n", 4, "text has no closing quote" },
        ErrorCase {
            "unknown_escape", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=\"C:\\temp\"\r\n", 4, "unknown escape \\t" },
        ErrorCase { "no_equals", "REGEDIT4\r\n\r\n" + kKey + "\"a\" \"b\"\r\n", 4, "expected '='" },
        ErrorCase {
            "text_after_text", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=\"b\"c\r\n", 4, "after the closing quote" },
        ErrorCase { "unknown_data", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=qword:1\r\n", 4, "must be \"text\"" },
        ErrorCase { "empty_data", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=\r\n", 4, "must be \"text\"" },
        ErrorCase {
            "dword_no_digits", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=dword:\r\n", 4, "1 to 8 hex digits" },
        ErrorCase {
            "dword_too_long", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=dword:000000258\r\n", 4, "at most 8" },
        ErrorCase {
            "dword_decimal_junk", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=dword:12g\r\n", 4, "after the dword" },
        ErrorCase { "hex_bad_byte", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex:01,zz\r\n", 4,
            "\"zz\" is not a hex byte" },
        ErrorCase { "hex_long_byte", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex:012\r\n", 4, "not a hex byte" },
        ErrorCase { "hex_double_comma", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex:01,,02\r\n", 4, "two commas" },
        ErrorCase { "hex_no_colon", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex 01\r\n", 4, "expected ':'" },
        ErrorCase { "hex_bad_type", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex(z):01\r\n", 4, "hex number" },
        ErrorCase { "hex_unclosed_type", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex(7:01\r\n", 4, "type number" },
        ErrorCase { "bad_byte_on_continuation_line",
            "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex:01,\\\r\n  02,\\\r\n  0x\r\n", 6, "\"0x\"" },
        ErrorCase {
            "continuation_at_end", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex:01,\\\r\n", 4, "file ends" },
        ErrorCase { "odd_utf16_string",
            "Windows Registry Editor Version 5.00\r\n\r\n" + kKey
                + "\"a\"=\"ok\"\r\n\"e\"=hex(2):41,00,00\r\n",
            5, "not UTF-16LE" },
        ErrorCase { "regedit4_string_not_utf8", "REGEDIT4\r\n\r\n" + kKey + "\"e\"=hex(2):e4,00\r\n", 4,
            "not UTF-8" },
        ErrorCase {
            "file_not_utf8", "REGEDIT4\r\n\r\n" + kKey + "\"T\"=\"K\xE4mera\"\r\n", 4, "not valid UTF-8" },
        ErrorCase { "nul_character", std::string("REGEDIT4\r\n\r\n\0\r\n", 15), 3, "NUL" },
        ErrorCase { "deletion_with_junk", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=-x\r\n", 4, "after '=-'" }),
    [](const auto& info) { return std::string(info.param.label); });

// A file can hold a token megabytes long; the message quotes its start.
TEST(RegFileParser, QuotesOnlyTheStartOfALongToken)
{
    const std::string longByte(100000, 'z');
    std::string umlauts;
    for (int i = 0; i < 1000; ++i)
        umlauts += "\xC3\xA4"; // ä, two bytes each
    const struct {
        const char* label;
        std::string file;
        std::string quoted;
    } cases[] = {
        { "hex byte", "REGEDIT4\r\n\r\n" + kKey + "\"a\"=hex:01," + longByte + "\r\n", std::string(60, 'z') },
        { "key name", "REGEDIT4\r\n[" + umlauts + "]\r\n", umlauts.substr(0, 120) },
        { "key part", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\\\" + longByte + "]\r\n",
            "HKEY_LOCAL_MACHINE\\\\" + std::string(40, 'z') },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto result = parseRegFile(utf8File(c.file));
        ASSERT_TRUE(std::holds_alternative<ParseError>(result));
        const auto& reason = std::get<ParseError>(result).reason;
        EXPECT_THAT(reason, HasSubstr("\"" + c.quoted + "\xE2\x80\xA6\" "));
        EXPECT_LT(reason.size(), 300u);
        EXPECT_TRUE(isValidUtf8(reason));
    }
}

TEST(RegFileParser, RejectsBigEndianUtf16)
{
    auto result = parseRegFile(Bytes { 0xFE, 0xFF, 0, 'R' });
    ASSERT_TRUE(std::holds_alternative<ParseError>(result));
    EXPECT_THAT(std::get<ParseError>(result).reason, HasSubstr("big-endian"));
}

TEST(RegFileParser, NamesTheLineOfBrokenUtf16)
{
    auto bytes = utf16File("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\S]\r\n\"a\"=\"");
    bytes.push_back(0x00); // an unpaired low surrogate on line 4
    bytes.push_back(0xDC);
    auto result = parseRegFile(bytes);
    ASSERT_TRUE(std::holds_alternative<ParseError>(result));
    EXPECT_EQ(std::get<ParseError>(result).line, 4);
}

} // namespace
