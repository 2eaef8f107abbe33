#include "core/settings/setting_value.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

namespace Veskat {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The decimal number a text spells, blanks around it allowed: an optional
// sign, digits with an optional fraction and exponent. No hexadecimal, no
// "inf" or "nan".
std::optional<double> parseDecimal(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '.'))
        return std::nullopt;
    double value = 0;
    const auto [end, error]
        = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

// Rounds to the nearest whole number, ties to even, and checks the range.
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

} // namespace

SettingValue SettingValue::text(std::string value)
{
    SettingValue result;
    result.m_value = std::move(value);
    return result;
}

SettingValue SettingValue::integer(std::int32_t value)
{
    SettingValue result;
    result.m_value = value;
    return result;
}

bool SettingValue::isEmpty() const
{
    return std::holds_alternative<std::monostate>(m_value);
}

bool SettingValue::isText() const
{
    return std::holds_alternative<std::string>(m_value);
}

bool SettingValue::isInteger() const
{
    return std::holds_alternative<std::int32_t>(m_value);
}

bool SettingValue::equalsText(std::string_view text) const
{
    if (isEmpty())
        return text.empty();
    if (const auto* stored = std::get_if<std::string>(&m_value))
        return *stored == text;
    return false;
}

bool SettingValue::equalsNumber(double number) const
{
    if (isEmpty())
        return number == 0;
    if (const auto* stored = std::get_if<std::int32_t>(&m_value))
        return static_cast<double>(*stored) == number;
    return false;
}

std::string SettingValue::toText() const
{
    if (const auto* stored = std::get_if<std::string>(&m_value))
        return *stored;
    if (const auto* stored = std::get_if<std::int32_t>(&m_value))
        return std::to_string(*stored);
    return {};
}

std::optional<double> SettingValue::toDouble() const
{
    if (const auto* stored = std::get_if<std::string>(&m_value))
        return parseDecimal(*stored);
    if (const auto* stored = std::get_if<std::int32_t>(&m_value))
        return static_cast<double>(*stored);
    return 0.0;
}

std::optional<std::int32_t> SettingValue::toInt32() const
{
    if (const auto* stored = std::get_if<std::int32_t>(&m_value))
        return *stored;
    const auto number = toDouble();
    return number ? roundToInt<std::int32_t>(*number) : std::nullopt;
}

std::optional<std::int16_t> SettingValue::toInt16() const
{
    const auto number = toDouble();
    return number ? roundToInt<std::int16_t>(*number) : std::nullopt;
}

} // namespace Veskat
