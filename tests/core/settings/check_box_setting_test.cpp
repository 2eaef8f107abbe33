// SPDX-License-Identifier: GPL-2.0-or-later
// The mapping between a stored "ShowMe"/"Debug" and a three-state check box.
#include "core/settings/check_box_setting.h"

#include <gtest/gtest.h>

#include <ostream>

using Veskat::CheckBoxSetting;
using Veskat::CheckValue;
using Veskat::SettingValue;

namespace {

struct LoadCase {
    const char* name;
    SettingValue stored;
    CheckValue shown;
    bool kept;
};

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class CheckBoxLoad : public testing::TestWithParam<LoadCase> { };

TEST_P(CheckBoxLoad, ShowsTheStateAndKeepsWhatItCannotShow)
{
    const LoadCase& c = GetParam();
    const CheckBoxSetting setting = Veskat::checkBoxSettingFrom(c.stored);
    EXPECT_EQ(setting.state, c.shown);
    EXPECT_EQ(setting.kept.has_value(), c.kept);
    if (c.kept && setting.kept) {
        EXPECT_EQ(*setting.kept, c.stored);
    }
}

INSTANTIATE_TEST_SUITE_P(StoredValues, CheckBoxLoad,
    testing::Values(LoadCase { "missing", SettingValue::empty(), CheckValue::Unchecked, false },
        LoadCase { "zero", SettingValue::integer(0), CheckValue::Unchecked, false },
        LoadCase { "one", SettingValue::integer(1), CheckValue::Checked, false },
        LoadCase { "two", SettingValue::integer(2), CheckValue::Grayed, false },
        LoadCase { "text_one", SettingValue::text("1"), CheckValue::Checked, false },
        LoadCase { "three", SettingValue::integer(3), CheckValue::Grayed, true },
        LoadCase { "minus_one", SettingValue::integer(-1), CheckValue::Grayed, true },
        LoadCase { "beyond_16_bits", SettingValue::integer(70000), CheckValue::Grayed, true },
        LoadCase { "text_no_number", SettingValue::text("abc"), CheckValue::Grayed, true },
        LoadCase { "text_out_of_range", SettingValue::text("12"), CheckValue::Grayed, true }),
    [](const testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(CheckBoxStore, UntouchedUnshowableValueGoesBackWithItsType)
{
    const auto text = Veskat::valueToStore(Veskat::checkBoxSettingFrom(SettingValue::text("abc")));
    EXPECT_EQ(text.value, SettingValue::text("abc"));
    EXPECT_EQ(text.type, REG_SZ);

    const auto number = Veskat::valueToStore(Veskat::checkBoxSettingFrom(SettingValue::integer(-7)));
    EXPECT_EQ(number.value, SettingValue::integer(-7));
    EXPECT_EQ(number.type, REG_DWORD);
}

TEST(CheckBoxStore, ChangedBoxStoresItsStateAsNumber)
{
    CheckBoxSetting setting = Veskat::checkBoxSettingFrom(SettingValue::text("abc"));
    setting.state = CheckValue::Checked;
    const auto stored = Veskat::valueToStore(setting);
    EXPECT_EQ(stored.value, SettingValue::integer(1));
    EXPECT_EQ(stored.type, REG_DWORD);
}

TEST(CheckBoxStore, GrayedFromTwoStoresTwoAsNumber)
{
    const auto fromText = Veskat::valueToStore(Veskat::checkBoxSettingFrom(SettingValue::text("2")));
    EXPECT_EQ(fromText.value, SettingValue::integer(2));
    EXPECT_EQ(fromText.type, REG_DWORD);
}

} // namespace
