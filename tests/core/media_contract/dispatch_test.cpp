// SPDX-License-Identifier: GPL-2.0-or-later
// The media control's contract: value conversion as a late-bound caller does
// it, the words for each status code, and which codes wait for a restart.
#include "core/media_contract/dispatch.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using media::DispValue;

struct ConversionCase {
    DispValue value;
    std::int32_t expected;
};

class ToInt32 : public testing::TestWithParam<ConversionCase> { };

TEST_P(ToInt32, ConvertsLikeALateBoundCaller)
{
    EXPECT_EQ(media::toInt32(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, ToInt32,
    testing::Values(ConversionCase { std::monostate {}, 0 }, ConversionCase { true, -1 },
        ConversionCase { false, 0 }, ConversionCase { std::int32_t { 1027 }, 1027 },
        ConversionCase { std::int32_t { -5 }, -5 }, ConversionCase { std::string("25000"), 25000 },
        ConversionCase { std::string(" 42 "), 42 }, ConversionCase { std::string("-7"), -7 },
        ConversionCase { std::string("2.5"), 2 }, ConversionCase { std::string("3.5"), 4 },
        ConversionCase { std::string(""), 0 }, ConversionCase { std::string("abc"), 0 },
        ConversionCase { std::string("12abc"), 0 }, ConversionCase { std::string("0x10"), 0 },
        ConversionCase { std::string("inf"), 0 }, ConversionCase { std::string("99999999999"), 0 },
        // The same reading as the settings': exponents, no locale's decimal comma.
        ConversionCase { std::string("2.5e3"), 2500 }, ConversionCase { std::string("1,5"), 0 }));

TEST(StatusMeaning, EveryCodeOfTheTableHasItsOwnWords)
{
    const std::int32_t codes[] = { 0, 1, 2, 1025, 1026, 1027, 1028, 1029, 1030, 1031 };
    std::set<std::string> seen;
    for (std::int32_t code : codes) {
        const std::string meaning = media::statusMeaning(code);
        EXPECT_FALSE(meaning.empty()) << code;
        EXPECT_TRUE(seen.insert(meaning).second) << "duplicate words for " << code;
    }
    EXPECT_EQ(std::string(media::statusMeaning(1028)), "Wrong user name or password");
    EXPECT_EQ(std::string(media::statusMeaning(1)), "Connecting\u2026");
}

TEST(StatusPolicy, OnlyCodesTheMonitorRestartsAreFinalForTheControl)
{
    // The control itself retries 1025; 1028..1031 wait for the monitor's restart.
    for (std::int32_t code : { 0, 1, 2, 1025, 1026, 1027 })
        EXPECT_FALSE(media::Status::waitsForRestart(code)) << code;
    for (std::int32_t code : { 1028, 1029, 1030, 1031 })
        EXPECT_TRUE(media::Status::waitsForRestart(code)) << code;
}

} // namespace
