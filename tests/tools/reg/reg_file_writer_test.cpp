// SPDX-License-Identifier: GPL-2.0-or-later
// Writing .reg files as regedit does, and reading back exactly what was written.
#include "tools/reg/reg_file_parser.h"
#include "tools/reg/reg_file_writer.h"

#include <gmock/gmock.h>

#include <sstream>

using namespace regfile;

namespace {

Bytes sz(std::string_view text)
{
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

Bytes le32(std::uint32_t v)
{
    return { static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
        static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24) };
}

Bytes utf16WithBom(std::string_view text)
{
    Bytes out { 0xFF, 0xFE };
    auto body = utf8ToUtf16le(text);
    out.insert(out.end(), body->begin(), body->end());
    return out;
}

ValueEntry value(std::string name, std::uint32_t valueType, Bytes bytes)
{
    return ValueEntry { std::move(name), ValueData { valueType, std::move(bytes) }, 0 };
}

TEST(RegFileWriter, WritesVersion5AsRegeditDoes)
{
    RegFile file;
    file.sections.push_back(KeySection { { RootKey::LocalMachine, "SOFTWARE\\VESKAT\\VESKAT_CAMERAS" }, false,
        { value("CameraSize0to1500", type::Dword, le32(600)) }, 0 });
    file.sections.push_back(
        KeySection { { RootKey::LocalMachine, "SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera0" }, false,
            { value("", type::Sz, sz("d")), value("IPAddress", type::Sz, sz("10.0.0.5")),
                value("Path", type::Sz, sz("C:\\a \"b\"")), value("E", type::ExpandSz, sz("%A%")),
                value("B", type::Binary, { 0xab, 0x01 }), ValueEntry { "Gone", std::nullopt, 0 } },
            0 });
    file.sections.push_back(KeySection { { RootKey::CurrentUser, "X" }, true, {}, 0 });

    const std::string expected = "Windows Registry Editor Version 5.00\r\n"
                                 "\r\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS]\r\n"
                                 "\"CameraSize0to1500\"=dword:00000258\r\n"
                                 "\r\n"
                                 "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera0]\r\n"
                                 "@=\"d\"\r\n"
                                 "\"IPAddress\"=\"10.0.0.5\"\r\n"
                                 "\"Path\"=\"C:\\\\a \\\"b\\\"\"\r\n"
                                 "\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n"
                                 "\"B\"=hex:ab,01\r\n"
                                 "\"Gone\"=-\r\n"
                                 "\r\n"
                                 "[-HKEY_CURRENT_USER\\X]\r\n"
                                 "\r\n";
    EXPECT_EQ(writeRegFile(file), utf16WithBom(expected));

    file.format = Format::Regedit4;
    file.encoding = Encoding::Utf8;
    const auto regedit4 = writeRegFile(file);
    const std::string text(regedit4.begin(), regedit4.end());
    EXPECT_THAT(text, testing::StartsWith("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE"));
    EXPECT_THAT(text, testing::HasSubstr("\"E\"=hex(2):25,41,25,00\r\n")); // ANSI bytes, not UTF-16
}

TEST(RegFileWriter, WrapsHexDataBefore80ColumnsWithTwoSpaceIndent)
{
    Bytes data;
    for (int i = 0; i < 30; ++i)
        data.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(formatValueLine(value("b", type::Binary, data), Format::Version5),
        "\"b\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\r\n"
        "  17,18,19,1a,1b,1c,1d");

    Bytes big(1000, 0x5a);
    const std::string text = formatValueLine(value("A longer value name", 0x1234, big), Format::Version5);
    std::istringstream lines(text);
    std::string line;
    int count = 0;
    std::size_t bytesSeen = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        SCOPED_TRACE(line);
        EXPECT_LE(line.size(), 80u);
        if (count > 0) {
            EXPECT_THAT(line, testing::StartsWith("  5a"));
        }
        for (auto at = line.find("5a"); at != std::string::npos; at = line.find("5a", at + 2))
            ++bytesSeen;
        ++count;
    }
    EXPECT_EQ(bytesSeen, 1000u);
    EXPECT_GT(count, 30);
}

struct RoundTripCase {
    const char* label;
    ValueEntry value;
    std::string expectedLine; // how regedit writes it; empty: do not check
};

class WrittenValuesReadBack : public testing::TestWithParam<RoundTripCase> { };

