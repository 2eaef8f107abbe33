// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/registry/registry_store.h"

#include "core/registry/store_database.h"
#include "core/registry/store_safety.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <set>
#include <system_error>

namespace registry_store::detail {
namespace {

// "VSKR": marks a file as a store of ours, so that a foreign SQLite file named
// by VESKAT_REGISTRY is never written to.
constexpr int kApplicationId = 0x56534B52;
constexpr int kSchemaVersion = 1;
// Another process (veskat-reg import, a second instance) holds the write lock
// only for milliseconds; wait long rather than drop a setting.
constexpr int kBusyTimeoutMs = 10000;

constexpr const char* kSchema = R"sql(
CREATE TABLE keys(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL COLLATE NOCASE,
    UNIQUE(parent, name));
CREATE TABLE vals(
    seq INTEGER PRIMARY KEY AUTOINCREMENT,
    key INTEGER NOT NULL,
    name TEXT NOT NULL COLLATE NOCASE,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    UNIQUE(key, name));
)sql";

struct TransactionState {
    bool active = false; // inside runInTransaction
    Database* begun = nullptr; // the connection whose transaction is open
    std::string beganPath;
};
thread_local TransactionState t_transaction;

struct CachedConnection {
    pid_t owner = 0; // a forked child must not use its parent's connections
    dev_t device = 0;
    ino_t inode = 0;
    std::unique_ptr<Database> database;
};
// Keyed by path; a file replaced or deleted behind our back is reopened, so a
// write never goes into an unlinked file.
thread_local std::unordered_map<std::string, CachedConnection> t_connections;

LONG errnoToWindows(int error)
{
    return (error == EACCES || error == EPERM || error == EROFS) ? ERROR_ACCESS_DENIED
                                                                 : ERROR_REGISTRY_IO_FAILED;
}

bool queryInt(sqlite3* db, const char* sql, long long& result)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        return false;
    StatementPtr statement(raw);
    if (sqlite3_step(raw) != SQLITE_ROW)
        return false;
    result = sqlite3_column_int64(raw, 0);
    return true;
}

bool queryText(sqlite3* db, const char* sql, std::string& result)
{
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
        return false;
    StatementPtr statement(raw);
    if (sqlite3_step(raw) != SQLITE_ROW)
        return false;
    const auto* text = sqlite3_column_text(raw, 0);
    result = text ? reinterpret_cast<const char*>(text) : "";
    return true;
}

void fsyncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Makes the store's folder and every missing folder above it 0700, as the
// store holds the cameras' passwords. A folder that exists keeps its mode.
LONG createPrivateFolders(const std::filesystem::path& folder)
{
    struct stat info { };
    if (folder.empty() || ::stat(folder.c_str(), &info) == 0)
        return ERROR_SUCCESS;
    if (errno != ENOENT)
        return errnoToWindows(errno);
    if (const LONG status = createPrivateFolders(folder.parent_path()); status != ERROR_SUCCESS)
        return status;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return errnoToWindows(errno);
    return ERROR_SUCCESS;
}

// Makes an empty file 0600 whatever the umask, before SQLite opens it: SQLite
// would create it 0644, and gives its -wal and -shm files the file's mode.
LONG createPrivateFile(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errnoToWindows(errno);
    const bool madePrivate = ::fchmod(fd, 0600) == 0;
    const int error = errno;
    ::close(fd);
    return madePrivate ? ERROR_SUCCESS : errnoToWindows(error);
}

