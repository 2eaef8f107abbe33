// SPDX-License-Identifier: GPL-2.0-or-later
// The SQLite store behind the registry stand-in (Linux only): where it lives,
// who may read it, what it does with files that are not its own, and transactions.
#include "core/registry/registry_store.h"
#include "core/registry/store_health.h"
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "core/settings/registry_access.h"

#include "tests/core/settings/registry_fixture.h"

#include <grp.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

namespace settings_test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using registry_store::StoreState;
using Veskat::LastRegistryStatus;
using Veskat::SettingValue;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

mode_t modeOf(const fs::path& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The usual umask, whatever the one the tests were started with.
struct ScopedUmask {
    explicit ScopedUmask(mode_t mask)
        : old(::umask(mask))
    {
    }
    ~ScopedUmask() { ::umask(old); }
    mode_t old;
};

class StoreTest : public RegistryTest { };

TEST_F(StoreTest, PathComesFromTheEnvironmentAtEveryCall)
{
    EXPECT_EQ(registry_store::storePath(), m_env.registryFile());
    {
        const veskat_test::ScopedEnv noStore("VESKAT_REGISTRY", std::nullopt);
        const veskat_test::ScopedEnv xdg("XDG_CONFIG_HOME", (m_env.dir() / "xdg").string());
        EXPECT_EQ(registry_store::storePath(), m_env.dir() / "xdg" / "veskat" / "registry.sqlite3");
    }
    EXPECT_EQ(registry_store::storePath(), m_env.registryFile());
}

// The store holds the cameras' passwords.
TEST_F(StoreTest, FoldersAndFilesItCreatesAreForItsOwnerOnly)
{
    const ScopedUmask usual(022);
    const veskat_test::ScopedEnv noStore("VESKAT_REGISTRY", std::nullopt);
    const veskat_test::ScopedEnv xdg("XDG_CONFIG_HOME", (m_env.dir() / "xdg").string());
    ASSERT_EQ(::chmod(m_env.dir().c_str(), 0751), 0);

    // The first write makes the folders and the store.
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    EXPECT_EQ(LastRegistryStatus, ERROR_SUCCESS);
    const auto store = m_env.dir() / "xdg" / "veskat" / "registry.sqlite3";
    EXPECT_EQ(modeOf(m_env.dir() / "xdg"), 0700u);
    EXPECT_EQ(modeOf(m_env.dir() / "xdg" / "veskat"), 0700u);
    for (const char* suffix : { "", "-wal", "-shm" })
        EXPECT_EQ(modeOf(store.string() + suffix), 0600u) << suffix;
    EXPECT_THAT(std::vector(fs::directory_iterator(store.parent_path()), fs::directory_iterator()),
        ::testing::SizeIs(3));
    EXPECT_EQ(modeOf(m_env.dir()), 0751u); // a folder that was there keeps its mode
}

TEST_F(StoreTest, StoreReadableByOthersIsMadePrivateWhenOpenedAndSaidOnce)
{
    std::thread([] { Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local"); }).join();
    // Another process holds it open, so its -wal and -shm files are there as well.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(m_env.registryFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "SELECT count(*) FROM keys", nullptr, nullptr, nullptr), SQLITE_OK);
    const std::string store = m_env.registryFile().string();
    for (const char* suffix : { "", "-wal", "-shm" })
        ASSERT_EQ(::chmod((store + suffix).c_str(), 0644), 0) << suffix;

    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(keyExists(kScratchPath));
    std::thread([] { EXPECT_TRUE(keyExists(kScratchPath)); }).join(); // opened again: nothing more to say
    const std::string said = ::testing::internal::GetCapturedStderr();
    sqlite3_close(other);

    for (const char* suffix : { "", "-wal", "-shm" })
        EXPECT_EQ(modeOf(store + suffix), 0600u) << suffix;
    EXPECT_THAT(said, ::testing::HasSubstr(store + " was readable by other users"));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST_F(StoreTest, AMissingStoreIsToldAndOnlyAWriteCreatesIt)
{
    EXPECT_EQ(registry_store::checkStore().state, StoreState::Missing);
    EXPECT_TRUE(Veskat::ReadRegistryValue(HKEY_LOCAL_MACHINE, kScratchPath, "x", "Local").isEmpty());
    EXPECT_FALSE(keyExists(kScratchPath));
    Veskat::WriteRegistryValue(
        HKEY_LOCAL_MACHINE, kScratchPath, "x", SettingValue::text("y"), REG_SZ, "Local");
    EXPECT_FALSE(fs::exists(m_env.registryFile()));

    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    const auto health = registry_store::checkStore();
    EXPECT_EQ(health.state, StoreState::Ok);
    EXPECT_EQ(health.location, m_env.registryFile().string());
}

TEST_F(StoreTest, ValuesSurviveAReopenFromAnotherThread)
{
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    Veskat::WriteRegistryValue(
        HKEY_LOCAL_MACHINE, kScratchPath, "x", SettingValue::text("y"), REG_SZ, "Local");
    SettingValue seen;
    std::thread([&] {
        seen = Veskat::ReadRegistryValue(HKEY_LOCAL_MACHINE, kScratchPath, "x", "Local");
    }).join();
    EXPECT_EQ(seen, SettingValue::text("y"));
}

TEST_F(StoreTest, StoreReplacedBehindTheProgramIsReopened)
{
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    fs::remove(m_env.registryFile());
    fs::remove(fs::path(m_env.registryFile().string() + "-wal"));
    fs::remove(fs::path(m_env.registryFile().string() + "-shm"));
    EXPECT_FALSE(keyExists(kScratchPath));
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    EXPECT_TRUE(fs::exists(m_env.registryFile()));
    EXPECT_TRUE(keyExists(kScratchPath));
}

TEST_F(StoreTest, NonAsciiTextIsKeptAndOnlyAsciiNamesFoldCase)
{
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    const std::string title = "Kamera Süd – Tor ✓";
    Veskat::WriteRegistryValue(
        HKEY_LOCAL_MACHINE, kScratchPath, "Titel-Ä", SettingValue::text(title), REG_SZ, "Local");
    EXPECT_EQ(Veskat::ReadRegistryValue(HKEY_LOCAL_MACHINE, kScratchPath, "TITEL-Ä", "Local"),
        SettingValue::text(title));
    // NOCASE folds ASCII letters only: "ä" is another name than "Ä".
    EXPECT_TRUE(Veskat::ReadRegistryValue(HKEY_LOCAL_MACHINE, kScratchPath, "titel-ä", "Local").isEmpty());
}

TEST_F(StoreTest, ValuesAreListedInTheOrderTheyWereFirstWritten)
{
    for (const char* name : { "zeta", "Alpha", "mid" })
        ASSERT_EQ(setRaw(kScratchPath, name, REG_SZ, "1"), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(kScratchPath, "ALPHA", REG_SZ, "2"), ERROR_SUCCESS);
    OpenKey key(createKey(kScratchPath));
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        char name[32];
        DWORD size = sizeof name;
        if (RegEnumValueA(key.key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name);
    }
    EXPECT_THAT(names, ::testing::ElementsAre("zeta", "Alpha", "mid"));
}

TEST_F(StoreTest, LeadingBackslashIsABadPath)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "\\SOFTWARE\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &key, &disposition),
        ERROR_BAD_PATHNAME);
}

// Files at the store path that are not a sound store of ours.
struct BadStore {
    const char* name;
    std::string (*make)(const std::string& validStore);
    const char* reason;
};

class BadStoreTest : public StoreTest, public ::testing::WithParamInterface<BadStore> { };

std::string validStoreBytes(const veskat_test::TempEnvironment& env)
{
    Module1::SeedSettings();
    sqlite3* db = nullptr;
    sqlite3_open(env.registryFile().c_str(), &db);
    sqlite3_exec(db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return readFile(env.registryFile());
}

TEST_P(BadStoreTest, IsNeverWrittenAndReadsAsEmpty)
{
    std::string valid;
    {
        veskat_test::TempEnvironment source;
        valid = validStoreBytes(source);
    }
    ASSERT_GT(valid.size(), 4096u);
    const std::string bytes = GetParam().make(valid);
    writeFile(m_env.registryFile(), bytes);
    ASSERT_EQ(::chmod(m_env.registryFile().c_str(), 0644), 0);

    const auto health = registry_store::checkStore();
    EXPECT_EQ(health.state, StoreState::Broken);
    EXPECT_EQ(health.location, m_env.registryFile().string());
    EXPECT_EQ(health.reason, GetParam().reason);
    EXPECT_TRUE(Veskat::ReadCameraValue(0, "Title").isEmpty());
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key), ERROR_REGISTRY_IO_FAILED);
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    EXPECT_EQ(LastRegistryStatus, ERROR_REGISTRY_IO_FAILED);
    Module1::CameraSize = 777;
    EXPECT_EQ(Module1::SeedSettings().state, StoreState::Broken); // and seeds nothing into it
    EXPECT_EQ(Module1::CameraSize, 0);
    EXPECT_TRUE(registry_store::runInTransaction([] { return true; }) == false);

    EXPECT_EQ(readFile(m_env.registryFile()), bytes);
    EXPECT_EQ(modeOf(m_env.registryFile()), 0644u); // not ours to change
    EXPECT_FALSE(fs::exists(m_env.registryFile().string() + "-wal"));
}

INSTANTIATE_TEST_SUITE_P(Files, BadStoreTest,
    ::testing::Values(
        BadStore { "Garbage", [](const std::string&) { return std::string("this is no database\n", 20); },
            "it is not an SQLite database" },
        BadStore { "Empty", [](const std::string&) { return std::string(); }, "the file is empty" },
        BadStore { "Truncated", [](const std::string& valid) { return valid.substr(0, valid.size() / 2); },
            "it is damaged (cut short or overwritten)" },
        BadStore { "HeaderOnly", [](const std::string& valid) { return valid.substr(0, 100); },
            "it is damaged (cut short or overwritten)" },
        BadStore { "ForeignDatabase",
            [](const std::string&) {
                veskat_test::TempEnvironment other;
                sqlite3* db = nullptr;
                sqlite3_open(other.registryFile().c_str(), &db);
                sqlite3_exec(db, "CREATE TABLE notes(text)", nullptr, nullptr, nullptr);
                sqlite3_close(db);
                return readFile(other.registryFile());
            },
            "it is an SQLite database of another program, not a settings store" }),
    [](const ::testing::TestParamInfo<BadStore>& info) { return std::string(info.param.name); });

// Runs `check` in a child process, as an ordinary user when the tests run as
// root (file modes do not bind root), and returns its exit code.
int exitCodeWithoutRoot(const std::function<int()>& check)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        ::_exit(check());
    }
    int status = 0;
    return ::waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What a user who may not write the store gets: the check says so, and every
