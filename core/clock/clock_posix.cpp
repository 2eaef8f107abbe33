// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/clock/clock.h"

#include <chrono>
#include <ctime>

namespace platform {

namespace {

struct LocalNow {
    std::tm fields {};
    double fraction = 0.0; // of the current second
};

LocalNow localNow()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto whole = floor<seconds>(now.time_since_epoch());
    const std::time_t t = static_cast<std::time_t>(whole.count());
    LocalNow result;
    localtime_r(&t, &result.fields);
    result.fraction = duration<double>(now.time_since_epoch() - whole).count();
    return result;
}

} // namespace

float secondsSinceMidnight()
{
    const LocalNow now = localNow();
    // A leap second (tm_sec 60) must not reach 86400.
    const int sec = now.fields.tm_sec > 59 ? 59 : now.fields.tm_sec;
    const double t = now.fields.tm_hour * 3600.0 + now.fields.tm_min * 60.0 + sec + now.fraction;
    const float result = static_cast<float>(t);
    // Rounding to float near the end of the day could give 86400 itself.
    return result < 86400.0f ? result : 86399.99f;
}

LocalDateTime localDateTimeNow()
{
    const std::tm tm = localNow().fields;
    LocalDateTime result;
    result.year = tm.tm_year + 1900;
    result.month = tm.tm_mon + 1;
    result.day = tm.tm_mday;
    result.hour = tm.tm_hour;
    result.minute = tm.tm_min;
    result.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return result;
}

} // namespace platform
