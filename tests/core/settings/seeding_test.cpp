// SPDX-License-Identifier: GPL-2.0-or-later
// Start-up seeding of the settings: the defaults, and what it leaves alone.
#include "core/seeding/module1.h"
#include "core/settings/camera_schema.h"
#include "core/settings/process_state.h"
#include "core/settings/registry_access.h"

#include "tests/core/settings/registry_fixture.h"

#include <gmock/gmock.h>

namespace settings_test {
namespace {

using Veskat::CameraKeyPath;
using Veskat::SettingValue;

std::string sz(const std::string& text)
{
    return text + std::string(1, '\0');
}

std::string dword(std::uint32_t n)
{
    return std::string { static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF),
        static_cast<char>((n >> 16) & 0xFF), static_cast<char>((n >> 24) & 0xFF) };
}

class SeedingTest : public RegistryTest {
protected:
    void SetUp() override
    {
        RegistryTest::SetUp();
        Module1::MaxCameraIndex = 0;
        Module1::CameraSize = 777;
    }
};

TEST_F(SeedingTest, FirstRunWritesExactlyTheDefaults)
{
    Module1::SeedSettings();
    EXPECT_EQ(Module1::MaxCameraIndex, 13);
    EXPECT_EQ(Module1::CameraSize, 0);

    Snapshot expected;
    expected["SOFTWARE\\VESKAT"] = {};
    expected["SOFTWARE\\VESKAT\\VESKAT_CAMERAS"]
        = { { "CameraSize0to1500", RawValue { REG_DWORD, dword(0) } } };
    for (int i = 0; i <= 13; ++i) {
        expected[CameraKeyPath(i)] = {
            { "IPAddress", RawValue { REG_SZ, sz("0.0.0.0") } },
            { "Username", RawValue { REG_SZ, sz("root") } },
            { "Password", RawValue { REG_SZ, sz("vmzt") } },
            { "Title", RawValue { REG_SZ, sz("Camera #" + std::to_string(i + 1)) } },
            { "Left", RawValue { REG_DWORD, dword(1000) } },
            { "Top", RawValue { REG_DWORD, dword(500 + 250 * i) } },
            { "ShowMe", RawValue { REG_DWORD, dword(1) } },
            { "Debug", RawValue { REG_DWORD, dword(1) } },
        };
    }
    EXPECT_EQ(snapshot("SOFTWARE\\VESKAT"), expected);
}

TEST_F(SeedingTest, SecondRunChangesNothing)
{
    Module1::SeedSettings();
    Veskat::WriteCameraText(2, "IPAddress", "192.168.1.20");
    Veskat::WriteCameraNumber(7, "ShowMe", 2);
    const Snapshot before = snapshot("SOFTWARE\\VESKAT");
    Module1::SeedSettings();
    EXPECT_EQ(snapshot("SOFTWARE\\VESKAT"), before);
}

TEST_F(SeedingTest, EmptyOrUnreadableValuesGetTheirDefaultBack)
{
    Module1::SeedSettings();
    Veskat::WriteCameraText(3, "Title", "");
    ASSERT_EQ(setRaw(CameraKeyPath(5), "Username", REG_EXPAND_SZ, sz("%USERNAME%")), ERROR_SUCCESS);
    ASSERT_EQ(setRaw(CameraKeyPath(6), "Top", REG_BINARY, "\x01"), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, CameraKeyPath(8).c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteValueA(key, "Debug"), ERROR_SUCCESS);
    RegCloseKey(key);

    Module1::SeedSettings();
    EXPECT_EQ(getRaw(CameraKeyPath(3), "Title"), (RawValue { REG_SZ, sz("Camera #4") }));
    EXPECT_EQ(getRaw(CameraKeyPath(5), "Username"), (RawValue { REG_SZ, sz("root") }));
    EXPECT_EQ(getRaw(CameraKeyPath(6), "Top"), (RawValue { REG_DWORD, dword(500 + 250 * 6) }));
    EXPECT_EQ(getRaw(CameraKeyPath(8), "Debug"), (RawValue { REG_DWORD, dword(1) }));
}

TEST_F(SeedingTest, StoredZeroNumbersStay)
{
    Module1::SeedSettings();
    Veskat::WriteCameraNumber(0, "Left", 0);
    Veskat::WriteCameraNumber(1, "ShowMe", 0);
    Veskat::WriteCameraNumber(1, "Debug", 0);
    Module1::SeedSettings();
    EXPECT_EQ(getRaw(CameraKeyPath(0), "Left"), (RawValue { REG_DWORD, dword(0) }));
    EXPECT_EQ(getRaw(CameraKeyPath(1), "ShowMe"), (RawValue { REG_DWORD, dword(0) }));
    EXPECT_EQ(getRaw(CameraKeyPath(1), "Debug"), (RawValue { REG_DWORD, dword(0) }));
}

TEST_F(SeedingTest, NumbersStoredAsTextAreKept)
{
    Module1::SeedSettings();
    Veskat::WriteCameraText(0, "Left", "1200");
    Module1::SeedSettings();
    EXPECT_EQ(getRaw(CameraKeyPath(0), "Left"), (RawValue { REG_SZ, sz("1200") }));
}

struct CameraSizeCase {
    DWORD type;
    std::string bytes;
    std::int16_t cameraSize;
    RawValue afterwards;
};

class SeedingCameraSizeTest : public SeedingTest, public ::testing::WithParamInterface<CameraSizeCase> { };

TEST_P(SeedingCameraSizeTest, LoadsTheOffsetWithoutStopping)
{
    const auto& c = GetParam();
    ASSERT_EQ(setRaw(Veskat::kSettingsRootPath, Veskat::kCameraSizeValue, c.type, c.bytes), ERROR_SUCCESS);
    Module1::SeedSettings();
    EXPECT_EQ(Module1::CameraSize, c.cameraSize);
    EXPECT_EQ(getRaw(Veskat::kSettingsRootPath, Veskat::kCameraSizeValue), c.afterwards);
    EXPECT_EQ(getRaw(CameraKeyPath(13), "Top"), (RawValue { REG_DWORD, dword(500 + 250 * 13) }));
}

INSTANTIATE_TEST_SUITE_P(Cases, SeedingCameraSizeTest,
    ::testing::Values(CameraSizeCase { REG_DWORD, dword(1500), 1500, RawValue { REG_DWORD, dword(1500) } },
        CameraSizeCase { REG_DWORD, dword(static_cast<std::uint32_t>(-200)), -200,
            RawValue { REG_DWORD, dword(static_cast<std::uint32_t>(-200)) } },
        CameraSizeCase { REG_DWORD, dword(70000), 32767, RawValue { REG_DWORD, dword(70000) } },
        CameraSizeCase { REG_DWORD, dword(static_cast<std::uint32_t>(-70000)), -32768,
            RawValue { REG_DWORD, dword(static_cast<std::uint32_t>(-70000)) } },
        CameraSizeCase { REG_SZ, sz(" 300 "), 300, RawValue { REG_SZ, sz(" 300 ") } },
        CameraSizeCase { REG_SZ, sz("big"), 0, RawValue { REG_SZ, sz("big") } },
        CameraSizeCase { REG_SZ, sz(""), 0, RawValue { REG_DWORD, dword(0) } },
        CameraSizeCase { REG_BINARY, "\x05", 0, RawValue { REG_DWORD, dword(0) } }));

TEST(StoreWarningTest, NamesTheFileAndTheReasonOfAStoreStartUpCannotUse)
{
    using registry_store::StoreState;
    EXPECT_EQ(Module1::StoreWarning({ StoreState::Ok, "/cfg/registry.sqlite3", {} }), std::nullopt);
    EXPECT_EQ(Module1::StoreWarning({ StoreState::Missing, "/cfg/registry.sqlite3", {} }), std::nullopt);

    const auto broken = Module1::StoreWarning(
        { StoreState::Broken, "/cfg/registry.sqlite3", "it is not an SQLite database" });
    ASSERT_TRUE(broken);
    EXPECT_THAT(*broken,
        ::testing::StartsWith(
            "The settings store /cfg/registry.sqlite3 is broken: it is not an SQLite database."));
    EXPECT_THAT(*broken, ::testing::HasSubstr("nothing is written to that file"));
    EXPECT_EQ(broken->find('\n'), std::string::npos);

    const auto readOnly = Module1::StoreWarning(
        { StoreState::ReadOnly, "/cfg/registry.sqlite3", "this user may not write the file" });
    ASSERT_TRUE(readOnly);
    EXPECT_THAT(*readOnly,
        ::testing::StartsWith("The settings store /cfg/registry.sqlite3 cannot be written (access denied): "
                              "this user may not write the file."));
    EXPECT_THAT(*readOnly, ::testing::HasSubstr("changes are not saved"));

    const auto unsafe = Module1::StoreWarning(
        { StoreState::Unsafe, "/cfg/registry.sqlite3", "it belongs to another user (uid 65534)" });
    ASSERT_TRUE(unsafe);
    EXPECT_THAT(*unsafe,
        ::testing::StartsWith("The settings store /cfg/registry.sqlite3 is not safe to use: "
                              "it belongs to another user (uid 65534)."));
    EXPECT_THAT(*unsafe, ::testing::HasSubstr("Nothing is read from or written to it"));
}

} // namespace
} // namespace settings_test
