// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/registry/store_database.h"

namespace registry_store::detail {
namespace {

// Resets a cached statement when the call is done with it, so that it holds
// no read lock between calls.
struct StatementUse {
    sqlite3_stmt* statement;
    ~StatementUse()
    {
        if (statement) {
            sqlite3_reset(statement);
            sqlite3_clear_bindings(statement);
        }
    }
};

void bindText(sqlite3_stmt* statement, int index, std::string_view text)
{
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

std::string columnBytes(sqlite3_stmt* statement, int column)
{
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    const int size = sqlite3_column_bytes(statement, column);
    return bytes ? std::string(bytes, static_cast<std::size_t>(size)) : std::string();
}

std::string columnText(sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    const int size = sqlite3_column_bytes(statement, column);
    return text ? std::string(text, static_cast<std::size_t>(size)) : std::string();
}

StoredValue valueFromRow(sqlite3_stmt* statement)
{
    StoredValue value;
    value.name = columnText(statement, 0);
    value.type = static_cast<DWORD>(sqlite3_column_int64(statement, 1));
    value.data = columnBytes(statement, 2);
    return value;
}

} // namespace

bool isHiveId(KeyId id)
{
    return id >= 0x80000000LL && id <= 0x80000003LL;
}

LONG toWindowsError(int sqliteCode)
{
    switch (sqliteCode & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ERROR_SUCCESS;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

Database::Database(SqlitePtr db)
    : m_db(std::move(db))
{
}

sqlite3_stmt* Database::prepare(const char* sql)
{
    auto found = m_statements.find(sql);
    if (found != m_statements.end())
        return found->second.get();
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(m_db.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr) != SQLITE_OK)
        return nullptr;
    m_statements.emplace(sql, StatementPtr(raw));
    return raw;
}

LONG Database::exec(const char* sql)
{
    return toWindowsError(sqlite3_exec(m_db.get(), sql, nullptr, nullptr, nullptr));
}

LONG Database::findChild(KeyId parent, std::string_view name, std::optional<KeyId>& child)
{
    child.reset();
    StatementUse use { prepare("SELECT id FROM keys WHERE parent = ?1 AND name = ?2") };
    if (!use.statement)
        return ERROR_REGISTRY_IO_FAILED;
    sqlite3_bind_int64(use.statement, 1, parent);
    bindText(use.statement, 2, name);
    const int rc = sqlite3_step(use.statement);
    if (rc == SQLITE_ROW)
        child = sqlite3_column_int64(use.statement, 0);
    return toWindowsError(rc);
}

LONG Database::createChild(KeyId parent, std::string_view name, KeyId& child)
{
    StatementUse use { prepare("INSERT INTO keys(parent, name) VALUES(?1, ?2)") };
    if (!use.statement)
        return ERROR_REGISTRY_IO_FAILED;
    sqlite3_bind_int64(use.statement, 1, parent);
    bindText(use.statement, 2, name);
    const int rc = sqlite3_step(use.statement);
    child = sqlite3_last_insert_rowid(m_db.get());
    return toWindowsError(rc);
}

LONG Database::keyExists(KeyId id, bool& exists)
{
    exists = isHiveId(id);
    if (exists)
        return ERROR_SUCCESS;
    StatementUse use { prepare("SELECT 1 FROM keys WHERE id = ?1") };
    if (!use.statement)
        return ERROR_REGISTRY_IO_FAILED;
    sqlite3_bind_int64(use.statement, 1, id);
    const int rc = sqlite3_step(use.statement);
    exists = rc == SQLITE_ROW;
    return toWindowsError(rc);
}

LONG Database::readValue(KeyId key, std::string_view name, std::optional<StoredValue>& value)
{
    value.reset();
    StatementUse use { prepare("SELECT name, type, data FROM vals WHERE key = ?1 AND name = ?2") };
    if (!use.statement)
        return ERROR_REGISTRY_IO_FAILED;
    sqlite3_bind_int64(use.statement, 1, key);
    bindText(use.statement, 2, name);
    const int rc = sqlite3_step(use.statement);
    if (rc == SQLITE_ROW)
        value = valueFromRow(use.statement);
    return toWindowsError(rc);
}

LONG Database::writeValue(KeyId key, std::string_view name, DWORD type, std::string_view data)
{
    // An update keeps the value's place in the listing and the spelling of
    // its name, as Windows does.
    StatementUse use { prepare(
        "INSERT INTO vals(key, name, type, data) VALUES(?1, ?2, ?3, ?4) "
        "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data") };
    if (!use.statement)
        return ERROR_REGISTRY_IO_FAILED;
    sqlite3_bind_int64(use.statement, 1, key);
    bindText(use.statement, 2, name);
    sqlite3_bind_int64(use.statement, 3, type);
    // A non-null pointer even for no bytes: a null one would store NULL.
    sqlite3_bind_blob(
        use.statement, 4, data.empty() ? "" : data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
    return toWindowsError(sqlite3_step(use.statement));
}

LONG Database::deleteValue(KeyId key, std::string_view name, bool& deleted)
{
    StatementUse use { prepare("DELETE FROM vals WHERE key = ?1 AND name = ?2") };
    if (!use.statement)
        return ERROR_REGISTRY_IO_FAILED;
    sqlite3_bind_int64(use.statement, 1, key);
    bindText(use.statement, 2, name);
    const int rc = sqlite3_step(use.statement);
    deleted = sqlite3_changes(m_db.get()) > 0;
    return toWindowsError(rc);
}

LONG Database::childAt(KeyId parent, DWORD index, std::optional<std::string>& name)
{
    name.reset();
    // Windows lists sub-keys sorted by their upper-cased names.
    StatementUse use { prepare(
        "SELECT name FROM keys WHERE parent = ?1 ORDER BY upper(name), name LIMIT 1 OFFSET ?2") };
    if (!use.statement)
        return ERROR_REGISTRY_IO_FAILED;
    sqlite3_bind_int64(use.statement, 1, parent);
    sqlite3_bind_int64(use.statement, 2, index);
    const int rc = sqlite3_step(use.statement);
    if (rc == SQLITE_ROW)
        name = columnText(use.statement, 0);
    return toWindowsError(rc);
}

LONG Database::valueAt(KeyId key, DWORD index, std::optional<StoredValue>& value)
{
    value.reset();
    StatementUse use { prepare(
        "SELECT name, type, data FROM vals WHERE key = ?1 ORDER BY seq LIMIT 1 OFFSET ?2") };
    if (!use.statement)
        return ERROR_REGISTRY_IO_FAILED;
    sqlite3_bind_int64(use.statement, 1, key);
    sqlite3_bind_int64(use.statement, 2, index);
    const int rc = sqlite3_step(use.statement);
    if (rc == SQLITE_ROW)
        value = valueFromRow(use.statement);
    return toWindowsError(rc);
}

LONG Database::deleteTree(KeyId key, bool includeSelf)
{
    static constexpr const char* kSteps[] = {
        "WITH RECURSIVE below(id) AS (SELECT id FROM keys WHERE parent = ?1 "
        "UNION ALL SELECT keys.id FROM keys JOIN below ON keys.parent = below.id) "
        "DELETE FROM vals WHERE key IN (SELECT id FROM below)",
        "WITH RECURSIVE below(id) AS (SELECT id FROM keys WHERE parent = ?1 "
        "UNION ALL SELECT keys.id FROM keys JOIN below ON keys.parent = below.id) "
        "DELETE FROM keys WHERE id IN (SELECT id FROM below)",
        "DELETE FROM vals WHERE key = ?1",
        "DELETE FROM keys WHERE id = ?1",
    };
    for (const char* sql : kSteps) {
        if (!includeSelf && sql == kSteps[3])
            break;
        StatementUse use { prepare(sql) };
        if (!use.statement)
            return ERROR_REGISTRY_IO_FAILED;
        sqlite3_bind_int64(use.statement, 1, key);
        if (const LONG status = toWindowsError(sqlite3_step(use.statement)); status != ERROR_SUCCESS)
            return status;
    }
    return ERROR_SUCCESS;
}

} // namespace registry_store::detail
