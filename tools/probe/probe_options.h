// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of veskat-probe.
#include <optional>
#include <string>
#include <vector>

namespace probe {

struct Options {
    std::string url; // as given: a whole URL or a camera address
    std::string user;
    std::string password;
    bool passwordFromStdin = false; // --password-stdin: the first line of standard input
    double seconds = 10.0;
};

struct ParseResult {
    std::optional<Options> options;
    std::string message; // usage or error text, when options is empty
    int exitCode = 0;
};

// The environment variable the password may come from, so that it does not
// show in the process list as a --password argument does.
inline constexpr const char* kPasswordVariable = "VESKAT_PROBE_PASSWORD";

// `arguments` without the program name; `passwordVariable` is the value of
// kPasswordVariable, or null when it is not set. --password and
// --password-stdin win over the variable.
ParseResult parseOptions(const std::vector<std::string>& arguments, const char* passwordVariable = nullptr);

// The password line as read from standard input, without its line end.
std::string passwordLine(std::string line);

} // namespace probe
