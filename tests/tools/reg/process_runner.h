// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Runs a program to its end and collects its exit code and output, for the
// end-to-end tests of veskat-reg. Standard input is /dev/null, or a
// pseudo-terminal fed with `terminalInput` so that the program sees a tty.
// The child inherits this process's environment (VESKAT_REGISTRY).
#include <filesystem>
#include <string>
#include <vector>

namespace regtest {

struct ProcessResult {
    int exitCode = -1; // -1 when it did not end normally (killed after the deadline)
    std::string out; // standard output (with a terminal: everything the terminal showed)
    std::string err;
};

ProcessResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args);
ProcessResult runOnTerminal(const std::filesystem::path& program, const std::vector<std::string>& args,
    const std::string& terminalInput);

} // namespace regtest
