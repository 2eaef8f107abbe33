// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The command line of veskat-cameras, read before QApplication exists so that
// --help, --version and a mistyped option need no display. The viewer has no
// options of its own beyond those; Qt's own (-platform, -geometry, -style, ...)
// are let through for QApplication to take. Pure function, any thread.
#include <string>
#include <vector>

namespace viewer {

enum class Action { Run, ShowHelp, ShowVersion, Refuse };

struct OptionsResult {
    Action action = Action::Run;
    std::string message; // help, version or one-line error text, ending in a newline
    int exitCode = 0;
};

// `arguments` without the program name.
OptionsResult parseOptions(const std::vector<std::string>& arguments);

} // namespace viewer