// Builds a complete, empty store under a temporary name and links it into
// place, so the store file never exists half-made, and of two processes
// creating it at once one wins and the other uses its file.
LONG createStoreFile(const std::filesystem::path& path)
{
    const auto folder = path.parent_path();
    if (const LONG status = createPrivateFolders(folder); status != ERROR_SUCCESS)
        return status;
    // The folder may have been there already, or been made by someone else meanwhile.
    if (storeSafetyProblem(path))
        return ERROR_ACCESS_DENIED;
    std::random_device random;
    auto temporary = path;
    temporary += ".new-" + std::to_string(::getpid()) + "-" + std::to_string(random());
    if (const LONG status = createPrivateFile(temporary); status != ERROR_SUCCESS)
        return status;

    LONG status = ERROR_SUCCESS;
    {
        sqlite3* raw = nullptr;
        const int rc
            = sqlite3_open_v2(temporary.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        SqlitePtr db(raw);
        if (rc != SQLITE_OK) {
            status = toWindowsError(rc);
        } else {
            const std::string setup = std::string("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; BEGIN;")
                + kSchema + "PRAGMA application_id=" + std::to_string(kApplicationId)
                + "; PRAGMA user_version=" + std::to_string(kSchemaVersion) + "; COMMIT;";
            if (sqlite3_exec(raw, setup.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
                status = toWindowsError(sqlite3_errcode(raw));
        }
    }
    if (status == ERROR_SUCCESS && ::link(temporary.c_str(), path.c_str()) != 0 && errno != EEXIST)
        status = errnoToWindows(errno);
    std::error_code ec;
    std::filesystem::remove(temporary, ec);
    if (status == ERROR_SUCCESS && !folder.empty())
        fsyncFolder(folder);
    return status;
}

// A store that an older version made, or that was copied in, may be readable
// by other users: it holds the cameras' passwords, so only its owner keeps
// access, and standard error says so once per file.
void makeStorePrivate(const std::filesystem::path& path)
{
    static std::mutex mutex;
    static std::set<std::string> told;
    bool tightened = false;
    bool stillOpen = false; // what is said must be true after the chmods, not hoped for
    std::string failure;
    for (const char* suffix : { "", "-wal", "-shm" }) {
        auto file = path;
        file += suffix;
        struct stat info { };
        // The store may be a link the user made; its -wal and -shm are SQLite's and are never followed.
        const int found = *suffix ? ::lstat(file.c_str(), &info) : ::stat(file.c_str(), &info);
        if (found != 0 || !S_ISREG(info.st_mode) || (info.st_mode & 077) == 0)
            continue;
        if (info.st_uid != ::geteuid()) {
            stillOpen = true;
            if (failure.empty())
                failure = "it belongs to root";
        } else if (::chmod(file.c_str(), info.st_mode & 0700) == 0) {
            tightened = true;
        } else {
            stillOpen = true;
            if (failure.empty())
                failure = std::strerror(errno);
        }
    }
    if (!tightened && !stillOpen)
        return;
    const std::lock_guard lock(mutex);
    if (!told.insert(path.string()).second)
        return;
    if (!stillOpen)
        std::fprintf(stderr,
            "%s: the settings store %s was readable by other users; now only its owner may read it.\n",
            program_invocation_short_name, path.c_str());
    else
        std::fprintf(stderr,
            "%s: the settings store %s is readable by other users and could not be made private: %s.\n",
            program_invocation_short_name, path.c_str(), failure.c_str());
}

// Why SQLite failed on an existing store file: either this user may not use
// it (ERROR_ACCESS_DENIED), or its bytes are not a sound database.
LONG refusal(const std::filesystem::path& path, int sqliteCode, std::string& reason)
{
    const int primary = sqliteCode & 0xFF;
    if (primary == SQLITE_NOTADB) {
        reason = "it is not an SQLite database";
        return ERROR_REGISTRY_IO_FAILED;
    }
    if (primary == SQLITE_CORRUPT) {
        reason = "it is damaged (cut short or overwritten)";
        return ERROR_REGISTRY_IO_FAILED;
    }
    if (::access(path.c_str(), R_OK) != 0 || ::access(path.c_str(), W_OK) != 0) {
        reason = std::string("this user may not ") + (::access(path.c_str(), R_OK) != 0 ? "read" : "write")
            + " the file";
        return ERROR_ACCESS_DENIED;
    }
    // SQLite keeps its -wal and -shm files next to the store, and cannot read
    // it without them.
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        reason = "this user may not create files in its folder " + folder.string()
            + ", where SQLite keeps the store's -wal and -shm files";
        return ERROR_ACCESS_DENIED;
    }
    reason = std::string("SQLite cannot read it: ") + sqlite3_errstr(sqliteCode);
    return ERROR_REGISTRY_IO_FAILED;
}

bool isEmptyFile(const std::filesystem::path& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 && info.st_size == 0;
}

// Opens an existing file and accepts it only if it is a sound store of ours;
// otherwise `reason` says why not. A file this user may read but not write
// opens read-only: its writes fail with ERROR_ACCESS_DENIED.
LONG openExisting(const std::filesystem::path& path, std::unique_ptr<Database>& database, std::string& reason)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    SqlitePtr db(raw);
    if (rc != SQLITE_OK)
        return refusal(path, rc, reason);
    sqlite3_busy_timeout(raw, kBusyTimeoutMs);

    long long applicationId = 0;
    long long version = 0;
    std::string check;
    std::string journal;
    if (!queryInt(raw, "PRAGMA application_id", applicationId))
        return refusal(path, sqlite3_extended_errcode(raw), reason);
    if (applicationId != kApplicationId) {
        reason = isEmptyFile(path) ? "the file is empty"
                                   : "it is an SQLite database of another program, not a settings store";
        return ERROR_REGISTRY_IO_FAILED;
    }
    if (!queryInt(raw, "PRAGMA user_version", version))
        return refusal(path, sqlite3_extended_errcode(raw), reason);
    if (version != kSchemaVersion) {
        reason = "it is a settings store of format " + std::to_string(version)
            + ", which this version of the program does not know";
        return ERROR_REGISTRY_IO_FAILED;
    }
    if (!queryText(raw, "PRAGMA quick_check", check))
        return refusal(path, sqlite3_extended_errcode(raw), reason);
    if (check != "ok") {
        reason = "it is damaged (cut short or overwritten)";
        return ERROR_REGISTRY_IO_FAILED;
    }
    if (!queryText(raw, "PRAGMA journal_mode", journal))
        return refusal(path, sqlite3_extended_errcode(raw), reason);
    if (journal != "wal") {
        reason = "its journal mode is " + journal + ", where a settings store uses wal";
        return ERROR_REGISTRY_IO_FAILED;
    }
    // NORMAL in WAL mode: a commit is in the WAL file (the kernel's hands) when
    // the call returns, so a killed or crashed process loses nothing it was told
    // was written; the WAL is synced at every checkpoint and when the last
    // connection closes (clean exit). Only a power cut or kernel crash can lose
    // the writes since then, never corrupt the store. FULL would sync every
    // write (about 4 ms each here): 0.5 s for first start-up, a third of a second
    // of frozen window for a saved configuration form.
    if (sqlite3_exec(raw, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr) != SQLITE_OK)
        return refusal(path, sqlite3_extended_errcode(raw), reason);
    database = std::make_unique<Database>(std::move(db));
    return ERROR_SUCCESS;
}

} // namespace

