// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/settings/check_box_setting.h"

namespace Veskat {

CheckBoxSetting checkBoxSettingFrom(const SettingValue& stored)
{
    const std::optional<std::int16_t> number = stored.toInt16();
    if (number && *number >= 0 && *number <= 2)
        return { static_cast<CheckValue>(*number), std::nullopt };
    return { CheckValue::Grayed, stored };
}

StoredCheckValue valueToStore(const CheckBoxSetting& setting)
{
    if (setting.kept && setting.state == CheckValue::Grayed) {
        const DWORD type = setting.kept->isText() ? REG_SZ : REG_DWORD;
        return { *setting.kept, type };
    }
    return { SettingValue::integer(static_cast<std::int32_t>(setting.state)), REG_DWORD };
}

} // namespace Veskat
