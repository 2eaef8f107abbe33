// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Text to number the one way the program reads numbers from text (settings,
// dispatch values): a decimal number with blanks around it allowed, an
// optional sign, digits with an optional fraction and exponent; no
// hexadecimal, "inf" or "nan". Independent of the locale (std::from_chars),
// so a user's decimal comma changes nothing.
//
// Thread: any.
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace util {

std::optional<double> parseDecimal(std::string_view text);

// Rounds to the nearest whole number, exact halves to even; nothing when the
// result does not fit `Int`.
template <typename Int> std::optional<Int> roundToInt(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    double rounded = std::round(value); // halves away from zero...
    if (std::fabs(value - std::trunc(value)) == 0.5)
        rounded = 2.0 * std::round(value / 2.0); // ...except exact halves, which go to even
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min())
        || rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

} // namespace util
