// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Writes a .reg file the way regedit exports one: header, a blank line, then
// per key "[KEY]", its values and a blank line; CRLF line ends; hex data
// wrapped before 80 columns with "\" and a two-space indent. Version 5 files
// are UTF-16LE with a BOM, REGEDIT4 files UTF-8. Pure function, any thread.
#include "tools/reg/reg_file.h"

namespace regfile {

// Text is written in the given file's format and encoding; sections and values
// in the order given (the caller decides the order).
Bytes writeRegFile(const RegFile& file);

// One value as its "name"=data text (without line end), for tests and messages.
std::string formatValueLine(const ValueEntry& value, Format format);

} // namespace regfile
