// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/drive_c/drive_c.h"

#include "tests/support/test_env.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

#ifdef _WIN32

// On Windows drive C: is the real one: paths stay as the program names them.
TEST(DriveC, IsTheRealDriveOnWindows)
{
    EXPECT_EQ(platform::driveCRoot(), fs::path("c:\\"));
    EXPECT_EQ(platform::mapDriveCPath("c:\\camera_debug0.txt"), fs::path("c:\\camera_debug0.txt"));
    EXPECT_EQ(platform::mapDriveCPath("d:\\x.txt"), fs::path("d:\\x.txt"));
}

#else

TEST(DriveC, MapsIntoTheFolderNamedByTheEnvironmentAndCreatesIt)
{
    veskat_test::TempEnvironment env;
    ASSERT_FALSE(fs::exists(env.driveC()));
    EXPECT_EQ(platform::mapDriveCPath("c:\\camera_debug0.txt"), env.driveC() / "camera_debug0.txt");
    EXPECT_TRUE(fs::is_directory(env.driveC()));
}

struct MapCase {
    const char* windowsPath;
    const char* relative;
};

class DriveCMapping : public testing::TestWithParam<MapCase> { };

TEST_P(DriveCMapping, MapsCaseAndSlashesAndStaysInsideTheRoot)
{
    veskat_test::TempEnvironment env;
    EXPECT_EQ(platform::mapDriveCPath(GetParam().windowsPath), env.driveC() / GetParam().relative);
}

INSTANTIATE_TEST_SUITE_P(DriveC, DriveCMapping,
    testing::Values(MapCase { "C:\\camera_debug13.txt", "camera_debug13.txt" },
        MapCase { "c:/camera_debug1.txt", "camera_debug1.txt" }, MapCase { "c:\\logs\\a.txt", "logs/a.txt" },
        MapCase { "c:\\..\\..\\etc\\passwd", "etc/passwd" }, MapCase { "c:\\.\\x\\\\y", "x/y" }));

TEST(DriveC, OtherPathsStayAsTheyAre)
{
    veskat_test::TempEnvironment env;
    EXPECT_EQ(platform::mapDriveCPath("d:\\x.txt"), fs::path("d:\\x.txt"));
    EXPECT_EQ(platform::mapDriveCPath("/tmp/x.txt"), fs::path("/tmp/x.txt"));
    EXPECT_EQ(platform::mapDriveCPath("c:"), fs::path("c:"));
}

TEST(DriveC, DefaultsToXdgDataHome)
{
    veskat_test::TempEnvironment env;
    veskat_test::ScopedEnv drive("VESKAT_DRIVE_C", std::nullopt);
    veskat_test::ScopedEnv data("XDG_DATA_HOME", (env.dir() / "data").string());
    EXPECT_EQ(platform::driveCRoot(), env.dir() / "data" / "veskat" / "drive_c");
    platform::mapDriveCPath("c:\\camera_debug0.txt");
    EXPECT_TRUE(fs::is_directory(env.dir() / "data" / "veskat" / "drive_c"));
}

TEST(DriveC, DefaultsToLocalShareInTheHomeFolder)
{
    veskat_test::TempEnvironment env;
    veskat_test::ScopedEnv drive("VESKAT_DRIVE_C", std::nullopt);
    veskat_test::ScopedEnv data("XDG_DATA_HOME", std::nullopt);
    veskat_test::ScopedEnv home("HOME", env.dir().string());
    EXPECT_EQ(platform::driveCRoot(), env.dir() / ".local" / "share" / "veskat" / "drive_c");
}

TEST(DriveC, RelativeXdgDataHomeIsIgnored)
{
    veskat_test::TempEnvironment env;
    veskat_test::ScopedEnv drive("VESKAT_DRIVE_C", std::nullopt);
    veskat_test::ScopedEnv data("XDG_DATA_HOME", "relative/data");
    veskat_test::ScopedEnv home("HOME", env.dir().string());
    EXPECT_EQ(platform::driveCRoot(), env.dir() / ".local" / "share" / "veskat" / "drive_c");
}

#endif

} // namespace
