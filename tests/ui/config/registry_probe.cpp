// SPDX-License-Identifier: GPL-2.0-or-later
#include "tests/ui/config/registry_probe.h"

#include "core/settings/camera_schema.h"
#include "core/settings/registry_access.h"

#include <cstring>

namespace config_test {

std::string RawValue::text() const
{
    std::string result = bytes;
    while (!result.empty() && result.back() == '\0')
        result.pop_back();
    return result;
}

std::int32_t RawValue::number() const
{
    std::int32_t value = 0;
    if (bytes.size() == sizeof value)
        std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

std::optional<RawValue> readRaw(int cameraIndex, const char* valueName)
{
    HKEY key = nullptr;
    const std::string path = Veskat::CameraKeyPath(cameraIndex);
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    RawValue value;
    DWORD size = 0;
    LONG status = RegQueryValueExA(key, valueName, nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.bytes.resize(size);
        status = RegQueryValueExA(
            key, valueName, nullptr, &value.type, reinterpret_cast<LPBYTE>(value.bytes.data()), &size);
        value.bytes.resize(size);
    }
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

void writeText(int cameraIndex, const char* valueName, const std::string& text)
{
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(cameraIndex), Veskat::kLocalMachine);
    Veskat::WriteRegistryValue(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(cameraIndex), valueName,
        Veskat::SettingValue::text(text), REG_SZ, Veskat::kLocalMachine);
}

void writeNumber(int cameraIndex, const char* valueName, std::int32_t number)
{
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(cameraIndex), Veskat::kLocalMachine);
    Veskat::WriteRegistryValue(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(cameraIndex), valueName,
        Veskat::SettingValue::integer(number), REG_DWORD, Veskat::kLocalMachine);
}

void seedAllCameras()
{
    using namespace Veskat::CameraValue;
    for (int i = 0; i < 14; ++i) {
        const std::string n = std::to_string(i);
        writeText(i, IPAddress, "10.0.0." + n);
        writeText(i, Username, "user" + n);
        writeText(i, Password, "secret" + n);
        writeText(i, Title, "Gate " + n);
        writeNumber(i, ShowMe, i % 2);
        writeNumber(i, Debug, (i + 1) % 2);
    }
}

} // namespace config_test
