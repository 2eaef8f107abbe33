// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Value data as the command line writes them (/t TYPE /d DATA) and as
// `query` shows them, in the forms Windows' reg uses. Pure functions.
#include "tools/reg/reg_file.h"

#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace regtool {

// "REG_DWORD" -> 4 (case-insensitive); nullopt for a type veskat-reg cannot add.
std::optional<std::uint32_t> parseTypeName(std::string_view name);
// 4 -> "REG_DWORD"; unknown codes as "REG_UNKNOWN(0x...)".
std::string typeName(std::uint32_t valueType);

struct DataError {
    std::string message;
};

// The bytes to store for /d `text` of the given type (`text` nullopt: no /d).
// REG_MULTI_SZ items are separated by the two characters \0, or by
// `separator` when given. REG_DWORD/REG_QWORD take decimal (negative numbers
// as two's complement) or 0x hex; REG_BINARY/REG_NONE a string of hex digits.
std::variant<regfile::Bytes, DataError> dataFromText(std::uint32_t valueType,
    const std::optional<std::string>& text, const std::optional<std::string>& separator);

// The data column of `query`: text as is, REG_MULTI_SZ joined by \0,
// numbers as 0x hex, everything else as upper-case hex digits.
std::string displayData(const regfile::ValueData& data);

// "(Default)" for the unnamed value.
std::string displayName(std::string_view valueName);

} // namespace regtool
