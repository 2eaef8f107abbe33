// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/settings/camera_schema.h"

#include "core/settings/registry_access.h"

#include <limits>

namespace Veskat {

std::string CameraKeyPath(int cameraIndex)
{
    return std::string(kSettingsRootPath) + "\\Camera" + std::to_string(cameraIndex);
}

SettingValue ReadCameraValue(int cameraIndex, const char* valueName)
{
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, CameraKeyPath(cameraIndex), valueName, kLocalMachine);
}

void WriteCameraValue(int cameraIndex, const char* valueName, const SettingValue& value, DWORD type)
{
    WriteRegistryValue(HKEY_LOCAL_MACHINE, CameraKeyPath(cameraIndex), valueName, value, type, kLocalMachine);
}

void WriteCameraText(int cameraIndex, const char* valueName, const std::string& text)
{
    WriteCameraValue(cameraIndex, valueName, SettingValue::text(text), REG_SZ);
}

void WriteCameraNumber(int cameraIndex, const char* valueName, std::int32_t number)
{
    WriteCameraValue(cameraIndex, valueName, SettingValue::integer(number), REG_DWORD);
}

SettingValue ReadRootValue(const char* valueName)
{
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, kSettingsRootPath, valueName, kLocalMachine);
}

std::int16_t CameraSizeFrom(const SettingValue& stored)
{
    // The value is set outside the program (veskat-reg, a .reg file): a value
    // the 16-bit offset cannot hold must not stop start-up.
    const auto number = stored.toDouble();
    if (!number)
        return 0;
    constexpr double low = std::numeric_limits<std::int16_t>::min();
    constexpr double high = std::numeric_limits<std::int16_t>::max();
    if (*number <= low)
        return std::numeric_limits<std::int16_t>::min();
    if (*number >= high)
        return std::numeric_limits<std::int16_t>::max();
    // In range (rounded half to even); only a fraction just inside a limit can round past it.
    return stored.toInt16().value_or(
        *number > 0 ? std::numeric_limits<std::int16_t>::max() : std::numeric_limits<std::int16_t>::min());
}

} // namespace Veskat
