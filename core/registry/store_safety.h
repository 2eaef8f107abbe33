// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Whether a settings store may be trusted at all, the way ssh treats its
// files: the store, its -wal and -shm files and its folder (the one named and,
// through a symbolic link, the one it points into) must belong to this user or
// root, and neither the group nor other users may write them. Another user who
// could write any of them could read the cameras' passwords or plant settings.
//
// Thread: any thread. Linux only: on Windows the registry is the real one.
#include <filesystem>
#include <optional>
#include <string>

namespace registry_store {

// Why the store at `path` must be left alone, as a clause ("it belongs to
// another user (uid 65534)"), or nullopt when nothing there speaks against it.
// Parts that do not exist yet are not judged: the store creates them private.
std::optional<std::string> storeSafetyProblem(const std::filesystem::path& path);

} // namespace registry_store
