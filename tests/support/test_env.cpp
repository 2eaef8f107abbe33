// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/support/test_env.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <random>
#include <system_error>

namespace veskat_test {

void setEnv(const char* name, const std::string& value)
{
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    ::setenv(name, value.c_str(), 1);
#endif
}

void unsetEnv(const char* name)
{
#ifdef _WIN32
    _putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

std::optional<std::string> getEnv(const char* name)
{
    const char* v = std::getenv(name);
    if (!v)
        return std::nullopt;
    return std::string(v);
}

ScopedEnv::ScopedEnv(const char* name, std::optional<std::string> value)
    : m_name(name)
    , m_old(getEnv(name))
{
    if (value)
        setEnv(name, *value);
    else
        unsetEnv(name);
}

ScopedEnv::~ScopedEnv()
{
    if (m_old)
        setEnv(m_name.c_str(), *m_old);
    else
        unsetEnv(m_name.c_str());
}

std::filesystem::path makeTempDir(const std::string& prefix)
{
    static std::atomic<unsigned> counter { 0 };
    std::random_device rd;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / (prefix + "-" + std::to_string(rd()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec))
            return candidate;
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempEnvironment::TempEnvironment()
    : m_dir(makeTempDir("veskat-test"))
    , m_oldRegistry(getEnv("VESKAT_REGISTRY"))
    , m_oldDriveC(getEnv("VESKAT_DRIVE_C"))
    , m_oldSnapshots(getEnv("VESKAT_SNAPSHOTS"))
{
    setEnv("VESKAT_REGISTRY", registryFile().string());
    setEnv("VESKAT_DRIVE_C", driveC().string());
    setEnv("VESKAT_SNAPSHOTS", snapshots().string());
}

TempEnvironment::~TempEnvironment()
{
    if (m_oldRegistry)
        setEnv("VESKAT_REGISTRY", *m_oldRegistry);
    else
        unsetEnv("VESKAT_REGISTRY");
    if (m_oldDriveC)
        setEnv("VESKAT_DRIVE_C", *m_oldDriveC);
    else
        unsetEnv("VESKAT_DRIVE_C");
    if (m_oldSnapshots)
        setEnv("VESKAT_SNAPSHOTS", *m_oldSnapshots);
    else
        unsetEnv("VESKAT_SNAPSHOTS");
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::filesystem::path buildDir()
{
    if (auto dir = getEnv("VESKAT_BUILD_DIR"))
        return *dir;
    return std::filesystem::current_path();
}

} // namespace veskat_test