// registry call that would write fails with ERROR_ACCESS_DENIED.
struct LockedStore {
    const char* name;
    mode_t fileMode;
    mode_t folderMode;
    const char* reason;
    bool readable;
    bool userOwnsFile; // the user the check runs as (only differs from ours when the tests run as root)
    bool userOwnsFolder;
};

constexpr uid_t kOtherUser = 65534;

// Gives `path` to kOtherUser, or back to us; false when this process may not.
bool giveTo(const fs::path& path, bool other)
{
    return ::chown(path.c_str(), other ? kOtherUser : ::geteuid(), -1) == 0;
}

class LockedStoreTest : public StoreTest, public ::testing::WithParamInterface<LockedStore> { };

TEST_P(LockedStoreTest, IsAccessDeniedAndReportedAsReadOnly)
{
    const auto& c = GetParam();
    std::thread([] {
        ASSERT_EQ(setRaw(kScratchPath, "x", REG_SZ, "kept"), ERROR_SUCCESS);
        ASSERT_EQ(setRaw(Veskat::kSettingsRootPath, Veskat::kCameraSizeValue, REG_DWORD, "\x58\x02\0\0"s),
            ERROR_SUCCESS);
    }).join();
    // Closed, as after the last program using it ended.
    ASSERT_FALSE(fs::exists(m_env.registryFile().string() + "-wal"));
    ASSERT_EQ(::chmod(m_env.registryFile().c_str(), c.fileMode), 0);
    ASSERT_EQ(::chmod(m_env.dir().c_str(), c.folderMode), 0);
    if (::geteuid() == 0) {
        ASSERT_TRUE(giveTo(m_env.registryFile(), c.userOwnsFile));
        ASSERT_TRUE(giveTo(m_env.dir(), c.userOwnsFolder));
    }

    const int failed = exitCodeWithoutRoot([&] {
        const auto health = registry_store::checkStore();
        if (health.state != StoreState::ReadOnly || health.reason.find(c.reason) == std::string::npos)
            return 1;
        HKEY key = nullptr;
        LONG write = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kScratchPath, 0, KEY_ALL_ACCESS, &key);
        if (write == ERROR_SUCCESS) {
            write = RegSetValueExA(key, "x", 0, REG_SZ, reinterpret_cast<const BYTE*>("new"), 4);
            RegCloseKey(key);
        }
        if (write != ERROR_ACCESS_DENIED)
            return 2;
        Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, std::string(kScratchPath) + "\\Sub", "Local");
        if (LastRegistryStatus != ERROR_ACCESS_DENIED)
            return 3;
        const RawValue read = getRaw(kScratchPath, "x");
        if (c.readable ? read != RawValue { REG_SZ, "kept" } : read.type != 0xFFFFFFFFu)
            return 4;
        // Start-up writes nothing and loads what it can.
        if (Module1::SeedSettings().state != StoreState::ReadOnly
            || Module1::CameraSize != (c.readable ? 600 : 0))
            return 5;
        return 0;
    });
    ASSERT_EQ(::chmod(m_env.dir().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(m_env.registryFile().c_str(), 0600), 0);
    for (const char* suffix : { "", "-wal", "-shm" }) // the user's reads may have left the last two
        giveTo(m_env.registryFile().string() + suffix, false);
    giveTo(m_env.dir(), false);
    const char* checks[] = { "passed", "the check", "a value write", "a key creation", "a read", "start-up" };
    EXPECT_EQ(failed, 0) << (failed >= 0 && failed <= 5 ? checks[failed] : "the child process");
    EXPECT_EQ(getRaw(kScratchPath, "x"), (RawValue { REG_SZ, "kept" }));
}

