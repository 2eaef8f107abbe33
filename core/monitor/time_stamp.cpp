// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/monitor/time_stamp.h"

#include <cstdio>

namespace camera {

namespace {

std::string expandShorthands(std::string_view format)
{
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out += format[i];
            continue;
        }
        const char c = format[i + 1];
        switch (c) {
        case 'D':
            out += "%m/%d/%y";
            break;
        case 'F':
            out += "%Y-%m-%d";
            break;
        case 'T':
            out += "%H:%M:%S";
            break;
        case 'R':
            out += "%H:%M";
            break;
        case 'r':
            out += "%I:%M:%S %p";
            break;
        default:
            out += '%';
            out += c;
            break;
        }
        ++i;
    }
    return out;
}

// Skips one conversion that starts at format[i] == '%' (glibc flags, a width
// and the E/O modifiers included); returns the index after it.
std::size_t skipConversion(const std::string& format, std::size_t i)
{
    ++i;
    while (i < format.size() && std::string_view("-_0^#").find(format[i]) != std::string_view::npos)
        ++i;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9')
        ++i;
    if (i < format.size() && (format[i] == 'E' || format[i] == 'O'))
        ++i;
    return i < format.size() ? i + 1 : i;
}

// Literal text between the first and the second field of a format; "%%", "%n"
// and "%t" count as literal text.
std::string textBetweenFirstFields(std::string_view rawFormat)
{
    const std::string format = expandShorthands(rawFormat);
    std::string between;
    int fields = 0;
    for (std::size_t i = 0; i < format.size();) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char next = format[i + 1];
            if (next == '%' || next == 'n' || next == 't') {
                if (fields == 1)
                    between += next == '%' ? '%' : ' ';
                i += 2;
                continue;
            }
            if (++fields == 2)
                return between;
            i = skipConversion(format, i);
            continue;
        }
        if (fields == 1)
            between += format[i];
        ++i;
    }
    return {};
}

bool usableSeparator(const std::string& text)
{
    if (text.empty() || text.size() > 4)
        return false;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
            return false;
    }
    return text.find_first_not_of(' ') != std::string::npos;
}

std::string twoDigits(int value)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", value);
    return buf;
}

} // namespace

DateTimeSeparators separatorsFromFormats(std::string_view dateFormat, std::string_view timeFormat)
{
    DateTimeSeparators result;
    if (std::string date = textBetweenFirstFields(dateFormat); usableSeparator(date))
        result.date = date;
    if (std::string time = textBetweenFirstFields(timeFormat); usableSeparator(time))
        result.time = time;
    return result;
}

std::string formatTimeStamp(const platform::LocalDateTime& when, const DateTimeSeparators& separators)
{
    const int hour12 = when.hour % 12 == 0 ? 12 : when.hour % 12;
    char year[16];
    std::snprintf(year, sizeof year, "%04d", when.year);
    std::string out;
    out.reserve(32);
    out += twoDigits(when.month);
    out += separators.date;
    out += twoDigits(when.day);
    out += separators.date;
    out += year;
    out += ' ';
    out += std::to_string(hour12);
    out += separators.time;
    out += twoDigits(when.minute);
    out += separators.time;
    out += twoDigits(when.second);
    out += when.hour < 12 ? " AM" : " PM";
    return out;
}

std::string timeStampNow()
{
    return formatTimeStamp(platform::localDateTimeNow(), localeSeparators());
}

} // namespace camera
