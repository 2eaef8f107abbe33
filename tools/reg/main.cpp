// SPDX-License-Identifier: GPL-2.0-or-later
// veskat-reg: the command-line editor of the settings store (see help_text.cpp).
#include "tools/reg/commands.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    try {
        regtool::ProcessConsole console;
        return regtool::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), console);
    } catch (const std::exception& e) {
        std::cerr << "ERROR: " << e.what() << '\n';
        return 1;
    }
}
