// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/command_support.h"
#include "tools/reg/commands.h"
#include "tools/reg/help_text.h"

#include "veskat_version.h"

namespace regtool {

int runCommandLine(const std::vector<std::string>& args, Console& console)
{
    const auto parsed = parseCommandLine(args);
    if (const auto* help = std::get_if<HelpRequest>(&parsed)) {
        console.out() << usageText(help->operation);
        return kExitSuccess;
    }
    if (std::holds_alternative<VersionRequest>(parsed)) {
        console.out() << "veskat-reg " << buildinfo::kVersion << '\n';
        return kExitSuccess;
    }
    if (const auto* unknown = std::get_if<UnknownOption>(&parsed)) {
        console.err() << "veskat-reg: unknown option " << unknown->option << " (see veskat-reg /?)\n";
        return kExitUsage;
    }
    if (const auto* error = std::get_if<SyntaxError>(&parsed)) {
        console.err() << "ERROR: Invalid syntax: " << error->message << ".\n";
        if (error->operation)
            console.err() << "Type \"veskat-reg " << operationName(*error->operation) << " /?\" for usage.\n";
        else
            console.err() << "Type \"veskat-reg /?\" for usage.\n";
        return kExitFailure;
    }
    const auto& command = std::get<Command>(parsed);
    switch (command.operation) {
    case Operation::Query:
        return runQuery(command, console);
    case Operation::Add:
        return runAdd(command, console);
    case Operation::Delete:
        return runDelete(command, console);
    case Operation::Export:
        return runExport(command, console);
    case Operation::Import:
        return runImport(command, console);
    }
    return kExitFailure;
}

} // namespace regtool
