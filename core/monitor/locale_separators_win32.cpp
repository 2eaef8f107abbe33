// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/monitor/time_stamp.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace camera {

namespace {
std::string localeText(LCTYPE type)
{
    char buf[16] = {};
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buf, static_cast<int>(sizeof buf));
    return n > 1 ? std::string(buf, static_cast<std::size_t>(n - 1)) : std::string();
}
} // namespace

DateTimeSeparators localeSeparators()
{
    // Wrapped in a two-field pattern so that the same checks apply as on POSIX.
    const std::string date = localeText(LOCALE_SDATE);
    const std::string time = localeText(LOCALE_STIME);
    return separatorsFromFormats("%m" + date + "%d", "%H" + time + "%M");
}

} // namespace camera
