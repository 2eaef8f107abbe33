// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Where the registry stand-in keeps its store, and how a tool groups many
// registry calls into one all-or-nothing change. Linux only: on Windows the
// registry is the real one.
//
// Thread: any thread. A transaction covers the calls of the thread that runs
// runInTransaction, on the store that was current when it began.
#include <filesystem>
#include <functional>

namespace registry_store {

// VESKAT_REGISTRY when set, else $XDG_CONFIG_HOME/veskat/registry.sqlite3
// (XDG_CONFIG_HOME defaulting to ~/.config). Read anew at every call.
std::filesystem::path storePath();

// Runs `work` with every registry call made on this thread inside one transaction: commits when
// work returns true, rolls back otherwise. False when the store could not be opened or the commit failed.
// The transaction begins with the first call that reaches the store, so work that only reads a store
// that does not exist creates nothing. Nested calls join the outer transaction.
bool runInTransaction(const std::function<bool()>& work);

} // namespace registry_store