INSTANTIATE_TEST_SUITE_P(Stores, LockedStoreTest,
    ::testing::Values(LockedStore { "ReadOnlyFile", 0444, 0755, "may not write the file", true, false, true },
        LockedStore {
            "ReadOnlyFolder", 0600, 0555, "may not create files in its folder", false, true, false }),
    [](const ::testing::TestParamInfo<LockedStore>& info) { return std::string(info.param.name); });

// A store another user owns or may write, or that sits in such a folder, is
// left alone the way ssh leaves such files: not read, not written, not
// chmod'ed, and the check names the reason. `VESKAT_REGISTRY` names the store
// in folder "shared", or a link to it in a private folder.
struct UnsafeStore {
    const char* name;
    bool otherOwnsFile;
    mode_t fileMode;
    bool otherOwnsFolder;
    mode_t folderMode;
    bool throughLink;
    const char* reason; // empty: a sound store, used as usual
};

class UnsafeStoreTest : public StoreTest, public ::testing::WithParamInterface<UnsafeStore> { };

TEST_P(UnsafeStoreTest, IsNeitherReadNorWrittenAndTheReasonIsTold)
{
    const auto& c = GetParam();
    const fs::path folder = m_env.dir() / "shared";
    const fs::path store = folder / "registry.sqlite3";
    fs::create_directory(folder);
    {
        const veskat_test::ScopedEnv named("VESKAT_REGISTRY", store.string());
        std::thread([] { ASSERT_EQ(setRaw(kScratchPath, "x", REG_SZ, "kept"), ERROR_SUCCESS); }).join();
    }
    ASSERT_EQ(::chmod(store.c_str(), c.fileMode), 0);
    ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
    if ((c.otherOwnsFile || c.otherOwnsFolder)
        && !(giveTo(store, c.otherOwnsFile) && giveTo(folder, c.otherOwnsFolder)))
        GTEST_SKIP() << "giving files to another user needs root";
    const fs::path link = m_env.dir() / "link.sqlite3";
    ASSERT_EQ(::symlink(store.c_str(), link.c_str()), 0);
    const veskat_test::ScopedEnv named("VESKAT_REGISTRY", (c.throughLink ? link : store).string());
    const std::string bytes = readFile(store);

    ::testing::internal::CaptureStderr();
    const auto health = registry_store::checkStore();
    const RawValue read = getRaw(kScratchPath, "x");
    HKEY key = nullptr;
    const LONG write = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Planted", 0, nullptr,
        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (key)
        RegCloseKey(key);
    const StoreState seeded = Module1::SeedSettings().state;
    const std::string said = ::testing::internal::GetCapturedStderr();

    if (!*c.reason) {
        EXPECT_EQ(health.state, StoreState::Ok) << health.reason;
        EXPECT_EQ(read, (RawValue { REG_SZ, "kept" }));
        EXPECT_EQ(write, ERROR_SUCCESS);
        return;
    }
    EXPECT_EQ(health.state, StoreState::Unsafe);
    EXPECT_THAT(health.reason, ::testing::HasSubstr(c.reason));
    EXPECT_EQ(read.type, 0xFFFFFFFFu);
    EXPECT_EQ(write, ERROR_ACCESS_DENIED);
    EXPECT_EQ(seeded, StoreState::Unsafe);
    EXPECT_EQ(said, ""); // above all, no claim to have made it private
    EXPECT_EQ(readFile(store), bytes);
    EXPECT_EQ(modeOf(store), c.fileMode);
    EXPECT_FALSE(fs::exists(store.string() + "-wal"));
    giveTo(store, false);
    giveTo(folder, false);
}

