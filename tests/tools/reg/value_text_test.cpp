// SPDX-License-Identifier: GPL-2.0-or-later
// /t and /d as the command line gives them, and the data column of query.
#include "tools/reg/value_text.h"

#include <gmock/gmock.h>

using namespace regtool;
using regfile::Bytes;
namespace type = regfile::type;

namespace {

struct DataCase {
    const char* label;
    std::uint32_t type;
    std::optional<std::string> text;
    std::optional<std::string> separator;
    std::optional<Bytes> bytes; // nullopt: rejected
    std::string shown; // what query shows for the stored bytes
};

class DataFromText : public testing::TestWithParam<DataCase> { };

TEST_P(DataFromText, StoresTheBytesRegWouldStore)
{
    const auto& c = GetParam();
    auto result = dataFromText(c.type, c.text, c.separator);
    if (!c.bytes) {
        ASSERT_TRUE(std::holds_alternative<DataError>(result));
        EXPECT_FALSE(std::get<DataError>(result).message.empty());
        return;
    }
    ASSERT_TRUE(std::holds_alternative<Bytes>(result)) << std::get<DataError>(result).message;
    EXPECT_EQ(std::get<Bytes>(result), *c.bytes);
    EXPECT_EQ(displayData({ c.type, *c.bytes }), c.shown);
}

INSTANTIATE_TEST_SUITE_P(ValueText, DataFromText,
    testing::Values(DataCase { "sz", type::Sz, "10.0.0.5", {},
                        Bytes { '1', '0', '.', '0', '.', '0', '.', '5', 0 }, "10.0.0.5" },
        DataCase { "sz_without_d", type::Sz, {}, {}, Bytes { 0 }, "" },
        DataCase {
            "expand_sz", type::ExpandSz, "%HOME%", {}, Bytes { '%', 'H', 'O', 'M', 'E', '%', 0 }, "%HOME%" },
        DataCase { "sz_not_utf8", type::Sz, std::string("\xE4"), {}, {}, "" },
        DataCase { "dword_decimal", type::Dword, "600", {}, Bytes { 0x58, 0x02, 0, 0 }, "0x258" },
        DataCase { "dword_hex", type::Dword, "0x258", {}, Bytes { 0x58, 0x02, 0, 0 }, "0x258" },
        DataCase { "dword_hex_upper", type::Dword, "0XFFFFFFFF", {}, Bytes { 0xff, 0xff, 0xff, 0xff },
            "0xffffffff" },
        DataCase {
            "dword_max", type::Dword, "4294967295", {}, Bytes { 0xff, 0xff, 0xff, 0xff }, "0xffffffff" },
        DataCase { "dword_negative", type::Dword, "-1", {}, Bytes { 0xff, 0xff, 0xff, 0xff }, "0xffffffff" },
        DataCase { "dword_min", type::Dword, "-2147483648", {}, Bytes { 0, 0, 0, 0x80 }, "0x80000000" },
        DataCase { "dword_without_d", type::Dword, {}, {}, Bytes { 0, 0, 0, 0 }, "0x0" },
        DataCase { "dword_too_big", type::Dword, "4294967296", {}, {}, "" },
        DataCase { "dword_hex_too_big", type::Dword, "0x100000000", {}, {}, "" },
        DataCase { "dword_too_small", type::Dword, "-2147483649", {}, {}, "" },
        DataCase { "dword_text", type::Dword, "six hundred", {}, {}, "" },
        DataCase { "dword_empty", type::Dword, "", {}, {}, "" },
        DataCase { "dword_blank", type::Dword, " 600", {}, {}, "" },
        DataCase { "dword_hex_no_digits", type::Dword, "0x", {}, {}, "" },
        DataCase { "qword", type::Qword, "0x0102030405060708", {}, Bytes { 8, 7, 6, 5, 4, 3, 2, 1 },
            "0x102030405060708" },
        DataCase { "qword_negative", type::Qword, "-2", {},
            Bytes { 0xfe, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff }, "0xfffffffffffffffe" },
        DataCase { "binary", type::Binary, "0aFF10", {}, Bytes { 0x0a, 0xff, 0x10 }, "0AFF10" },
        DataCase { "binary_empty", type::Binary, {}, {}, Bytes {}, "" },
        DataCase { "binary_odd", type::Binary, "abc", {}, {}, "" },
        DataCase { "binary_not_hex", type::Binary, "zz", {}, {}, "" },
        DataCase { "none", type::None, "01", {}, Bytes { 1 }, "01" },
        DataCase { "multi_sz", type::MultiSz, "a\\0bc", {}, Bytes { 'a', 0, 'b', 'c', 0, 0 }, "a\\0bc" },
        DataCase { "multi_sz_one", type::MultiSz, "a", {}, Bytes { 'a', 0, 0 }, "a" },
        DataCase { "multi_sz_empty", type::MultiSz, "", {}, Bytes { 0 }, "" },
        DataCase { "multi_sz_separator", type::MultiSz, "a#b", "#", Bytes { 'a', 0, 'b', 0, 0 }, "a\\0b" },
        DataCase { "multi_sz_empty_item", type::MultiSz, "a\\0\\0b", {}, {}, "" },
        DataCase { "multi_sz_long_separator", type::MultiSz, "a##b", "##", {}, "" },
        DataCase { "separator_for_sz", type::Sz, "a", "#", {}, "" }),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ValueText, TypeNamesBothWays)
{
    EXPECT_EQ(parseTypeName("reg_dword"), type::Dword);
    EXPECT_EQ(parseTypeName("REG_QWORD"), type::Qword);
    EXPECT_EQ(parseTypeName("REG_LINK"), std::nullopt); // known, but not something to add
    EXPECT_EQ(parseTypeName("DWORD"), std::nullopt);
    EXPECT_EQ(typeName(type::MultiSz), "REG_MULTI_SZ");
    EXPECT_EQ(typeName(0x1234), "REG_UNKNOWN(0x1234)");
    EXPECT_EQ(displayName(""), "(Default)");
}

TEST(ValueText, ShowsStoredDataThatNoCommandWrote)
{
    EXPECT_EQ(displayData({ type::Sz, Bytes { 'a', 0, 'b', 0 } }), "a"); // up to the first NUL
    EXPECT_EQ(displayData({ type::Sz, Bytes { 'a' } }), "a"); // without a NUL
    EXPECT_EQ(displayData({ type::Dword, Bytes { 1, 2 } }), "0102"); // a dword of the wrong size
    EXPECT_EQ(displayData({ type::MultiSz, Bytes { 'a', 0 } }), "a");
}

} // namespace
