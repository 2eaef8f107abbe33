// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The operations of veskat-reg. Each returns the exit code (0 success,
// 1 failure) after writing its result to the console's out() and any error
// as "ERROR: ..." to err(). Single-threaded.
#include "tools/reg/command_line.h"
#include "tools/reg/console.h"

#include <string>
#include <vector>

namespace regtool {

// The whole program: parses `args` (without the program name) and runs it.
int runCommandLine(const std::vector<std::string>& args, Console& console);

int runQuery(const Command& command, Console& console);
int runAdd(const Command& command, Console& console);
int runDelete(const Command& command, Console& console);
int runExport(const Command& command, Console& console);
int runImport(const Command& command, Console& console);

} // namespace regtool
