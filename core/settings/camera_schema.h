// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one persistent format: the settings root key with "CameraSize0to1500",
// and one key per camera index with eight values. All access goes through
// HKEY_LOCAL_MACHINE and the machine "Local".
#include "core/registry/registry_api.h"
#include "core/settings/setting_value.h"

#include <cstdint>
#include <string>

namespace Veskat {

inline constexpr const char* kLocalMachine = "Local";
inline constexpr const char* kSettingsRootPath = "SOFTWARE\\VESKAT\\VESKAT_CAMERAS";
inline constexpr const char* kCameraSizeValue = "CameraSize0to1500";
// Cameras 0 to 13: the settings keys, the windows and the configuration
// form's rows all come from here.
inline constexpr std::int16_t kMaxCameraIndex = 13;
inline constexpr int kCameraCount = kMaxCameraIndex + 1;
// The "IPAddress" start-up writes for a camera that has none.
inline constexpr const char* kSeededIPAddress = "0.0.0.0";

namespace CameraValue {
inline constexpr const char* IPAddress = "IPAddress";
inline constexpr const char* Username = "Username";
inline constexpr const char* Password = "Password";
inline constexpr const char* Title = "Title";
inline constexpr const char* Left = "Left";
inline constexpr const char* Top = "Top";
inline constexpr const char* ShowMe = "ShowMe";
inline constexpr const char* Debug = "Debug";
} // namespace CameraValue

// Settings root path + "\Camera" + decimal index.
std::string CameraKeyPath(int cameraIndex);

// Shorthands over registry_access.h with HKEY_LOCAL_MACHINE and "Local".
SettingValue ReadCameraValue(int cameraIndex, const char* valueName);
void WriteCameraValue(int cameraIndex, const char* valueName, const SettingValue& value, DWORD type);
void WriteCameraText(int cameraIndex, const char* valueName, const std::string& text);
void WriteCameraNumber(int cameraIndex, const char* valueName, std::int32_t number);
SettingValue ReadRootValue(const char* valueName);

// The stored "CameraSize0to1500" as a 16-bit offset: clamped to the 16-bit
// range, text that spells no number taken as 0.
std::int16_t CameraSizeFrom(const SettingValue& stored);

} // namespace Veskat
