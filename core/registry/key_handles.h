// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// HKEY handles of the registry stand-in. A handle is a heap object that is
// only dereferenced after it is found in the set of live handles, so a bogus,
// null or closed handle gives ERROR_INVALID_HANDLE, never a crash.
//
// Thread: any thread (the set is locked).
#include "core/registry/registry_api.h"
#include "core/registry/store_database.h"

#include <string>

namespace registry_store::detail {

struct KeyState {
    std::string storePath; // the store the key lives in
    KeyId id = 0; // a hive id or a row of `keys`
    REGSAM access = 0; // the rights it was opened with, generic rights mapped
};

// The rights a requested mask grants, with generic rights mapped as Windows maps them.
REGSAM grantedAccess(REGSAM requested);

// The hive id of a predefined key (HKCR, HKCU, HKLM, HKU), or 0.
KeyId hiveOf(HKEY key);

HKEY openHandle(KeyState state);
// Copies the state of a live handle or a predefined key; false for anything else.
bool lookUpHandle(HKEY key, KeyState& state);
// False when the handle is not live.
bool closeHandle(HKEY key);

} // namespace registry_store::detail
