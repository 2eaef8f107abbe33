// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/monitor/debug_log.h"

#include "tests/support/test_env.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

[[maybe_unused]] int countOf(const std::string& text, const std::string& what)
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

// The line file itself: the same on every system.
TEST(DebugLogFile, NeverTruncatesWhatIsThere)
{
    veskat_test::TempEnvironment env;
    const fs::path file = env.dir() / "camera_debug0.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << "older line\r\n";
    }
    std::string error;
    EXPECT_TRUE(camera::appendLineCrLf(file, "newer line", error)) << error;
    EXPECT_EQ(readAll(file), "older line\r\nnewer line\r\n");
}

TEST(DebugLogFile, IsClosedAfterEveryLine)
{
    // Moving the file away between lines must leave it complete and start a
    // new one: nothing is held open.
    veskat_test::TempEnvironment env;
    const fs::path file = env.dir() / "camera_debug1.txt";
    std::string error;
    EXPECT_TRUE(camera::appendLineCrLf(file, "first", error)) << error;
    fs::rename(file, env.dir() / "moved.txt");
    EXPECT_TRUE(camera::appendLineCrLf(file, "second", error)) << error;
    EXPECT_EQ(readAll(env.dir() / "moved.txt"), "first\r\n");
    EXPECT_EQ(readAll(file), "second\r\n");
}

// Elsewhere than Windows the logs go to the drive C: folder of the test
// environment; on Windows to the real drive C:, which the tests leave alone.
#ifndef _WIN32

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

#endif

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
    veskat_test::TempEnvironment env;
    const fs::path file = env.dir() / "read_only.txt";
    {
        std::ofstream out(file);
    }
    fs::permissions(file, fs::perms::owner_read);
    // Root (and Wine run by root) may write any file.
    if (std::ofstream(file, std::ios::app))
        GTEST_SKIP() << "this user may write a read-only file";
    std::string error;
    EXPECT_FALSE(camera::appendLineCrLf(file, "line", error));
    EXPECT_FALSE(error.empty());
}

} // namespace
