// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/clock/clock.h"
#include "tests/support/test_env.h"

#include <gmock/gmock.h>

#include <cmath>
#include <ctime>

namespace {

TEST(Clock, SecondsSinceMidnightStayWithinOneDay)
{
    for (int i = 0; i < 1000; ++i) {
        const float t = platform::secondsSinceMidnight();
        ASSERT_GE(t, 0.0f);
        ASSERT_LT(t, 86400.0f);
    }
}

TEST(Clock, SecondsSinceMidnightMatchLocalTimeOfDay)
{
    const platform::LocalDateTime dt = platform::localDateTimeNow();
    const float t = platform::secondsSinceMidnight();
    const float fromFields = static_cast<float>(dt.hour * 3600 + dt.minute * 60 + dt.second);
    // Both were read within moments of each other; allow for a midnight in between.
    float diff = std::fabs(t - fromFields);
    diff = std::fmin(diff, 86400.0f - diff);
    EXPECT_LT(diff, 5.0f);
}

TEST(Clock, LocalDateTimeMatchesTheCLibrary)
{
    std::time_t now = std::time(nullptr);
    std::tm tm {};
#ifdef _WIN32
    localtime_s(&tm, &now);
#else
    localtime_r(&now, &tm);
#endif
    const platform::LocalDateTime dt = platform::localDateTimeNow();
    EXPECT_GE(dt.month, 1);
    EXPECT_LE(dt.month, 12);
    EXPECT_GE(dt.day, 1);
    EXPECT_LE(dt.day, 31);
    EXPECT_GE(dt.hour, 0);
    EXPECT_LE(dt.hour, 23);
    EXPECT_GE(dt.minute, 0);
    EXPECT_LE(dt.minute, 59);
    EXPECT_GE(dt.second, 0);
    EXPECT_LE(dt.second, 59);
    // The same day unless the test ran across midnight.
    if (dt.hour != 0 || tm.tm_hour != 23) {
        EXPECT_EQ(dt.year, tm.tm_year + 1900);
        EXPECT_EQ(dt.month, tm.tm_mon + 1);
        EXPECT_EQ(dt.day, tm.tm_mday);
    }
}

#ifndef _WIN32
// TZ is how a POSIX system is told the zone; Windows takes its own setting.
TEST(Clock, FollowsTheTimeZone)
{
    // The time of day is local time, not UTC.
    float utc = 0;
    float east = 0;
    {
        const veskat_test::ScopedEnv tz("TZ", "UTC0");
        tzset();
        utc = platform::secondsSinceMidnight();
        const veskat_test::ScopedEnv tzEast("TZ", "XXX-5"); // five hours east of UTC
        tzset();
        east = platform::secondsSinceMidnight();
    }
    tzset();
    float diff = std::fmod(east - utc + 86400.0f, 86400.0f);
    EXPECT_NEAR(diff, 5 * 3600.0f, 5.0f);
}
#endif

} // namespace
