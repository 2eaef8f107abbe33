// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/reg/console.h"

#include "tools/reg/key_path.h"

#include <iostream>
#include <unistd.h>

namespace regtool {

std::ostream& ProcessConsole::out()
{
    return std::cout;
}

std::ostream& ProcessConsole::err()
{
    return std::cerr;
}

std::optional<bool> ProcessConsole::confirm(const std::string& question)
{
    if (!::isatty(STDIN_FILENO))
        return std::nullopt;
    for (;;) {
        std::cout << question << std::flush;
        std::string answer;
        if (!std::getline(std::cin, answer)) {
            std::cout << '\n';
            return false; // end of input on the terminal: the answer is no
        }
        if (regfile::namesEqual(answer, "y") || regfile::namesEqual(answer, "yes"))
            return true;
        if (regfile::namesEqual(answer, "n") || regfile::namesEqual(answer, "no"))
            return false;
    }
}

} // namespace regtool