INSTANTIATE_TEST_SUITE_P(Stores, UnsafeStoreTest,
    ::testing::Values(UnsafeStore { "OwnPrivate", false, 0600, false, 0700, false, "" },
        UnsafeStore { "OwnPrivateThroughLink", false, 0600, false, 0755, true, "" },
        UnsafeStore {
            "OtherUsersFile", true, 0600, false, 0700, false, "it belongs to another user (uid 65534)" },
        UnsafeStore {
            "WritableByAll", false, 0666, false, 0700, false, "other users may write it (mode 0666)" },
        UnsafeStore {
            "WritableByGroup", false, 0620, false, 0700, false, "its group may write it (mode 0620)" },
        UnsafeStore { "OtherUsersFolder", false, 0600, true, 0700, false, "shared belongs to another user" },
        UnsafeStore {
            "FolderWritableByAll", false, 0600, false, 01777, false, "other users may write its folder" },
        UnsafeStore {
            "OtherUsersFileThroughLink", true, 0666, true, 0777, true, "it belongs to another user" },
        UnsafeStore {
            "LinkIntoAnOpenFolder", false, 0600, false, 0777, true, "other users may write its folder" }),
    [](const ::testing::TestParamInfo<UnsafeStore>& info) { return std::string(info.param.name); });

