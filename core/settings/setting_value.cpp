// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/settings/setting_value.h"

#include "core/util/decimal_text.h"

namespace Veskat {

using util::parseDecimal;
using util::roundToInt;

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
