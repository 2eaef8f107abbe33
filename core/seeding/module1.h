// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Start-up of the program: the settings store is checked, and the settings
// are created and completed before any window exists.
//
// Thread: UI thread, once, before the frame is created.
#include "core/registry/store_health.h"

#include <optional>
#include <string>

namespace Module1 {

// Sets MaxCameraIndex, checks the settings store and, when it can be written,
// creates the settings keys and writes every missing or empty setting with
// its default; then loads CameraSize (settings/process_state.h). A broken or
// read-only store is left as it is. Returns the store's health as found
// before seeding. Registry failures are silent: start-up always goes on.
registry_store::StoreHealth SeedSettings();

// What start-up tells the operator about a store it cannot use, in one line
// that names the file and the reason; nothing for a sound or a missing store.
std::optional<std::string> StoreWarning(const registry_store::StoreHealth& health);

} // namespace Module1
