// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Reads a .reg file in any form regedit writes or reads: "Windows Registry
// Editor Version 5.00" (UTF-16LE with BOM, or UTF-8 with or without BOM) and
// "REGEDIT4" (UTF-8). The whole file is checked: the first fault ends the
// parse with its line number and reason. Pure function, any thread.
#include "tools/reg/reg_file.h"

#include <string>
#include <variant>

namespace regfile {

std::variant<RegFile, ParseError> parseRegFile(const Bytes& fileContent);

} // namespace regfile
