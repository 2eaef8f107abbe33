// SPDX-License-Identifier: GPL-2.0-or-later
// The registry entry points, with the contracts of advapi32: these cases run
// against the SQLite stand-in on Linux and against the real registry (Wine)
// in the Windows check, and must pass on both.
#include "tests/core/settings/registry_fixture.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

namespace settings_test {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class RegistryApiTest : public RegistryTest { };

std::string subPath(const std::string& name)
{
    return std::string(kScratchPath) + "\\" + name;
}

TEST_F(RegistryApiTest, CreateKeyMakesEveryMissingKeyOnThePathAndReportsIt)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subPath("A\\B\\C").c_str(), 0, nullptr,
                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
        ERROR_SUCCESS);
    OpenKey first(key);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    EXPECT_TRUE(keyExists(subPath("A")));
    EXPECT_TRUE(keyExists(subPath("A\\B")));

    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subPath("a\\b\\c").c_str(), 0, nullptr,
                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
        ERROR_SUCCESS);
    OpenKey second(key);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
}

TEST_F(RegistryApiTest, OpenOfMissingKeyIsFileNotFound)
{
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, subPath("Nowhere").c_str(), 0, KEY_READ, &key),
        ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApiTest, KeyAndValueNamesIgnoreLetterCase)
{
    ASSERT_EQ(setRaw(subPath("MixedCase"), "IPAddress", REG_SZ, std::string("1.2.3.4", 8)), ERROR_SUCCESS);
    EXPECT_TRUE(keyExists(subPath("MIXEDCASE")));
    EXPECT_EQ(getRaw(subPath("mixedcase"), "ipaddress"), (RawValue { REG_SZ, std::string("1.2.3.4", 8) }));

    // Writing under another spelling replaces the value instead of adding one.
    ASSERT_EQ(setRaw(subPath("MixedCase"), "IPADDRESS", REG_SZ, std::string("5", 2)), ERROR_SUCCESS);
    const auto values = snapshot(subPath("MixedCase"));
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values.begin()->second.size(), 1u);
}

TEST_F(RegistryApiTest, AnyValueTypeIsStoredAsItsBytes)
{
    const std::string binary("\x00\x01\xFF\x7F", 4);
    const std::string multi("one\0two\0\0", 9);
    const std::string qword("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    ASSERT_EQ(setRaw(kScratchPath, "bin", REG_BINARY, binary), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(kScratchPath, "multi", REG_MULTI_SZ, multi), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(kScratchPath, "qword", REG_QWORD, qword), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(kScratchPath, "none", REG_NONE, ""), ERROR_SUCCESS);
    EXPECT_EQ(getRaw(kScratchPath, "bin"), (RawValue { REG_BINARY, binary }));
    EXPECT_EQ(getRaw(kScratchPath, "multi"), (RawValue { REG_MULTI_SZ, multi }));
    EXPECT_EQ(getRaw(kScratchPath, "qword"), (RawValue { REG_QWORD, qword }));
    EXPECT_EQ(getRaw(kScratchPath, "none"), (RawValue { REG_NONE, "" }));
}

TEST_F(RegistryApiTest, QueryWithoutBufferGivesTypeAndSize)
{
    ASSERT_EQ(setRaw(kScratchPath, "bin", REG_BINARY, std::string(300, 'x')), ERROR_SUCCESS);
    OpenKey key(createKey(kScratchPath));
    DWORD type = 0;
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.key, "bin", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(size, 300u);
}

TEST_F(RegistryApiTest, TooSmallBufferIsMoreDataWithTheNeededSize)
{
    ASSERT_EQ(setRaw(kScratchPath, "bin", REG_BINARY, std::string(40, 'x')), ERROR_SUCCESS);
    OpenKey key(createKey(kScratchPath));
    BYTE buffer[10] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key.key, "bin", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 40u);
}

