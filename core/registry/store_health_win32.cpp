// SPDX-License-Identifier: GPL-2.0-or-later
// On Windows the store is the registry itself, which is never a file of the
// wrong kind; access to it is reported by each registry call.
#include "core/registry/store_health.h"

namespace registry_store {

StoreHealth checkStore()
{
    return { StoreState::Ok, "HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT", {} };
}

} // namespace registry_store
