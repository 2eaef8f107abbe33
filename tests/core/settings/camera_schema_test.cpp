// SPDX-License-Identifier: GPL-2.0-or-later
// Key paths and the size offset of the camera settings.
#include "core/settings/camera_schema.h"
#include "core/settings/registry_access.h"

#include "tests/core/settings/registry_fixture.h"

#include <limits>

namespace settings_test {
namespace {

using Veskat::CameraSizeFrom;
using Veskat::SettingValue;

TEST(CameraKeyPath, IsTheRootPathAndThePlainIndex)
{
    EXPECT_EQ(Veskat::CameraKeyPath(0), "SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera0");
    EXPECT_EQ(Veskat::CameraKeyPath(9), "SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera9");
    EXPECT_EQ(Veskat::CameraKeyPath(13), "SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera13");
}

struct SizeCase {
    SettingValue stored;
    std::int16_t expected;
};

class CameraSizeFromTest : public ::testing::TestWithParam<SizeCase> { };

TEST_P(CameraSizeFromTest, ClampsAndTakesNoNumberAsZero)
{
    EXPECT_EQ(CameraSizeFrom(GetParam().stored), GetParam().expected) << GetParam().stored.toText();
}

INSTANTIATE_TEST_SUITE_P(Cases, CameraSizeFromTest,
    ::testing::Values(SizeCase { SettingValue(), 0 }, SizeCase { SettingValue::integer(0), 0 },
        SizeCase { SettingValue::integer(1500), 1500 }, SizeCase { SettingValue::integer(-300), -300 },
        SizeCase { SettingValue::integer(32767), 32767 }, SizeCase { SettingValue::integer(32768), 32767 },
        SizeCase { SettingValue::integer(70000), 32767 },
        SizeCase { SettingValue::integer(std::numeric_limits<std::int32_t>::max()), 32767 },
        SizeCase { SettingValue::integer(-70000), -32768 },
        SizeCase { SettingValue::integer(std::numeric_limits<std::int32_t>::min()), -32768 },
        SizeCase { SettingValue::text(" 120 "), 120 }, SizeCase { SettingValue::text("32767.6"), 32767 },
        SizeCase { SettingValue::text("1e9"), 32767 }, SizeCase { SettingValue::text("-1e9"), -32768 },
        SizeCase { SettingValue::text("abc"), 0 }, SizeCase { SettingValue::text(""), 0 }));

class CameraShorthandsTest : public RegistryTest { };

TEST_F(CameraShorthandsTest, WriteAndReadInTheCameraKey)
{
    Veskat::CreateRegistryKey(HKEY_LOCAL_MACHINE, Veskat::CameraKeyPath(4), Veskat::kLocalMachine);
    Veskat::WriteCameraText(4, Veskat::CameraValue::IPAddress, "10.0.0.5");
    Veskat::WriteCameraNumber(4, Veskat::CameraValue::Left, 1234);
    EXPECT_EQ(
        getRaw(Veskat::CameraKeyPath(4), "IPAddress"), (RawValue { REG_SZ, std::string("10.0.0.5\0", 9) }));
    EXPECT_EQ(
        getRaw(Veskat::CameraKeyPath(4), "Left"), (RawValue { REG_DWORD, std::string("\xD2\x04\0\0", 4) }));
    EXPECT_EQ(Veskat::ReadCameraValue(4, Veskat::CameraValue::IPAddress), SettingValue::text("10.0.0.5"));
    EXPECT_EQ(Veskat::ReadCameraValue(4, Veskat::CameraValue::Left), SettingValue::integer(1234));
    EXPECT_TRUE(Veskat::ReadCameraValue(5, Veskat::CameraValue::Left).isEmpty());
}

} // namespace
} // namespace settings_test
