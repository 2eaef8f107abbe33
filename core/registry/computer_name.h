// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The local computer name as Windows gives it (host name up to the first dot,
// cut to 15 characters, upper case) and the test of a machine name for
// RegConnectRegistryA.
//
// Thread: any thread.
#include "core/registry/registry_api.h"

#include <string>

namespace registry_store::detail {

std::string localComputerName();
// Null, "", or the local name with or without two leading backslashes, in
// any letter case. Every other name is a remote machine.
bool isLocalMachine(const char* machineName);

} // namespace registry_store::detail