TEST_P(WrittenValuesReadBack, InBothFormats)
{
    const auto& c = GetParam();
    if (!c.expectedLine.empty()) {
        EXPECT_EQ(formatValueLine(c.value, Format::Version5), c.expectedLine);
    }
    for (const auto& [format, encoding] :
        { std::pair { Format::Version5, Encoding::Utf16le }, std::pair { Format::Version5, Encoding::Utf8 },
            std::pair { Format::Regedit4, Encoding::Utf8 } }) {
        RegFile file { format, encoding,
            { KeySection { { RootKey::LocalMachine, "S\\T" }, false, { c.value }, 0 } } };
        auto parsed = parseRegFile(writeRegFile(file));
        ASSERT_TRUE(std::holds_alternative<RegFile>(parsed)) << std::get<ParseError>(parsed).reason;
        const auto& back = std::get<RegFile>(parsed);
        EXPECT_EQ(back.format, format);
        EXPECT_EQ(back.encoding, encoding);
        EXPECT_EQ(back.sections, file.sections);
    }
}

INSTANTIATE_TEST_SUITE_P(RegFileWriter, WrittenValuesReadBack,
    testing::Values(
        RoundTripCase { "text", value("Title", type::Sz, sz("Camera #1")), "\"Title\"=\"Camera #1\"" },
        RoundTripCase { "empty_text", value("Title", type::Sz, sz("")), "\"Title\"=\"\"" },
        RoundTripCase { "escapes", value("a\\\"b", type::Sz, sz("\\\\srv\\\"x\"")),
            "\"a\\\\\\\"b\"=\"\\\\\\\\srv\\\\\\\"x\\\"\"" },
        RoundTripCase { "unicode", value("T\xC3\xA4", type::Sz, sz("\xE2\x82\xAC \xF0\x9F\x93\xB7")), "" },
        RoundTripCase { "default", value("", type::Sz, sz("x")), "@=\"x\"" },
        RoundTripCase { "text_with_line_break_goes_hex", value("s", type::Sz, sz("a\nb")),
            "\"s\"=hex(1):61,00,0a,00,62,00,00,00" },
        RoundTripCase {
            "text_without_nul_goes_hex", value("s", type::Sz, Bytes { 'a' }), "\"s\"=hex(1):61,00" },
        RoundTripCase { "text_with_inner_nul_goes_hex", value("s", type::Sz, Bytes { 'a', 0, 'b', 0 }), "" },
        RoundTripCase { "no_bytes_text", value("s", type::Sz, {}), "\"s\"=hex(1):" },
        RoundTripCase { "dword_zero", value("Left", type::Dword, le32(0)), "\"Left\"=dword:00000000" },
        RoundTripCase {
            "dword_negative", value("Left", type::Dword, le32(0xFFFFFF9C)), "\"Left\"=dword:ffffff9c" },
        RoundTripCase {
            "dword_wrong_size_goes_hex", value("d", type::Dword, { 1, 2 }), "\"d\"=hex(4):01,02" },
        RoundTripCase { "qword", value("q", type::Qword, { 1, 0, 0, 0, 0, 0, 0, 0x80 }),
            "\"q\"=hex(b):01,00,00,00,00,00,00,80" },
        RoundTripCase { "binary", value("b", type::Binary, { 0, 0xff }), "\"b\"=hex:00,ff" },
        RoundTripCase { "binary_empty", value("b", type::Binary, {}), "\"b\"=hex:" },
        RoundTripCase { "expand_sz", value("e", type::ExpandSz, sz("%TEMP%\\x")), "" },
        RoundTripCase { "multi_sz", value("m", type::MultiSz, Bytes { 'a', 0, 'b', 'c', 0, 0 }),
            "\"m\"=hex(7):61,00,00,00,62,00,63,00,00,00,00,00" },
        RoundTripCase { "multi_sz_long",
            value("m", type::MultiSz,
                [] {
                    Bytes b;
                    for (int i = 0; i < 200; ++i) {
                        b.push_back(static_cast<std::uint8_t>('a' + i % 26));
                        if (i % 10 == 9)
                            b.push_back(0);
                    }
                    b.push_back(0);
                    return b;
                }()),
            "" },
        RoundTripCase { "none", value("n", type::None, {}), "\"n\"=hex(0):" },
        RoundTripCase { "other_type", value("o", 0x20001, { 9 }), "\"o\"=hex(20001):09" },
        RoundTripCase { "deletion", ValueEntry { "old", std::nullopt, 0 }, "\"old\"=-" },
        RoundTripCase { "default_deletion", ValueEntry { "", std::nullopt, 0 }, "@=-" }),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
