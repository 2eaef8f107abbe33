// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/seeding/module1.h"

#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "core/settings/registry_access.h"

#include <string>

namespace Module1 {
namespace {

using Veskat::ReadCameraValue;
using Veskat::WriteCameraNumber;
using Veskat::WriteCameraText;

// A value is (re)written whenever it reads as "": missing, an empty text or
// a type the settings layer cannot read. A stored number 0 is kept.
void seedText(int camera, const char* valueName, const std::string& text)
{
    if (ReadCameraValue(camera, valueName).equalsText(""))
        WriteCameraText(camera, valueName, text);
}

void seedNumber(int camera, const char* valueName, std::int32_t number)
{
    if (ReadCameraValue(camera, valueName).equalsText(""))
        WriteCameraNumber(camera, valueName, number);
}

} // namespace

registry_store::StoreHealth SeedSettings()
{
    using registry_store::StoreState;
    MaxCameraIndex = Veskat::kMaxCameraIndex;
    const auto health = registry_store::checkStore();
    // A broken or unsafe store is never written to and a read-only one cannot
    // be: the cameras start with what can be read.
    if (health.state != StoreState::Ok && health.state != StoreState::Missing) {
        CameraSize = Veskat::CameraSizeFrom(Veskat::ReadRootValue(Veskat::kCameraSizeValue));
        return health;
    }
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, Veskat::kSettingsRootPath, Veskat::kLocalMachine);
    for (int i = 0; i <= MaxCameraIndex; ++i) {
        Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(i), Veskat::kLocalMachine);

        // Runs in every pass; only the first can find it empty.
        if (Veskat::ReadRootValue(Veskat::kCameraSizeValue).equalsText("")) {
            Veskat::WriteRegistryValue(HKEY_LOCAL_MACHINE, Veskat::kSettingsRootPath,
                Veskat::kCameraSizeValue, Veskat::SettingValue::integer(0), REG_DWORD, Veskat::kLocalMachine);
            CameraSize = 0;
        } else {
            CameraSize = Veskat::CameraSizeFrom(Veskat::ReadRootValue(Veskat::kCameraSizeValue));
        }

        seedText(i, Veskat::CameraValue::IPAddress, Veskat::kSeededIPAddress);
        seedText(i, Veskat::CameraValue::Username, "root");
        seedText(i, Veskat::CameraValue::Password, "vmzt");
        seedText(i, Veskat::CameraValue::Title, "Camera #" + std::to_string(i + 1));
        seedNumber(i, Veskat::CameraValue::Left, 1000);
        seedNumber(i, Veskat::CameraValue::Top, 500 + 250 * i);
        seedNumber(i, Veskat::CameraValue::ShowMe, 1);
        seedNumber(i, Veskat::CameraValue::Debug, 1);
    }
    return health;
}

std::optional<std::string> StoreWarning(const registry_store::StoreHealth& health)
{
    switch (health.state) {
    case registry_store::StoreState::Ok:
    case registry_store::StoreState::Missing:
        return std::nullopt;
    case registry_store::StoreState::Broken:
        return "The settings store " + health.location + " is broken: " + health.reason
            + ". The cameras start with empty settings and nothing is written to that file;"
              " move it away (or put back a copy) and start again for a new store.";
    case registry_store::StoreState::Unsafe:
        return "The settings store " + health.location + " is not safe to use: " + health.reason
            + ". Nothing is read from or written to it, so the cameras start with empty settings and"
              " changes are not saved; make the store and its folder yours and private"
              " (chown, chmod go-w), or move it away, and start again.";
    case registry_store::StoreState::ReadOnly:
        return "The settings store " + health.location
            + " cannot be written (access denied): " + health.reason
            + ". The cameras start with the settings that can be read, and changes are not saved.";
    }
    return std::nullopt;
}

} // namespace Module1
