// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The local clock as the program reads it: time of day in seconds since local
// midnight (what the cooperative pause polls) and the local calendar date and
// time (what the debug log stamps).
//
// Thread: any thread.

namespace platform {

struct LocalDateTime {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1; // 1 to 31
    int hour = 0; // 0 to 23
    int minute = 0;
    int second = 0;
};

// 0 <= t < 86400, with the fraction of the current second.
float secondsSinceMidnight();

LocalDateTime localDateTimeNow();

} // namespace platform
