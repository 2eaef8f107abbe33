// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of veskat-reg, shaped like Windows' reg: the operation,
// its key or file, and its switches (case-insensitive, "/x" or "-x").
// Pure function; checks syntax only, not the registry.
#include "tools/reg/key_path.h"

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace regtool {

enum class Operation { Query, Add, Delete, Export, Import };

struct Command {
    Operation operation = Operation::Query;
    regfile::KeyPath key; // query, add, delete, export
    std::optional<std::string> valueName; // /v NAME, or "" for /ve
    bool allValues = false; // delete /va
    bool recursive = false; // query /s
    std::optional<std::string> typeText; // add /t
    std::optional<std::string> data; // add /d
    std::optional<std::string> separator; // add /s
    bool force = false; // add/delete /f, export /y
    std::string file; // export, import
};

// Asks for the usage text: of one operation, or of the program when nullopt.
struct HelpRequest {
    std::optional<Operation> operation;
};

// Asks for the version (--version in place of the operation).
struct VersionRequest { };

// An option in place of the operation that is neither help nor --version.
struct UnknownOption {
    std::string option;
};

struct SyntaxError {
    std::string message;
    std::optional<Operation> operation; // whose usage to point to
};

using ParsedCommandLine = std::variant<Command, HelpRequest, VersionRequest, UnknownOption, SyntaxError>;

// `args` without the program name.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args);

std::string operationName(Operation operation); // "query"

} // namespace regtool
