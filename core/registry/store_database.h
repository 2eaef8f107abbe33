// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The SQLite file behind the registry stand-in: one connection per thread and
// store path, the tree of keys and their values, and the transaction rules.
//
// Keys form a tree (table `keys`: id, parent, name); the four hives are fixed
// ids equal to their predefined handle values and have no row. Values are raw
// bytes with any type code (table `vals`), listed in the order they were first
// written, as Windows lists them. Names compare case-insensitively with SQLite's
// NOCASE collation, which folds ASCII letters only: "Ä" and "ä" are two names.
//
// Thread: any thread; each thread gets its own connection, so nothing here is
// shared between threads.
#include "core/registry/registry_api.h"

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace registry_store::detail {

struct SqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using SqlitePtr = std::unique_ptr<sqlite3, SqliteCloser>;
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

using KeyId = std::int64_t;

struct StoredValue {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

// Whether an id is one of the hives (HKCR, HKCU, HKLM, HKU), which always exist.
bool isHiveId(KeyId id);

class Database {
public:
    explicit Database(SqlitePtr db);

    sqlite3* handle() const { return m_db.get(); }

    // Each returns a Windows error code; ERROR_SUCCESS when the statement ran.
    LONG findChild(KeyId parent, std::string_view name, std::optional<KeyId>& child);
    LONG createChild(KeyId parent, std::string_view name, KeyId& child);
    LONG keyExists(KeyId id, bool& exists);
    LONG readValue(KeyId key, std::string_view name, std::optional<StoredValue>& value);
    LONG writeValue(KeyId key, std::string_view name, DWORD type, std::string_view data);
    LONG deleteValue(KeyId key, std::string_view name, bool& deleted);
    LONG childAt(KeyId parent, DWORD index, std::optional<std::string>& name);
    LONG valueAt(KeyId key, DWORD index, std::optional<StoredValue>& value);
    // Deletes every key below `key` and their values; with `includeSelf` also
    // the key itself, otherwise its own values.
    LONG deleteTree(KeyId key, bool includeSelf);

    LONG exec(const char* sql);

private:
    sqlite3_stmt* prepare(const char* sql);

    SqlitePtr m_db;
    std::unordered_map<const char*, StatementPtr> m_statements;
};

// Maps an SQLite result code to the Windows error code the caller reports.
LONG toWindowsError(int sqliteCode);

// This thread's connection to the store at `path`. For a read, a store file
// that does not exist gives ERROR_FILE_NOT_FOUND and is not created; for a
// write it is created (with its folder). A file that is not a store of ours
// gives ERROR_REGISTRY_IO_FAILED and is never written to; one this user may
// not use gives ERROR_ACCESS_DENIED. Either way `reason` (when given) says why.
LONG openStore(
    const std::filesystem::path& path, bool forWrite, Database*& database, std::string* reason = nullptr);

// One registry call's view of the store: opens it, and for a write wraps the
// call in its own transaction, unless the thread is inside runInTransaction,
// whose transaction then covers the call.
class Session {
public:
    enum class Mode {
        Read, // a missing store reads as ERROR_FILE_NOT_FOUND
        Write, // creates the store when missing
        WriteExisting, // a write that has nothing to do in a missing store (deletions)
    };
    Session(const std::filesystem::path& path, Mode mode);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // ERROR_SUCCESS when the store is open; otherwise the reason.
    LONG status() const { return m_status; }
    Database& db() { return *m_database; }
    // Commits the call's own transaction; returns `result`, or the failure of
    // the commit. Without this the destructor rolls back.
    LONG commit(LONG result);

private:
    LONG m_status = ERROR_SUCCESS;
    Database* m_database = nullptr;
    bool m_ownTransaction = false;
};

} // namespace registry_store::detail