class TransactionTest : public StoreTest { };

TEST_F(TransactionTest, CommitKeepsEveryWrite)
{
    EXPECT_TRUE(registry_store::runInTransaction([] {
        return setRaw(kScratchPath, "a", REG_SZ, "1") == ERROR_SUCCESS
            && setRaw(std::string(kScratchPath) + "\\Sub", "b", REG_SZ, "2") == ERROR_SUCCESS
            && getRaw(kScratchPath, "a") == RawValue { REG_SZ, "1" }; // sees its own writes
    }));
    EXPECT_EQ(getRaw(kScratchPath, "a"), (RawValue { REG_SZ, "1" }));
    EXPECT_EQ(getRaw(std::string(kScratchPath) + "\\Sub", "b"), (RawValue { REG_SZ, "2" }));
}

TEST_F(TransactionTest, FalseOrAnExceptionKeepsNothing)
{
    ASSERT_EQ(setRaw(kScratchPath, "kept", REG_SZ, "0"), ERROR_SUCCESS);
    EXPECT_FALSE(registry_store::runInTransaction([] {
        setRaw(kScratchPath, "a", REG_SZ, "1");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchPath);
        return false;
    }));
    EXPECT_THROW(registry_store::runInTransaction([]() -> bool {
        setRaw(kScratchPath, "b", REG_SZ, "1");
        throw std::runtime_error("stop");
    }),
        std::runtime_error);
    EXPECT_EQ(getRaw(kScratchPath, "kept"), (RawValue { REG_SZ, "0" }));
    EXPECT_EQ(getRaw(kScratchPath, "a").type, 0xFFFFFFFFu);
    EXPECT_EQ(getRaw(kScratchPath, "b").type, 0xFFFFFFFFu);
    // The thread is out of the transaction again: a plain write commits.
    ASSERT_EQ(setRaw(kScratchPath, "after", REG_SZ, "1"), ERROR_SUCCESS);
    std::thread([] { EXPECT_EQ(getRaw(kScratchPath, "after"), (RawValue { REG_SZ, "1" })); }).join();
}

TEST_F(TransactionTest, OtherThreadsSeeNothingBeforeTheCommit)
{
    ASSERT_EQ(setRaw(kScratchPath, "x", REG_SZ, "old"), ERROR_SUCCESS);
    EXPECT_TRUE(registry_store::runInTransaction([] {
        setRaw(kScratchPath, "x", REG_SZ, "new");
        RawValue seen;
        std::thread([&] { seen = getRaw(kScratchPath, "x"); }).join();
        return seen == RawValue { REG_SZ, "old" };
    }));
    EXPECT_EQ(getRaw(kScratchPath, "x"), (RawValue { REG_SZ, "new" }));
}

TEST_F(TransactionTest, ReadOnlyWorkOnAMissingStoreCreatesNothing)
{
    EXPECT_TRUE(registry_store::runInTransaction([] { return !keyExists(kScratchPath); }));
    EXPECT_FALSE(fs::exists(m_env.registryFile()));
}

} // namespace
} // namespace settings_test
