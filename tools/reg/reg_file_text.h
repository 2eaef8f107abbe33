// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The first step of reading a .reg file: bytes to lines of UTF-8 text.
// Detects UTF-16LE (BOM, or the zero high bytes of plain ASCII) and UTF-8
// (with or without BOM). Pure function, any thread.
#include "tools/reg/reg_file.h"

#include <string>
#include <variant>
#include <vector>

namespace regfile {

struct FileText {
    Encoding encoding = Encoding::Utf8;
    std::vector<std::string> lines; // line i is line number i + 1; CRLF, LF and CR all end a line
};

std::variant<FileText, ParseError> decodeRegFileText(const Bytes& fileContent);

} // namespace regfile
