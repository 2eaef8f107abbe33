// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The debug log's time stamp: "mm/dd/yyyy h:mm:ss AM/PM", where "/" and ":"
// stand for the user's date and time separators and AM/PM are always these
// letters, whatever the locale.
//
// Thread: any thread.
#include "core/clock/clock.h"

#include <string>
#include <string_view>

namespace camera {

struct DateTimeSeparators {
    std::string date = "/";
    std::string time = ":";
};

// The separators of the user's locale (LC_TIME on POSIX, the user default
// locale on Windows); "/" and ":" where the locale names none we can use.
DateTimeSeparators localeSeparators();

// The separators a strftime-style date and time format use: the text between
// the first two fields ("%d.%m.%Y" gives "."). Shorthands (%D, %F, %T, %R, %r)
// are expanded first. A separator that is empty, holds a letter or a digit or
// is not plain ASCII falls back to "/" or ":".
DateTimeSeparators separatorsFromFormats(std::string_view dateFormat, std::string_view timeFormat);

std::string formatTimeStamp(const platform::LocalDateTime& when, const DateTimeSeparators& separators);

// The stamp of the current local time with the user's separators.
std::string timeStampNow();

} // namespace camera
