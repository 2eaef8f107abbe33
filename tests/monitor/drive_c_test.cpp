#include "platform/drive_c/drive_c.h"

#include "tests/support/test_env.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

// Sets or clears an environment variable for the life of the object.
class EnvOverride {
public:
    EnvOverride(const char* name, const char* value)
        : m_name(name)
        , m_old(veskat_test::getEnv(name))
    {
        if (value)
            veskat_test::setEnv(name, value);
        else
            veskat_test::unsetEnv(name);
    }
    ~EnvOverride()
    {
        if (m_old)
            veskat_test::setEnv(m_name, *m_old);
        else
            veskat_test::unsetEnv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

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
    EnvOverride drive("VESKAT_DRIVE_C", nullptr);
    EnvOverride data("XDG_DATA_HOME", (env.dir() / "data").c_str());
    EXPECT_EQ(platform::driveCRoot(), env.dir() / "data" / "veskat" / "drive_c");
    platform::mapDriveCPath("c:\\camera_debug0.txt");
    EXPECT_TRUE(fs::is_directory(env.dir() / "data" / "veskat" / "drive_c"));
}

TEST(DriveC, DefaultsToLocalShareInTheHomeFolder)
{
    veskat_test::TempEnvironment env;
    EnvOverride drive("VESKAT_DRIVE_C", nullptr);
    EnvOverride data("XDG_DATA_HOME", nullptr);
    EnvOverride home("HOME", env.dir().c_str());
    EXPECT_EQ(platform::driveCRoot(), env.dir() / ".local" / "share" / "veskat" / "drive_c");
}

TEST(DriveC, RelativeXdgDataHomeIsIgnored)
{
    veskat_test::TempEnvironment env;
    EnvOverride drive("VESKAT_DRIVE_C", nullptr);
    EnvOverride data("XDG_DATA_HOME", "relative/data");
    EnvOverride home("HOME", env.dir().c_str());
    EXPECT_EQ(platform::driveCRoot(), env.dir() / ".local" / "share" / "veskat" / "drive_c");
}

} // namespace