LONG openStore(const std::filesystem::path& path, bool forWrite, Database*& database, std::string* reason)
{
    database = nullptr;
    std::string ignored;
    std::string& why = reason ? *reason : ignored;
    const std::string key = path.string();
    if (t_transaction.begun && t_transaction.beganPath == key) {
        database = t_transaction.begun;
        return ERROR_SUCCESS;
    }
    // Never used, not even read: another user could plant settings in it or read what we write.
    if (auto problem = storeSafetyProblem(path)) {
        t_connections.erase(key);
        why = std::move(*problem);
        return ERROR_ACCESS_DENIED;
    }
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0) {
        t_connections.erase(key);
        if (const int error = errno; error != ENOENT) {
            why = error == EACCES ? "this user may not open its folder" : std::strerror(error);
            return errnoToWindows(error);
        }
        if (!forWrite)
            return ERROR_FILE_NOT_FOUND;
        if (const LONG status = createStoreFile(path); status != ERROR_SUCCESS)
            return status;
        if (::stat(path.c_str(), &info) != 0)
            return errnoToWindows(errno);
    }
    if (!S_ISREG(info.st_mode)) {
        t_connections.erase(key);
        why = "it is not a file";
        return ERROR_REGISTRY_IO_FAILED;
    }
    const pid_t self = ::getpid();
    auto found = t_connections.find(key);
    if (found != t_connections.end() && found->second.owner != self) {
        // Inherited across fork: closing it here could disturb the parent's
        // locks, so it is left open and forgotten.
        for (auto& entry : t_connections)
            static_cast<void>(entry.second.database.release());
        t_connections.clear();
        found = t_connections.end();
    }
    if (found != t_connections.end() && found->second.device == info.st_dev
        && found->second.inode == info.st_ino) {
        database = found->second.database.get();
        return ERROR_SUCCESS;
    }
    t_connections.erase(key);
    std::unique_ptr<Database> opened;
    if (const LONG status = openExisting(path, opened, why); status != ERROR_SUCCESS)
        return status;
    makeStorePrivate(path);
    database = opened.get();
    t_connections[key] = CachedConnection { self, info.st_dev, info.st_ino, std::move(opened) };
    return ERROR_SUCCESS;
}

