// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// How a stored "ShowMe" or "Debug" maps onto a three-state check box and back.
// A value the box cannot show (a number outside 0 to 2, text that spells no
// number) is shown grayed and kept, so that opening and closing the form
// without touching the box writes back exactly what was stored.
//
// Thread: any (pure functions, no Qt).
#include "core/registry/registry_api.h"
#include "core/settings/setting_value.h"

#include <optional>

namespace Veskat {

enum class CheckValue : int { Unchecked = 0, Checked = 1, Grayed = 2 };

struct CheckBoxSetting {
    CheckValue state = CheckValue::Unchecked;
    // Set only when `state` is Grayed because the stored value cannot be shown.
    std::optional<SettingValue> kept;
};

struct StoredCheckValue {
    SettingValue value;
    DWORD type = REG_DWORD;
};

// Empty counts as 0 (unchecked); 0, 1 and 2 (number or text spelling one) give
// their state; everything else is grayed and kept.
CheckBoxSetting checkBoxSettingFrom(const SettingValue& stored);

// The box's state as REG_DWORD, or the kept value with its own type.
StoredCheckValue valueToStore(const CheckBoxSetting& setting);

} // namespace Veskat
