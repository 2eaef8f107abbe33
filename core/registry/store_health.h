// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Whether the settings store can be used, checked before start-up writes to
// it, so that the viewer can tell the operator about a store it has to leave
// alone. The registry calls themselves stay silent (see registry_api.h).
//
// Thread: any thread.
#include <string>

namespace registry_store {

enum class StoreState {
    Ok, // a sound store of ours that this user may read and write
    Missing, // no store yet: the first write creates it
    Broken, // not a sound store of ours: never written to, every value reads as missing
    ReadOnly, // this user may not write it (or not even read it): calls fail with ERROR_ACCESS_DENIED
    Unsafe, // another user owns or may write it or its folder: never read or written, calls fail with
            // ERROR_ACCESS_DENIED
};

struct StoreHealth {
    StoreState state = StoreState::Ok;
    std::string location; // the store file; on Windows, the registry
    std::string reason; // for Broken, ReadOnly and Unsafe, why, as a clause: "it is not an SQLite database"
};

// Looks at the current store (registry_store::storePath() on Linux) without
// writing to it. On Windows the registry itself is the store and always Ok.
StoreHealth checkStore();

} // namespace registry_store
