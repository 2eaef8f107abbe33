// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/settings/registry_access.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace Veskat {

LONG LastRegistryStatus = 0;

namespace {

// Query, set value, create sub-key, enumerate sub-keys, notify, create link.
// Reads ask for it too, so a key the account may read but not write reads as Empty.
constexpr REGSAM kKeyAccess = 0x3F;

// Closes a registry handle at the end of an operation; a handle left 0 by a
// failed call is closed as well, as the operations always did (it fails harmlessly).
struct KeyCloser {
    HKEY key = nullptr;
    ~KeyCloser() { RegCloseKey(key); }
};

std::string connectionName(const std::string& machineName)
{
    return "\\\\" + (machineName == "Local" ? LocalComputerName() : machineName);
}

void connect(HKEY rootKey, const std::string& machineName, KeyCloser& root)
{
    const std::string name = connectionName(machineName);
    LastRegistryStatus = RegConnectRegistryA(name.c_str(), rootKey, &root.key);
}

} // namespace

std::string LocalComputerName()
{
    std::array<char, 35> buffer {};
    DWORD size = static_cast<DWORD>(buffer.size());
    LastRegistryStatus = GetComputerNameA(buffer.data(), &size);
    return TrimAtNul(std::string(buffer.data(), buffer.size()));
}

std::string TrimAtNul(std::string text)
{
    const auto nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

void CreateRegistryKey(HKEY rootKey, const std::string& keyPath, const std::string& machineName)
{
    KeyCloser root;
    connect(rootKey, machineName, root);
    KeyCloser created;
    DWORD disposition = 0;
    LastRegistryStatus = RegCreateKeyExA(root.key, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
        kKeyAccess, nullptr, &created.key, &disposition);
    // `created` is closed before `root` (locals end in reverse order).
}

void WriteRegistryValue(HKEY rootKey, const std::string& keyPath, const std::string& valueName,
    const SettingValue& value, DWORD valueType, const std::string& machineName)
{
    KeyCloser root;
    connect(rootKey, machineName, root);
    KeyCloser key;
    LastRegistryStatus = RegOpenKeyExA(root.key, keyPath.c_str(), 0, kKeyAccess, &key.key);
    LastRegistryStatus = WriteTypedValue(key.key, valueName, valueType, value);
}

SettingValue ReadRegistryValue(
    HKEY rootKey, const std::string& keyPath, const std::string& valueName, const std::string& machineName)
{
    KeyCloser root;
    connect(rootKey, machineName, root);
    KeyCloser key;
    LastRegistryStatus = RegOpenKeyExA(root.key, keyPath.c_str(), 0, kKeyAccess, &key.key);
    SettingValue result;
    LastRegistryStatus = ReadTypedValue(key.key, valueName, result);
    return result;
}

LONG WriteTypedValue(HKEY openKey, const std::string& valueName, DWORD valueType, const SettingValue& value)
{
    if (valueType == REG_SZ) {
        const std::string text = value.toText(); // the process code page is UTF-8: these are the ANSI bytes
        return RegSetValueExA(openKey, valueName.c_str(), 0, REG_SZ,
            reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
    }
    if (valueType == REG_DWORD) {
        // A text that spells no 32-bit number is not written as some other
        // number: the write is dropped like any failed write.
        const auto number = value.toInt32();
        if (!number)
            return ERROR_INVALID_PARAMETER;
        const auto bits = static_cast<std::uint32_t>(*number);
        const BYTE data[4] = { static_cast<BYTE>(bits), static_cast<BYTE>(bits >> 8),
            static_cast<BYTE>(bits >> 16), static_cast<BYTE>(bits >> 24) };
        return RegSetValueExA(openKey, valueName.c_str(), 0, REG_DWORD, data, 4);
    }
    return ERROR_SUCCESS;
}

LONG ReadTypedValue(HKEY openKey, const std::string& valueName, SettingValue& value)
{
    DWORD type = 0;
    DWORD size = 0;
    LastRegistryStatus = RegQueryValueExA(openKey, valueName.c_str(), nullptr, &type, nullptr, &size);
    if (LastRegistryStatus != ERROR_SUCCESS)
        return LastRegistryStatus;

    if (type == REG_SZ) {
        std::string buffer(size, '\0');
        LastRegistryStatus = RegQueryValueExA(
            openKey, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (LastRegistryStatus != ERROR_SUCCESS) {
            value = SettingValue::empty();
            return LastRegistryStatus;
        }
        buffer.resize(std::min<std::size_t>(size, buffer.size()));
        value = SettingValue::text(TrimAtNul(std::move(buffer)));
    } else if (type == REG_DWORD) {
        BYTE data[4] = {};
        DWORD dataSize = sizeof data;
        LastRegistryStatus = RegQueryValueExA(openKey, valueName.c_str(), nullptr, nullptr, data, &dataSize);
        if (LastRegistryStatus == ERROR_SUCCESS) {
            const std::uint32_t bits
                = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24);
            value = SettingValue::integer(static_cast<std::int32_t>(bits));
        }
    } else {
        LastRegistryStatus = -1;
    }
    return LastRegistryStatus;
}

} // namespace Veskat
