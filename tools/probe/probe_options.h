#pragma once
// The command line of veskat-probe.
#include <optional>
#include <string>
#include <vector>

namespace probe {

struct Options {
    std::string url;
    std::string user;
    std::string password;
    double seconds = 10.0;
};

struct ParseResult {
    std::optional<Options> options;
    std::string message; // usage or error text, when options is empty
    int exitCode = 0;
};

// `arguments` without the program name.
ParseResult parseOptions(const std::vector<std::string>& arguments);

} // namespace probe
