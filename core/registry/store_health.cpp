// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/registry/store_health.h"

#include "core/registry/registry_store.h"
#include "core/registry/store_database.h"
#include "core/registry/store_safety.h"

#include <unistd.h>

namespace registry_store {
namespace {

// The folder the first write would create the store in, or the nearest one
// above it that exists.
std::filesystem::path nearestFolder(const std::filesystem::path& store)
{
    auto folder = store.has_parent_path() ? store.parent_path() : std::filesystem::path(".");
    while (::access(folder.c_str(), F_OK) != 0 && folder.has_parent_path() && folder != folder.parent_path())
        folder = folder.parent_path();
    return folder;
}

} // namespace

StoreHealth checkStore()
{
    const auto path = storePath();
    StoreHealth health { StoreState::Ok, path.string(), {} };
    if (auto problem = storeSafetyProblem(path))
        return { StoreState::Unsafe, path.string(), std::move(*problem) };
    detail::Database* database = nullptr;
    switch (detail::openStore(path, false, database, &health.reason)) {
    case ERROR_SUCCESS:
        if (sqlite3_db_readonly(database->handle(), "main") == 1) {
            health.state = StoreState::ReadOnly;
            health.reason = "this user may not write the file";
        }
        break;
    case ERROR_FILE_NOT_FOUND:
        health.state = StoreState::Missing;
        if (const auto folder = nearestFolder(path); ::access(folder.c_str(), W_OK | X_OK) != 0) {
            health.state = StoreState::ReadOnly;
            health.reason = "it does not exist, and this user may not create it in " + folder.string();
        }
        break;
    case ERROR_ACCESS_DENIED:
        health.state = StoreState::ReadOnly;
        break;
    default:
        health.state = StoreState::Broken;
        break;
    }
    return health;
}

} // namespace registry_store
