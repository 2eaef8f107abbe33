// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Registry access: every operation connects, opens, works and closes on each
// call, and never reports failure to its caller (reads give Empty, writes are
// dropped). The status of the last platform call is kept in LastRegistryStatus.
//
// Thread: UI thread only (LastRegistryStatus is unlocked module state).
#include "core/registry/registry_api.h"
#include "core/settings/setting_value.h"

#include <string>
#include <string_view>

namespace Veskat {

extern LONG LastRegistryStatus;

std::string LocalComputerName();
std::string TrimAtNul(std::string text);

void CreateRegistryKey(HKEY rootKey, const std::string& keyPath, const std::string& machineName);
void WriteRegistryValue(HKEY rootKey, const std::string& keyPath, const std::string& valueName,
    const SettingValue& value, DWORD valueType, const std::string& machineName);
SettingValue ReadRegistryValue(
    HKEY rootKey, const std::string& keyPath, const std::string& valueName, const std::string& machineName);

LONG WriteTypedValue(HKEY openKey, const std::string& valueName, DWORD valueType, const SettingValue& value);
LONG ReadTypedValue(HKEY openKey, const std::string& valueName, SettingValue& value);

} // namespace Veskat
