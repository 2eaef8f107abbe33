// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A value read from the settings: Empty, Text or a 32-bit signed Integer.
// Text is UTF-8. Conversions that cannot succeed (text that spells no number,
// a number outside the target's range) give nullopt, never undefined behaviour.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace Veskat {

class SettingValue {
public:
    SettingValue() = default; // Empty
    static SettingValue empty() { return {}; }
    static SettingValue text(std::string value);
    static SettingValue integer(std::int32_t value);

    bool isEmpty() const;
    bool isText() const;
    bool isInteger() const;

    // Empty equals ""; Text compares exactly; an Integer never equals a text.
    bool equalsText(std::string_view text) const;
    // Empty counts as 0; Integer compares numerically; a Text never equals a number.
    bool equalsNumber(double number) const;

    // Empty gives "", Integer its plain decimal form, Text itself.
    std::string toText() const;
    // Empty gives 0, Integer its value, Text the decimal number it spells
    // (surrounding blanks allowed); nullopt when that fails or is out of range.
    std::optional<std::int16_t> toInt16() const;
    std::optional<std::int32_t> toInt32() const;
    std::optional<double> toDouble() const;

    bool operator==(const SettingValue&) const = default;

private:
    std::variant<std::monostate, std::string, std::int32_t> m_value;
};

} // namespace Veskat
