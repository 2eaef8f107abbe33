// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A clean settings tree for every test. On Linux each test gets its own store
// file; on Windows (the real registry, in a throw-away Wine prefix) the keys
// the tests use are deleted before and after each test.
#include "core/registry/registry_api.h"
#include "tests/support/test_env.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace settings_test {

inline constexpr const char* kScratchPath = "SOFTWARE\\VeskatTest";

inline void deleteTestKeys()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\VESKAT");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kScratchPath);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { deleteTestKeys(); }
    void TearDown() override { deleteTestKeys(); }

    veskat_test::TempEnvironment m_env;
};

// An open key that closes itself.
struct OpenKey {
    HKEY key = nullptr;
    OpenKey() = default;
    explicit OpenKey(HKEY k)
        : key(k)
    {
    }
    ~OpenKey()
    {
        if (key)
            RegCloseKey(key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
};

inline HKEY createKey(const std::string& path, REGSAM access = KEY_ALL_ACCESS)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
        access, nullptr, &key, &disposition);
    EXPECT_EQ(rc, ERROR_SUCCESS) << path;
    return key;
}

inline LONG setRaw(const std::string& path, const std::string& name, DWORD type, const std::string& bytes)
{
    OpenKey key(createKey(path));
    return RegSetValueExA(key.key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
        static_cast<DWORD>(bytes.size()));
}

struct RawValue {
    DWORD type = 0;
    std::string bytes;
    bool operator==(const RawValue&) const = default;
};

// The value as stored, or nullopt-like {type 0xFFFFFFFF} when it cannot be read.
inline RawValue getRaw(const std::string& path, const std::string& name)
{
    RawValue value { 0xFFFFFFFFu, {} };
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    OpenKey closer(key);
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return value;
    std::string bytes(size, '\0');
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()), &size)
        != ERROR_SUCCESS)
        return value;
    bytes.resize(size);
    return { type, bytes };
}

inline bool keyExists(const std::string& path)
{
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key);
    if (rc == ERROR_SUCCESS)
        RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// Every key and value below `path`, by full path and name.
using Snapshot = std::map<std::string, std::map<std::string, RawValue>>;

inline void snapshotInto(HKEY key, const std::string& path, Snapshot& snapshot)
{
    auto& values = snapshot[path];
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        values[name] = getRaw(path, name);
    }
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name);
    }
    for (const auto& child : children) {
        HKEY sub = nullptr;
        if (RegOpenKeyExA(key, child.c_str(), 0, KEY_READ, &sub) == ERROR_SUCCESS) {
            snapshotInto(sub, path + "\\" + child, snapshot);
            RegCloseKey(sub);
        }
    }
}

inline Snapshot snapshot(const std::string& path)
{
    Snapshot result;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        snapshotInto(key, path, result);
        RegCloseKey(key);
    }
    return result;
}

} // namespace settings_test
