// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/value_text.h"

#include <charconv>
#include <cstdio>

namespace regtool {
namespace {

using regfile::Bytes;
namespace type = regfile::type;

struct TypeNameEntry {
    std::uint32_t code;
    std::string_view name;
    bool canAdd;
};

constexpr TypeNameEntry kTypeNames[] = {
    { 0, "REG_NONE", true },
    { 1, "REG_SZ", true },
    { 2, "REG_EXPAND_SZ", true },
    { 3, "REG_BINARY", true },
    { 4, "REG_DWORD", true },
    { 5, "REG_DWORD_BIG_ENDIAN", false },
    { 6, "REG_LINK", false },
    { 7, "REG_MULTI_SZ", true },
    { 8, "REG_RESOURCE_LIST", false },
    { 9, "REG_FULL_RESOURCE_DESCRIPTOR", false },
    { 10, "REG_RESOURCE_REQUIREMENTS_LIST", false },
    { 11, "REG_QWORD", true },
};

Bytes textBytes(std::string_view text)
{
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

// Decimal (optionally negative, stored as two's complement) or 0x hex, within `bits`.
std::optional<std::uint64_t> parseNumber(std::string_view text, int bits)
{
    const std::uint64_t max = bits == 64 ? UINT64_MAX : (std::uint64_t { 1 } << bits) - 1;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t v = 0;
        const auto digits = text.substr(2);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (ec != std::errc() || end != digits.data() + digits.size() || v > max)
            return std::nullopt;
        return v;
    }
    if (!text.empty() && text[0] == '-') {
        std::int64_t v = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
        const std::int64_t min = bits == 64 ? INT64_MIN : -(std::int64_t { 1 } << (bits - 1));
        if (ec != std::errc() || end != text.data() + text.size() || v < min)
            return std::nullopt;
        return static_cast<std::uint64_t>(v) & max;
    }
    std::uint64_t v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || v > max)
        return std::nullopt;
    return v;
}

Bytes littleEndian(std::uint64_t v, int size)
{
    Bytes b;
    for (int i = 0; i < size; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return b;
}

std::variant<Bytes, DataError> multiSz(std::string_view text, const std::optional<std::string>& separator)
{
    const std::string_view sep = separator ? std::string_view(*separator) : std::string_view("\\0");
    Bytes out;
    if (!text.empty()) {
        std::size_t start = 0;
        for (;;) {
            const auto at = text.find(sep, start);
            const auto item
                = text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start);
            if (item.empty())
                return DataError {
                    "A REG_MULTI_SZ cannot hold an empty string (two separators in a row, or one at"
                    " the start or end of /d)."
                };
            out.insert(out.end(), item.begin(), item.end());
            out.push_back(0);
            if (at == std::string_view::npos)
                break;
            start = at + sep.size();
        }
    }
    out.push_back(0);
    return out;
}

std::variant<Bytes, DataError> hexDigits(std::string_view text, std::string_view typeLabel)
{
    if (text.size() % 2 != 0)
        return DataError { "The " + std::string(typeLabel)
            + " data must be pairs of hex digits, e.g. 0a1b (an odd number of digits was given)." };
    Bytes out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        std::uint8_t v = 0;
        auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, v, 16);
        if (ec != std::errc() || end != text.data() + i + 2)
            return DataError { "The " + std::string(typeLabel) + " data must be hex digits (0-9, a-f); \""
                + std::string(text.substr(i, 2)) + "\" is not." };
        out.push_back(v);
    }
    return out;
}

} // namespace

std::optional<std::uint32_t> parseTypeName(std::string_view name)
{
    for (const auto& entry : kTypeNames) {
        if (entry.canAdd && regfile::namesEqual(name, entry.name))
            return entry.code;
    }
    return std::nullopt;
}

std::string typeName(std::uint32_t valueType)
{
    for (const auto& entry : kTypeNames) {
        if (entry.code == valueType)
            return std::string(entry.name);
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "REG_UNKNOWN(0x%x)", static_cast<unsigned>(valueType));
    return buf;
}

std::variant<Bytes, DataError> dataFromText(std::uint32_t valueType, const std::optional<std::string>& text,
    const std::optional<std::string>& separator)
{
    const std::string_view data = text ? std::string_view(*text) : std::string_view();
    if (separator && valueType != type::MultiSz)
        return DataError { "The separator switch /s is only for REG_MULTI_SZ." };
    if (separator && separator->size() != 1)
        return DataError { "The separator after /s must be one character." };
    if (regfile::isStringType(valueType) && !regfile::isValidUtf8(data))
        return DataError { "The data are not valid UTF-8 text." };

    switch (valueType) {
    case type::Sz:
    case type::ExpandSz:
        if (data.find('\0') != std::string_view::npos)
            return DataError { "The text contains a NUL character." };
        return textBytes(data);
    case type::MultiSz:
        return multiSz(data, separator);
    case type::Dword:
    case type::Qword: {
        const int bits = valueType == type::Dword ? 32 : 64;
        if (!text)
            return littleEndian(0, bits / 8);
        const auto v = parseNumber(data, bits);
        if (!v)
            return DataError { valueType == type::Dword
                    ? "The REG_DWORD data must be a number from 0 to 4294967295, or 0x0 to 0xFFFFFFFF"
                      " (-2147483648 to -1 are stored as their two's complement)."
                    : "The REG_QWORD data must be a number from 0 to 18446744073709551615, or 0x0 to"
                      " 0xFFFFFFFFFFFFFFFF (negative numbers are stored as their two's complement)." };
        return littleEndian(*v, bits / 8);
    }
    default:
        return hexDigits(data, typeName(valueType));
    }
}

std::string displayData(const regfile::ValueData& value)
{
    const auto& b = value.bytes;
    const std::string_view raw(reinterpret_cast<const char*>(b.data()), b.size());
    switch (value.type) {
    case type::Sz:
    case type::ExpandSz:
        return std::string(raw.substr(0, raw.find('\0')));
    case type::MultiSz: {
        std::string out;
        std::size_t start = 0;
        while (start < raw.size() && raw[start] != '\0') {
            const auto end = std::min(raw.find('\0', start), raw.size());
            if (!out.empty())
                out += "\\0";
            out += raw.substr(start, end - start);
            start = end + 1;
        }
        return out;
    }
    case type::Dword:
    case type::Qword:
        if (b.size() == (value.type == type::Dword ? 4u : 8u)) {
            std::uint64_t v = 0;
            for (std::size_t i = 0; i < b.size(); ++i)
                v |= std::uint64_t { b[i] } << (8 * i);
            char buf[24];
            std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
            return buf;
        }
        [[fallthrough]];
    default: {
        std::string out;
        char buf[4];
        for (auto byte : b) {
            std::snprintf(buf, sizeof buf, "%02X", byte);
            out += buf;
        }
        return out;
    }
    }
}

std::string displayName(std::string_view valueName)
{
    return valueName.empty() ? std::string("(Default)") : std::string(valueName);
}

} // namespace regtool
