// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The usage texts of veskat-reg (veskat-reg /?, veskat-reg add /?, ...). Any thread.
#include "tools/reg/command_line.h"

#include <optional>
#include <string>

namespace regtool {

std::string usageText(std::optional<Operation> operation);

} // namespace regtool
