// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/clock/clock.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace platform {

float secondsSinceMidnight()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    const double t = st.wHour * 3600.0 + st.wMinute * 60.0 + st.wSecond + st.wMilliseconds / 1000.0;
    const float result = static_cast<float>(t);
    return result < 86400.0f ? result : 86399.99f;
}

LocalDateTime localDateTimeNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    LocalDateTime result;
    result.year = st.wYear;
    result.month = st.wMonth;
    result.day = st.wDay;
    result.hour = st.wHour;
    result.minute = st.wMinute;
    result.second = st.wSecond;
    return result;
}

} // namespace platform
