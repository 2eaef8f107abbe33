// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The content of a .reg file as regedit reads it: a sequence of key sections,
// each creating (or deleting) a key and setting (or deleting) its values.
// Value data are held as the registry's "A" entry points store them: string
// types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as UTF-8 bytes with their NULs,
// everything else as raw bytes. Plain data, any thread.
#include "tools/reg/key_path.h"
#include "tools/reg/text_encoding.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace regfile {

// Value type codes, as Win32 numbers them.
namespace type {
constexpr std::uint32_t None = 0;
constexpr std::uint32_t Sz = 1;
constexpr std::uint32_t ExpandSz = 2;
constexpr std::uint32_t Binary = 3;
constexpr std::uint32_t Dword = 4;
constexpr std::uint32_t MultiSz = 7;
constexpr std::uint32_t Qword = 11;
} // namespace type

bool isStringType(std::uint32_t valueType);

struct ValueData {
    std::uint32_t type = type::Sz;
    Bytes bytes;
    bool operator==(const ValueData&) const = default;
};

struct ValueEntry {
    std::string name; // empty = the key's default value ("@" in the file)
    std::optional<ValueData> data; // nullopt = delete the value ("name"=-)
    int line = 0; // where it starts in the file (0 when not read from a file)
    bool operator==(const ValueEntry& o) const { return name == o.name && data == o.data; }
};

struct KeySection {
    KeyPath key;
    bool remove = false; // [-KEY]: delete the key and everything below it
    std::vector<ValueEntry> values;
    int line = 0;
    bool operator==(const KeySection& o) const
    {
        return key == o.key && remove == o.remove && values == o.values;
    }
};

enum class Format {
    Version5, // "Windows Registry Editor Version 5.00": string data in hex(...) are UTF-16LE
    Regedit4, // "REGEDIT4": string data in hex(...) are ANSI (UTF-8 here)
};

enum class Encoding { Utf16le, Utf8 };

struct RegFile {
    Format format = Format::Version5;
    Encoding encoding = Encoding::Utf16le;
    std::vector<KeySection> sections;
};

// Why a file cannot be read.
struct ParseError {
    int line = 0; // 1-based; 0 when the fault concerns the file as a whole
    std::string reason;
};

// The largest .reg file import reads: settings exports are a few KiB, and a
// wrong file name must not read a disk image into memory.
inline constexpr std::size_t kMaxRegFileBytes = 16 * 1024 * 1024;

inline constexpr std::string_view kVersion5Header = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kRegedit4Header = "REGEDIT4";

} // namespace regfile
