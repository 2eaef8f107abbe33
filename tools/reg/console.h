// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where veskat-reg's commands write and how they ask "(Yes/No)?". The real
// console asks only when standard input is a terminal; tests pass their own.
// Single-threaded: the program's one thread.
#include <iosfwd>
#include <optional>
#include <string>

namespace regtool {

class Console {
public:
    virtual ~Console() = default;
    virtual std::ostream& out() = 0;
    virtual std::ostream& err() = 0;
    // Asks `question` until the answer is yes or no. nullopt when nobody can
    // answer: standard input is not a terminal, or it ended.
    virtual std::optional<bool> confirm(const std::string& question) = 0;
};

// stdout, stderr, and questions on the terminal of standard input.
class ProcessConsole : public Console {
public:
    std::ostream& out() override;
    std::ostream& err() override;
    std::optional<bool> confirm(const std::string& question) override;
};

} // namespace regtool