Session::Session(const std::filesystem::path& path, Mode mode)
{
    const bool forWrite = mode != Mode::Read;
    m_status = openStore(path, mode == Mode::Write, m_database);
    if (m_status != ERROR_SUCCESS)
        return;
    if (t_transaction.active) {
        if (!t_transaction.begun) {
            m_status = m_database->exec("BEGIN IMMEDIATE");
            if (m_status == ERROR_SUCCESS) {
                t_transaction.begun = m_database;
                t_transaction.beganPath = path.string();
            }
            return;
        }
        if (t_transaction.begun == m_database)
            return;
    }
    if (forWrite) {
        m_status = m_database->exec("BEGIN IMMEDIATE");
        m_ownTransaction = m_status == ERROR_SUCCESS;
    }
}

Session::~Session()
{
    if (m_ownTransaction)
        m_database->exec("ROLLBACK");
}

LONG Session::commit(LONG result)
{
    if (!m_ownTransaction)
        return result;
    m_ownTransaction = false;
    if (result != ERROR_SUCCESS) {
        m_database->exec("ROLLBACK");
        return result;
    }
    const LONG status = m_database->exec("COMMIT");
    if (status != ERROR_SUCCESS)
        m_database->exec("ROLLBACK");
    return status;
}

} // namespace registry_store::detail

namespace registry_store {

std::filesystem::path storePath()
{
    if (const char* explicitPath = std::getenv("VESKAT_REGISTRY"); explicitPath && *explicitPath)
        return explicitPath;
    std::filesystem::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        base = config;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".config";
    else
        base = std::filesystem::path(".config");
    return base / "veskat" / "registry.sqlite3";
}

bool runInTransaction(const std::function<bool()>& work)
{
    using detail::t_transaction;
    if (t_transaction.active)
        return work(); // nested: part of the outer transaction

    struct Reset {
        ~Reset()
        {
            if (t_transaction.begun)
                t_transaction.begun->exec("ROLLBACK");
            t_transaction = {};
        }
    } reset;
    t_transaction.active = true;
    // Opening the store up front makes a store that cannot be opened a failure
    // of the whole transaction rather than of each call inside it.
    detail::Database* database = nullptr;
    const auto path = storePath();
    const LONG opened = detail::openStore(path, false, database);
    if (opened != ERROR_SUCCESS && opened != ERROR_FILE_NOT_FOUND)
        return false;

    const bool keep = work();
    if (!t_transaction.begun)
        return keep;
    auto* begun = t_transaction.begun;
    t_transaction.begun = nullptr;
    if (!keep) {
        begun->exec("ROLLBACK");
        return false;
    }
    if (begun->exec("COMMIT") != ERROR_SUCCESS) {
        begun->exec("ROLLBACK");
        return false;
    }
    return true;
}

} // namespace registry_store
