// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Test isolation: a temporary folder that holds the registry store, the
// drive C: folder and the snapshots, pointed to by VESKAT_REGISTRY,
// VESKAT_DRIVE_C and VESKAT_SNAPSHOTS for as long as the object lives. The previous values come back on
// destruction.
#include <filesystem>
#include <optional>
#include <string>

namespace veskat_test {

void setEnv(const char* name, const std::string& value);
void unsetEnv(const char* name);
std::optional<std::string> getEnv(const char* name);

// Sets (or, with nullopt, removes) one environment variable for as long as
// the object lives; the previous value comes back even when a test fails.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

class TempEnvironment {
public:
    TempEnvironment();
    ~TempEnvironment();
    TempEnvironment(const TempEnvironment&) = delete;
    TempEnvironment& operator=(const TempEnvironment&) = delete;

    const std::filesystem::path& dir() const { return m_dir; }
    std::filesystem::path registryFile() const { return m_dir / "registry.sqlite3"; }
    std::filesystem::path driveC() const { return m_dir / "drive_c"; }
    std::filesystem::path snapshots() const { return m_dir / "snapshots"; }

private:
    std::filesystem::path m_dir;
    std::optional<std::string> m_oldRegistry;
    std::optional<std::string> m_oldDriveC;
    std::optional<std::string> m_oldSnapshots;
};

// A fresh, empty temporary folder (removed by the caller or at exit of the test).
std::filesystem::path makeTempDir(const std::string& prefix);

// Where the build put the programs (veskat-testcam, veskat-reg, ...).
std::filesystem::path buildDir();

} // namespace veskat_test
