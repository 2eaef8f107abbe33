// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Small pieces the operations share: the error line, the success line, and
// asking before a change. Single-threaded, like the operations.
#include "tools/reg/console.h"

#include <ostream>
#include <string>

namespace regtool {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
// An unknown option in place of the operation; reg's own syntax errors stay 1.
constexpr int kExitUsage = 2;

inline int fail(Console& console, const std::string& message)
{
    console.err() << "ERROR: " << message << '\n';
    return kExitFailure;
}

inline int succeed(Console& console)
{
    console.out() << "The operation completed successfully.\n";
    return kExitSuccess;
}

enum class Consent { Given, Refused, NoTerminal };

// With `force` no question is asked. Without it, the question goes to the
// terminal; without a terminal nobody can consent.
inline Consent askConsent(Console& console, bool force, const std::string& question)
{
    if (force)
        return Consent::Given;
    const auto answer = console.confirm(question);
    if (!answer)
        return Consent::NoTerminal;
    return *answer ? Consent::Given : Consent::Refused;
}

// The exit for a consent that was not given. `situation` (may be empty) says
// what was found, `action` what would have been done.
inline int consentNotGiven(Console& console, Consent consent, const std::string& situation,
    const std::string& action, const std::string& forceSwitch)
{
    if (consent == Consent::Refused) {
        console.out() << "The operation was canceled by the user.\n";
        return kExitFailure;
    }
    return fail(console,
        situation + (situation.empty() ? "" : " ")
            + "Standard input is not a terminal, so veskat-reg cannot ask whether to " + action + "; add "
            + forceSwitch + " to do so without asking. Nothing was changed.");
}

} // namespace regtool