TEST_F(RegistryApiTest, MissingValueIsFileNotFound)
{
    OpenKey key(createKey(kScratchPath));
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.key, "absent", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApiTest, NullClosedOrBogusHandleIsInvalidHandle)
{
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(nullptr, "x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    HKEY result = nullptr;
    EXPECT_EQ(RegOpenKeyExA(nullptr, "x", 0, KEY_READ, &result), ERROR_INVALID_HANDLE);
    const BYTE data[1] = { 0 };
    EXPECT_EQ(RegSetValueExA(nullptr, "x", 0, REG_SZ, data, 1), ERROR_INVALID_HANDLE);

    HKEY key = createKey(kScratchPath);
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegQueryValueExA(key, "x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);

    const HKEY bogus = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x5A5A5A50));
    EXPECT_EQ(RegQueryValueExA(bogus, "x", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(bogus), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryApiTest, KeyOpenedForReadingCannotBeWritten)
{
    OpenKey created(createKey(kScratchPath));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kScratchPath, 0, KEY_READ, &key), ERROR_SUCCESS);
    OpenKey readOnly(key);
    const BYTE data[4] = { 1, 0, 0, 0 };
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_DWORD, data, 4), ERROR_ACCESS_DENIED);
    EXPECT_EQ(getRaw(kScratchPath, "x").type, 0xFFFFFFFFu);
}

TEST_F(RegistryApiTest, RemoteMachineIsBadNetworkPath)
{
    for (const char* name : { "\\\\local", "\\\\SOME-OTHER-PC", "\\\\", "\\\\192.0.2.1" }) {
        HKEY key = nullptr;
        EXPECT_EQ(RegConnectRegistryA(name, HKEY_LOCAL_MACHINE, &key), ERROR_BAD_NETPATH) << name;
    }
}

