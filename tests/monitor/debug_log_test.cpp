#include "camera/monitor/debug_log.h"

#include "tests/support/test_env.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

std::string readAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int countOf(const std::string& text, const std::string& what)
{
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size()))
        ++n;
    return n;
}

TEST(DebugLogName, IsTheZeroBasedIndexOnDriveC)
{
    EXPECT_EQ(camera::debugLogName(0), "c:\\camera_debug0.txt");
    EXPECT_EQ(camera::debugLogName(13), "c:\\camera_debug13.txt");
}

TEST(DebugLog, AppendsLinesEndedByCrLfAndCreatesDriveC)
{
    veskat_test::TempEnvironment env;
    ASSERT_FALSE(fs::exists(env.driveC()));
    camera::DebugLog log(3);
    EXPECT_TRUE(log.append("Status =  2 on 03/07/2014 4:05:09 PM"));
    EXPECT_TRUE(log.append("Status =  1025 on 03/07/2014 4:05:39 PM"));
    EXPECT_EQ(readAll(env.driveC() / "camera_debug3.txt"),
        "Status =  2 on 03/07/2014 4:05:09 PM\r\nStatus =  1025 on 03/07/2014 4:05:39 PM\r\n");
}

TEST(DebugLog, NeverTruncatesWhatIsThere)
{
    veskat_test::TempEnvironment env;
    fs::create_directories(env.driveC());
    {
        std::ofstream out(env.driveC() / "camera_debug0.txt", std::ios::binary);
        out << "older line\r\n";
    }
    camera::DebugLog(0).append("newer line");
    EXPECT_EQ(readAll(env.driveC() / "camera_debug0.txt"), "older line\r\nnewer line\r\n");
}

TEST(DebugLog, EachWindowWritesItsOwnFile)
{
    veskat_test::TempEnvironment env;
    camera::DebugLog a(0);
    camera::DebugLog b(12);
    a.append("a");
    b.append("b");
    EXPECT_EQ(readAll(env.driveC() / "camera_debug0.txt"), "a\r\n");
    EXPECT_EQ(readAll(env.driveC() / "camera_debug12.txt"), "b\r\n");
}

TEST(DebugLog, FileIsClosedAfterEveryLine)
{
    // Moving the file away between lines must leave it complete and start a
    // new one: nothing is held open.
    veskat_test::TempEnvironment env;
    camera::DebugLog log(1);
    log.append("first");
    fs::rename(env.driveC() / "camera_debug1.txt", env.dir() / "moved.txt");
    log.append("second");
    EXPECT_EQ(readAll(env.dir() / "moved.txt"), "first\r\n");
    EXPECT_EQ(readAll(env.driveC() / "camera_debug1.txt"), "second\r\n");
}

TEST(DebugLogFailure, FolderThatCannotBeCreatedIsReportedOnceAndTheCallerGoesOn)
{
    veskat_test::TempEnvironment env;
    {
        std::ofstream blocker(env.dir() / "a_file");
        blocker << "x";
    }
    veskat_test::setEnv("VESKAT_DRIVE_C", (env.dir() / "a_file" / "drive_c").string());
    camera::DebugLog log(4);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(log.append("one"));
    EXPECT_FALSE(log.append("two"));
    EXPECT_FALSE(log.append("three"));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(countOf(err, "cannot write the debug log"), 1) << err;
    EXPECT_THAT(err, HasSubstr("camera_debug4.txt"));
}

TEST(DebugLogFailure, EachWindowReportsItsOwnFailureOnce)
{
    veskat_test::TempEnvironment env;
    fs::create_directories(env.driveC() / "camera_debug0.txt"); // a folder where the file should be
    fs::create_directories(env.driveC() / "camera_debug1.txt");
    camera::DebugLog a(0);
    camera::DebugLog b(1);
    testing::internal::CaptureStderr();
    a.append("x");
    b.append("x");
    a.append("y");
    b.append("y");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(countOf(err, "cannot write the debug log"), 2) << err;
}

TEST(DebugLogFailure, DiskFullIsAFailure)
{
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    std::string error;
    EXPECT_FALSE(camera::appendLineCrLf("/dev/full", "Status =  2 on x", error));
    EXPECT_FALSE(error.empty());
}

TEST(DebugLogFailure, ReadOnlyFileIsAFailure)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    veskat_test::TempEnvironment env;
    const fs::path file = env.dir() / "read_only.txt";
    {
        std::ofstream out(file);
    }
    fs::permissions(file, fs::perms::owner_read);
    std::string error;
    EXPECT_FALSE(camera::appendLineCrLf(file, "line", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
