// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/util/ascii_text.h"

namespace util {

std::string asciiLower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = asciiLower(c);
    return out;
}

bool equalsAsciiLower(std::string_view text, std::string_view lower)
{
    return text.size() == lower.size() && startsWithAsciiLower(text, lower);
}

bool startsWithAsciiLower(std::string_view text, std::string_view lowerPrefix)
{
    if (text.size() < lowerPrefix.size())
        return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        if (asciiLower(text[i]) != lowerPrefix[i])
            return false;
    }
    return true;
}

std::string_view trimAsciiSpace(std::string_view text)
{
    while (!text.empty() && isAsciiSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isAsciiSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace util