TEST_F(RegistryApiTest, LocalMachineConnectsByNameInAnyCase)
{
    char name[64] = {};
    DWORD size = sizeof name;
    ASSERT_NE(GetComputerNameA(name, &size), 0);
    std::string lower = std::string("\\\\") + name;
    std::transform(
        lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const std::string& machine : { std::string("\\\\") + name, lower }) {
        HKEY root = nullptr;
        ASSERT_EQ(RegConnectRegistryA(machine.c_str(), HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS) << machine;
        HKEY key = nullptr;
        DWORD disposition = 0;
        EXPECT_EQ(RegCreateKeyExA(root, kScratchPath, 0, nullptr, 0, 0x3F, nullptr, &key, &disposition),
            ERROR_SUCCESS);
        RegCloseKey(key);
        EXPECT_EQ(RegCloseKey(root), ERROR_SUCCESS);
    }
    HKEY root = nullptr;
    EXPECT_EQ(RegConnectRegistryA(nullptr, HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
    RegCloseKey(root);
}

TEST_F(RegistryApiTest, ComputerNameFollowsTheBufferContract)
{
    char name[64] = {};
    DWORD size = sizeof name;
    ASSERT_NE(GetComputerNameA(name, &size), 0);
    EXPECT_EQ(size, std::strlen(name));
    EXPECT_GT(size, 0u);
    EXPECT_LE(size, 15u);
    for (const char c : std::string(name))
        EXPECT_FALSE(c >= 'a' && c <= 'z') << name;

    char small[2] = {};
    DWORD smallSize = sizeof small;
    if (size + 1 > smallSize) {
        EXPECT_EQ(GetComputerNameA(small, &smallSize), 0);
        EXPECT_EQ(smallSize, size + 1);
    }
}

TEST_F(RegistryApiTest, KeyDeletedWhileOpenReportsKeyDeleted)
{
    OpenKey key(createKey(subPath("Doomed")));
    ASSERT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, subPath("Doomed").c_str()), ERROR_SUCCESS);
    const BYTE data[1] = { 0 };
    EXPECT_EQ(RegSetValueExA(key.key, "x", 0, REG_SZ, data, 1), ERROR_KEY_DELETED);
}

TEST_F(RegistryApiTest, DeleteValueRemovesOnlyThatValue)
{
    ASSERT_EQ(setRaw(kScratchPath, "a", REG_SZ, std::string("1", 2)), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(kScratchPath, "b", REG_SZ, std::string("2", 2)), ERROR_SUCCESS);
    OpenKey key(createKey(kScratchPath));
    EXPECT_EQ(RegDeleteValueA(key.key, "A"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key.key, "a"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(getRaw(kScratchPath, "a").type, 0xFFFFFFFFu);
    EXPECT_EQ(getRaw(kScratchPath, "b").type, static_cast<DWORD>(REG_SZ));
}

TEST_F(RegistryApiTest, DeleteTreeRemovesTheKeyAndEverythingBelow)
{
    ASSERT_EQ(setRaw(subPath("T\\U\\V"), "x", REG_SZ, std::string("1", 2)), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(subPath("T"), "y", REG_SZ, std::string("1", 2)), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(subPath("Other"), "z", REG_SZ, std::string("1", 2)), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, subPath("t").c_str()), ERROR_SUCCESS);
    EXPECT_FALSE(keyExists(subPath("T")));
    EXPECT_FALSE(keyExists(subPath("T\\U\\V")));
    EXPECT_TRUE(keyExists(subPath("Other")));
    EXPECT_EQ(RegDeleteTreeA(HKEY_LOCAL_MACHINE, subPath("T").c_str()), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryApiTest, DeleteTreeWithoutSubKeyEmptiesTheKeyButKeepsIt)
{
    ASSERT_EQ(setRaw(subPath("K\\Child"), "x", REG_SZ, std::string("1", 2)), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(subPath("K"), "y", REG_SZ, std::string("1", 2)), ERROR_SUCCESS);
    OpenKey key(createKey(subPath("K")));
    EXPECT_EQ(RegDeleteTreeA(key.key, nullptr), ERROR_SUCCESS);
    EXPECT_TRUE(keyExists(subPath("K")));
    EXPECT_FALSE(keyExists(subPath("K\\Child")));
    EXPECT_EQ(getRaw(subPath("K"), "y").type, 0xFFFFFFFFu);
}

TEST_F(RegistryApiTest, EnumKeysListsSubKeysSortedThenNoMoreItems)
{
    for (const char* name : { "charlie", "Alpha", "bravo" })
        OpenKey created(createKey(subPath(name)));
    OpenKey key(createKey(kScratchPath));
    std::vector<std::string> names;
    DWORD index = 0;
    for (;; ++index) {
        char name[256];
        DWORD size = sizeof name;
        const LONG rc = RegEnumKeyExA(key.key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) {
            EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
            break;
        }
        EXPECT_EQ(size, std::strlen(name));
        names.emplace_back(name);
    }
    EXPECT_THAT(names, ElementsAre("Alpha", "bravo", "charlie"));

    char tiny[3];
    DWORD tinySize = sizeof tiny;
    EXPECT_EQ(
        RegEnumKeyExA(key.key, 0, tiny, &tinySize, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
}

TEST_F(RegistryApiTest, EnumValuesGivesNamesTypesAndData)
{
    ASSERT_EQ(setRaw(kScratchPath, "Text", REG_SZ, std::string("hello", 6)), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(kScratchPath, "Number", REG_DWORD, std::string("\x07\x00\x00\x00", 4)), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(kScratchPath, "", REG_SZ, std::string("default", 8)), ERROR_SUCCESS);
    OpenKey key(createKey(kScratchPath));
    std::set<std::string> seen;
    for (DWORD index = 0;; ++index) {
        char name[64];
        DWORD nameSize = sizeof name;
        DWORD type = 0;
        BYTE data[64];
        DWORD dataSize = sizeof data;
        const LONG rc = RegEnumValueA(key.key, index, name, &nameSize, nullptr, &type, data, &dataSize);
        if (rc != ERROR_SUCCESS) {
            EXPECT_EQ(rc, ERROR_NO_MORE_ITEMS);
            break;
        }
        EXPECT_EQ(getRaw(kScratchPath, name),
            (RawValue { type, std::string(reinterpret_cast<const char*>(data), dataSize) }));
        seen.insert(name);
    }
    EXPECT_THAT(seen, UnorderedElementsAre("", "Text", "Number"));

    char name[64];
    DWORD nameSize = sizeof name;
    BYTE data[2];
    DWORD dataSize = sizeof data;
    ASSERT_EQ(RegEnumValueA(key.key, 0, name, &nameSize, nullptr, nullptr, data, &dataSize), ERROR_MORE_DATA);
    EXPECT_GT(dataSize, 2u);
}

} // namespace
} // namespace settings_test
