// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/monitor/time_stamp.h"

#include "tests/support/test_env.h"

#include <gmock/gmock.h>

#include <regex>

namespace {

platform::LocalDateTime at(int year, int month, int day, int hour, int minute, int second)
{
    platform::LocalDateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

struct StampCase {
    platform::LocalDateTime when;
    const char* expected;
};

class TimeStamp : public testing::TestWithParam<StampCase> { };

TEST_P(TimeStamp, FormatsWithTwelveHourClockAndAmPm)
{
    EXPECT_EQ(camera::formatTimeStamp(GetParam().when, {}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Monitor, TimeStamp,
    testing::Values(StampCase { at(2014, 3, 7, 16, 5, 9), "03/07/2014 4:05:09 PM" },
        StampCase { at(2014, 3, 7, 0, 0, 0), "03/07/2014 12:00:00 AM" },
        StampCase { at(2014, 3, 7, 0, 59, 59), "03/07/2014 12:59:59 AM" },
        StampCase { at(2014, 3, 7, 1, 0, 0), "03/07/2014 1:00:00 AM" },
        StampCase { at(2014, 3, 7, 11, 59, 59), "03/07/2014 11:59:59 AM" },
        StampCase { at(2014, 3, 7, 12, 0, 0), "03/07/2014 12:00:00 PM" },
        StampCase { at(2014, 3, 7, 12, 30, 1), "03/07/2014 12:30:01 PM" },
        StampCase { at(2014, 12, 31, 23, 59, 59), "12/31/2014 11:59:59 PM" },
        StampCase { at(987, 1, 2, 13, 4, 5), "01/02/0987 1:04:05 PM" }));

TEST(TimeStamp, UsesTheGivenSeparatorsButAlwaysAmPm)
{
    camera::DateTimeSeparators german { ".", ":" };
    EXPECT_EQ(camera::formatTimeStamp(at(2014, 3, 7, 16, 5, 9), german), "03.07.2014 4:05:09 PM");
    camera::DateTimeSeparators finnish { ".", "." };
    EXPECT_EQ(camera::formatTimeStamp(at(2014, 3, 7, 9, 5, 9), finnish), "03.07.2014 9.05.09 AM");
}

struct FormatCase {
    const char* name;
    const char* dateFormat;
    const char* timeFormat;
    const char* date;
    const char* time;
};

class Separators : public testing::TestWithParam<FormatCase> { };

TEST_P(Separators, ComeFromTheLocaleFormats)
{
    const auto s = camera::separatorsFromFormats(GetParam().dateFormat, GetParam().timeFormat);
    EXPECT_EQ(s.date, GetParam().date);
    EXPECT_EQ(s.time, GetParam().time);
}

INSTANTIATE_TEST_SUITE_P(Monitor, Separators,
    testing::Values(FormatCase { "c_locale", "%m/%d/%y", "%H:%M:%S", "/", ":" },
        FormatCase { "en_US", "%m/%d/%Y", "%r", "/", ":" },
        FormatCase { "de_DE", "%d.%m.%Y", "%T", ".", ":" },
        FormatCase { "fi_FI", "%d.%m.%Y", "%H.%M.%S", ".", "." },
        FormatCase { "sv_SE", "%Y-%m-%d", "%H:%M:%S", "-", ":" },
        FormatCase { "shorthand_D", "%D", "%R", "/", ":" },
        FormatCase { "shorthand_F", "%F", "%T", "-", ":" },
        FormatCase { "glibc_flags", "%-d.%-m.%Y", "%OH:%OM", ".", ":" },
        FormatCase { "hungarian", "%Y. %m. %d.", "%H:%M:%S", ". ", ":" },
        FormatCase { "japanese_falls_back", "%Y\xe5\xb9\xb4%m\xe6\x9c\x88%d\xe6\x97\xa5",
            "%H\xe6\x99\x82%M\xe5\x88\x86%S\xe7\xa7\x92", "/", ":" },
        FormatCase { "letters_fall_back", "%d de %B de %Y", "%Hh%M", "/", ":" },
        FormatCase { "empty_falls_back", "", "", "/", ":" },
        FormatCase { "one_field_falls_back", "%x", "%X", "/", ":" },
        FormatCase { "no_separator_falls_back", "%Y%m%d", "%H%M%S", "/", ":" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LocaleSeparators, CLocaleGivesSlashAndColon)
{
    const veskat_test::ScopedEnv locale("LC_ALL", "C");
    const auto s = camera::localeSeparators();
    EXPECT_EQ(s.date, "/");
    EXPECT_EQ(s.time, ":");
}

TEST(LocaleSeparators, UnknownLocaleNameFallsBackToSlashAndColon)
{
    const veskat_test::ScopedEnv locale("LC_ALL", "xx_NOWHERE.UTF-8");
    const auto s = camera::localeSeparators();
    EXPECT_EQ(s.date, "/");
    EXPECT_EQ(s.time, ":");
}

TEST(TimeStamp, NowHasThePattern)
{
    const std::string stamp = camera::timeStampNow();
    // Separators depend on the user's locale; the rest of the pattern does not.
    EXPECT_TRUE(
        std::regex_match(stamp, std::regex(R"(\d\d\D+\d\d\D+\d{4} (1[0-2]|[1-9])\D+\d\d\D+\d\d (AM|PM))")))
        << stamp;
}

} // namespace
