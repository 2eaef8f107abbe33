// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/command_line.h"

#include "core/util/ascii_text.h"

#include <algorithm>
#include <array>

namespace regtool {
namespace {

struct OperationEntry {
    Operation operation;
    std::string_view name;
    int positionals; // KEY, or KEY FILE, or FILE
    std::vector<std::string_view> switches; // without the leading '/'
};

const std::array<OperationEntry, 5> kOperations = { {
    { Operation::Query, "query", 1, { "v", "ve", "s" } },
    { Operation::Add, "add", 1, { "v", "ve", "t", "d", "s", "f" } },
    { Operation::Delete, "delete", 1, { "v", "ve", "va", "f" } },
    { Operation::Export, "export", 2, { "y" } },
    { Operation::Import, "import", 1, {} },
} };

// Every switch any operation knows, to tell "not for this operation" from a path.
constexpr std::string_view kAllSwitches[] = { "v", "ve", "va", "s", "t", "d", "f", "y" };

// Switches that take the next argument as their value.
bool takesArgument(Operation operation, std::string_view name)
{
    return name == "v" || name == "t" || name == "d" || (name == "s" && operation == Operation::Add);
}

bool isHelp(std::string_view arg)
{
    const auto l = util::asciiLower(arg);
    return l == "/?" || l == "-?" || l == "-h" || l == "/h" || l == "--help" || l == "/help";
}

// The switch name of "/x" or "-x" when it is one any operation knows, else "".
std::string switchName(std::string_view arg)
{
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-'))
        return {};
    const auto name = util::asciiLower(arg.substr(1));
    for (auto known : kAllSwitches) {
        if (name == known)
            return name;
    }
    return {};
}

SyntaxError syntax(Operation operation, std::string message)
{
    return SyntaxError { std::move(message), operation };
}

} // namespace

std::string operationName(Operation operation)
{
    for (const auto& entry : kOperations) {
        if (entry.operation == operation)
            return std::string(entry.name);
    }
    return {};
}

ParsedCommandLine parseCommandLine(const std::vector<std::string>& args)
{
    if (args.empty())
        return SyntaxError { "no operation was given", std::nullopt };
    if (isHelp(args[0]))
        return HelpRequest {};
    if (util::asciiLower(args[0]) == "--version")
        return VersionRequest {};
    // An operation never starts with a switch character.
    if (args[0].size() > 1 && (args[0][0] == '-' || args[0][0] == '/'))
        return UnknownOption { args[0] };

    const auto verb = util::asciiLower(args[0]);
    const auto entry = std::find_if(
        kOperations.begin(), kOperations.end(), [&](const OperationEntry& s) { return s.name == verb; });
    if (entry == kOperations.end())
        return SyntaxError {
            "\"" + args[0] + "\" is not an operation; use query, add, delete, export or import", std::nullopt
        };
    const Operation op = entry->operation;
    if (std::any_of(args.begin() + 1, args.end(), [](const std::string& a) { return isHelp(a); }))
        return HelpRequest { op };

    Command command;
    command.operation = op;
    std::vector<std::string> positionals;
    std::vector<std::string> seen;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto name = switchName(arg);
        if (name.empty()) {
            if (static_cast<int>(positionals.size()) == entry->positionals) {
                if (arg.size() > 1 && (arg[0] == '/' || arg[0] == '-'))
                    return syntax(op, "unknown switch " + arg);
                return syntax(op, "too many arguments (\"" + arg + "\"); put names with spaces in quotes");
            }
            positionals.push_back(arg);
            continue;
        }
        if (std::find(entry->switches.begin(), entry->switches.end(), name) == entry->switches.end())
            return syntax(op, "the switch " + arg + " is not valid for " + std::string(entry->name));
        if (std::find(seen.begin(), seen.end(), name) != seen.end())
            return syntax(op, "the switch /" + name + " is given twice");
        seen.push_back(name);

        std::string value;
        if (takesArgument(op, name)) {
            if (i + 1 >= args.size())
                return syntax(op, "the switch " + arg + " must be followed by a value");
            value = args[++i];
        }
        if (name == "v")
            command.valueName = value;
        else if (name == "ve")
            command.valueName = std::string();
        else if (name == "va")
            command.allValues = true;
        else if (name == "s" && op == Operation::Query)
            command.recursive = true;
        else if (name == "s")
            command.separator = value;
        else if (name == "t")
            command.typeText = value;
        else if (name == "d")
            command.data = value;
        else if (name == "f" || name == "y")
            command.force = true;
    }

    const auto has = [&](std::string_view n) { return std::find(seen.begin(), seen.end(), n) != seen.end(); };
    if (has("v") && has("ve"))
        return syntax(op, "give either /v NAME or /ve, not both");
    if (has("va") && (has("v") || has("ve")))
        return syntax(op, "give only one of /v NAME, /ve and /va");
    if (has("v") && command.valueName->empty())
        return syntax(op, "the value name after /v is empty; use /ve for the (Default) value");

    if (static_cast<int>(positionals.size()) < entry->positionals) {
        const char* missing = op == Operation::Import ? "the file name is missing"
            : positionals.empty()                     ? "the key name is missing"
                                                      : "the file name is missing";
        return syntax(op, missing);
    }
    if (op == Operation::Import) {
        command.file = positionals[0];
    } else {
        std::string error;
        auto key = regfile::parseKeyPath(positionals[0], true, error);
        if (!key)
            return syntax(op, error);
        command.key = std::move(*key);
        if (op == Operation::Export)
            command.file = positionals[1];
    }
    return command;
}

} // namespace regtool
