// SPDX-License-Identifier: GPL-2.0-or-later
// The equality and conversion rules of a setting value.
#include "core/settings/setting_value.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Veskat::SettingValue;

SettingValue text(const char* t)
{
    return SettingValue::text(t);
}
SettingValue integer(std::int32_t n)
{
    return SettingValue::integer(n);
}

struct TextEquality {
    SettingValue value;
    std::string other;
    bool equal;
};

class SettingValueTextEquality : public ::testing::TestWithParam<TextEquality> { };

TEST_P(SettingValueTextEquality, Compares)
{
    EXPECT_EQ(GetParam().value.equalsText(GetParam().other), GetParam().equal);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingValueTextEquality,
    ::testing::Values(TextEquality { SettingValue(), "", true }, TextEquality { SettingValue(), "0", false },
        TextEquality { text(""), "", true }, TextEquality { text("Camera #1"), "Camera #1", true },
        TextEquality { text("Camera #1"), "camera #1", false }, TextEquality { text("a"), "a ", false },
        TextEquality { integer(0), "", false }, TextEquality { integer(0), "0", false },
        TextEquality { integer(12), "12", false }));

struct NumberEquality {
    SettingValue value;
    double other;
    bool equal;
};

class SettingValueNumberEquality : public ::testing::TestWithParam<NumberEquality> { };

TEST_P(SettingValueNumberEquality, Compares)
{
    EXPECT_EQ(GetParam().value.equalsNumber(GetParam().other), GetParam().equal);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingValueNumberEquality,
    ::testing::Values(NumberEquality { SettingValue(), 0, true }, NumberEquality { SettingValue(), 1, false },
        NumberEquality { integer(1), 1, true }, NumberEquality { integer(2), 1, false },
        NumberEquality { integer(-5), -5, true }, NumberEquality { text("1"), 1, false },
        NumberEquality { text(""), 0, false }));

TEST(SettingValueKinds, TellWhatTheyHold)
{
    EXPECT_TRUE(SettingValue().isEmpty());
    EXPECT_TRUE(SettingValue::empty().isEmpty());
    EXPECT_TRUE(text("").isText());
    EXPECT_TRUE(integer(0).isInteger());
    EXPECT_NE(SettingValue(), text(""));
    EXPECT_NE(integer(0), text("0"));
}

struct ToText {
    SettingValue value;
    std::string expected;
};

class SettingValueToText : public ::testing::TestWithParam<ToText> { };

TEST_P(SettingValueToText, Converts)
{
    EXPECT_EQ(GetParam().value.toText(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingValueToText,
    ::testing::Values(ToText { SettingValue(), "" }, ToText { integer(0), "0" },
        ToText { integer(-2147483647 - 1), "-2147483648" }, ToText { integer(2147483647), "2147483647" },
        ToText { text(" x "), " x " }));

// Expected results of the three numeric conversions; nullopt is a failure.
struct ToNumber {
    SettingValue value;
    std::optional<std::int16_t> int16;
    std::optional<std::int32_t> int32;
    std::optional<double> real;
};

class SettingValueToNumber : public ::testing::TestWithParam<ToNumber> { };

TEST_P(SettingValueToNumber, Converts)
{
    const auto& c = GetParam();
    EXPECT_EQ(c.value.toInt16(), c.int16) << c.value.toText();
    EXPECT_EQ(c.value.toInt32(), c.int32) << c.value.toText();
    EXPECT_EQ(c.value.toDouble(), c.real) << c.value.toText();
}

constexpr std::nullopt_t none = std::nullopt;

INSTANTIATE_TEST_SUITE_P(Cases, SettingValueToNumber,
    ::testing::Values(ToNumber { SettingValue(), 0, 0, 0.0 }, ToNumber { integer(1500), 1500, 1500, 1500.0 },
        ToNumber { integer(-32768), -32768, -32768, -32768.0 },
        ToNumber { integer(32768), none, 32768, 32768.0 },
        ToNumber { integer(-32769), none, -32769, -32769.0 }, ToNumber { text("42"), 42, 42, 42.0 },
        ToNumber { text("  42\t"), 42, 42, 42.0 }, ToNumber { text("+7"), 7, 7, 7.0 },
        ToNumber { text("-7"), -7, -7, -7.0 }, ToNumber { text("2.5"), 2, 2, 2.5 },
        ToNumber { text("3.5"), 4, 4, 3.5 }, ToNumber { text("-2.5"), -2, -2, -2.5 },
        ToNumber { text("0.5"), 0, 0, 0.5 }, ToNumber { text("2.6"), 3, 3, 2.6 },
        ToNumber { text("1e3"), 1000, 1000, 1000.0 }, ToNumber { text("32767.5"), none, 32768, 32767.5 },
        ToNumber { text("2147483647"), none, 2147483647, 2147483647.0 },
        ToNumber { text("2147483648"), none, none, 2147483648.0 }, ToNumber { text(""), none, none, none },
        ToNumber { text("   "), none, none, none }, ToNumber { text("abc"), none, none, none },
        ToNumber { text("12abc"), none, none, none }, ToNumber { text("1 2"), none, none, none },
        ToNumber { text("0x10"), none, none, none }, ToNumber { text("inf"), none, none, none },
        ToNumber { text("nan"), none, none, none }, ToNumber { text("1e999"), none, none, none },
        ToNumber { text("--1"), none, none, none }, ToNumber { text("+"), none, none, none }));

} // namespace
