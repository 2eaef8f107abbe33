// SPDX-License-Identifier: GPL-2.0-or-later
// The built veskat-reg program, run as an operator or a script runs it.
#include "tests/support/test_env.h"
#include "tests/tools/reg/process_runner.h"
#include "tests/tools/reg/reg_test_support.h"

#include "veskat_version.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <memory>

using namespace regtest;
using testing::HasSubstr;

namespace {

namespace fs = std::filesystem;

const std::string kRoot = "SOFTWARE\\VESKAT\\VESKAT_CAMERAS";
const std::string kRootArg = "HKLM\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS";

class VeskatRegProgram : public testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(m_program))
            GTEST_FAIL() << m_program << " is missing: build the veskat-reg target";
    }
    ProcessResult reg(const std::vector<std::string>& args) { return runProgram(m_program, args); }

    fs::path m_program = veskat_test::buildDir() / "tools" / "reg" / "veskat-reg";
    std::unique_ptr<veskat_test::TempEnvironment> m_env = std::make_unique<veskat_test::TempEnvironment>();
};

TEST_F(VeskatRegProgram, HelpGoesToStandardOutput)
{
    for (const char* help : { "/?", "-h", "--help" }) {
        auto run = reg({ help });
        EXPECT_EQ(run.exitCode, 0) << help;
        EXPECT_THAT(run.out, HasSubstr("veskat-reg query  KEY"));
        EXPECT_THAT(run.out, HasSubstr("refuses with an error"));
        EXPECT_EQ(run.err, "");
    }
    auto run = reg({ "import", "/?" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("nothing is changed"));
}

TEST_F(VeskatRegProgram, VersionIsTheReleaseNumberOfTheBuild)
{
    auto run = reg({ "--version" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, std::string("veskat-reg ") + buildinfo::kVersion + "\n");
    EXPECT_EQ(run.err, "");
}

// reg's own syntax errors keep exit code 1 (see below); an option in place of
// the operation is a wrong command line of the usual kind.
TEST_F(VeskatRegProgram, AnUnknownOptionIsOneLineOnStandardErrorWithExitCode2)
{
    for (const char* option : { "--verbose", "-x", "/x" }) {
        auto run = reg({ option, "query", kRootArg });
        EXPECT_EQ(run.exitCode, 2) << option;
        EXPECT_EQ(run.out, "") << option;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_THAT(run.err, HasSubstr(option));
    }
}

TEST_F(VeskatRegProgram, SetsCameraSizeInTheStoreOfVeskatRegistry)
{
    auto run = reg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "600", "/f" });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "The operation completed successfully.\n");
    EXPECT_TRUE(fs::exists(m_env->registryFile()));
    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(600)); // read here, in this process

    run = reg({ "query", kRootArg, "/v", "CameraSize0to1500" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
        "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\n"
        "    CameraSize0to1500    REG_DWORD    0x258\n\n");
}

TEST_F(VeskatRegProgram, ErrorsGoToStandardErrorWithExitCode1)
{
    auto run = reg({ "query", kRootArg });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "ERROR: The system was unable to find the specified registry key or value.\n");

    run = reg({ "frobnicate" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, testing::StartsWith("ERROR: Invalid syntax"));

    run = reg({});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("veskat-reg /?"));
}

TEST_F(VeskatRegProgram, WithoutATerminalItRefusesToOverwriteUnlessForced)
{
    ASSERT_EQ(reg({ "add", kRootArg, "/v", "Title", "/d", "old" }).exitCode, 0);
    auto run = reg({ "add", kRootArg, "/v", "Title", "/d", "new" }); // standard input is /dev/null
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("not a terminal"));
    EXPECT_THAT(run.err, HasSubstr("/f"));
    EXPECT_EQ(storedValue(kRoot, "Title"), text("old"));

    run = reg({ "delete", kRootArg });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(keyExists(kRoot));
}

TEST_F(VeskatRegProgram, OnATerminalItAsksUntilYesOrNo)
{
    ASSERT_EQ(reg({ "add", kRootArg, "/v", "Title", "/d", "old" }).exitCode, 0);

    auto run = runOnTerminal(m_program, { "add", kRootArg, "/v", "Title", "/d", "new" }, "maybe\nno\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.out, HasSubstr("Value Title exists, overwrite(Yes/No)? "));
    EXPECT_THAT(run.out, HasSubstr("The operation was canceled by the user."));
    EXPECT_EQ(storedValue(kRoot, "Title"), text("old"));

    run = runOnTerminal(m_program, { "add", kRootArg, "/v", "Title", "/d", "new" }, "YES\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_THAT(run.out, HasSubstr("The operation completed successfully."));
    EXPECT_EQ(storedValue(kRoot, "Title"), text("new"));

    run = runOnTerminal(m_program, { "delete", kRootArg }, "y\n");
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_THAT(run.out,
        HasSubstr("Permanently delete the registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\"
                  "VESKAT_CAMERAS (Yes/No)? "));
    EXPECT_FALSE(keyExists(kRoot));
}

TEST_F(VeskatRegProgram, MovesSettingsBetweenStoresWithoutChangingAByte)
{
    ASSERT_EQ(
        reg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "1500" }).exitCode, 0);
    ASSERT_EQ(reg({ "add", kRootArg + "\\Camera0", "/v", "Title", "/d", "Gate \"North\" \\ 1" }).exitCode, 0);
    ASSERT_EQ(
        reg({ "add", kRootArg + "\\Camera0", "/v", "Hosts", "/t", "REG_MULTI_SZ", "/d", "a\\0b" }).exitCode,
        0);
    TempDir files;
    const auto first = files.path / "first.reg";
    const auto second = files.path / "second.reg";
    ASSERT_EQ(reg({ "export", "HKLM\\SOFTWARE\\VESKAT", first.string() }).exitCode, 0);

    m_env.reset(); // first the old one puts the environment back
    m_env = std::make_unique<veskat_test::TempEnvironment>(); // a new, empty store
    ASSERT_FALSE(keyExists(kRoot));
    auto run = reg({ "import", first.string() });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(reg({ "export", "HKLM\\SOFTWARE\\VESKAT", second.string() }).exitCode, 0);
    EXPECT_EQ(readBytes(second), readBytes(first));
    EXPECT_EQ(storedValue(kRoot + "\\Camera0", "Title"), text("Gate \"North\" \\ 1"));
}

TEST_F(VeskatRegProgram, AMalformedFileIsRejectedWithItsLineNumber)
{
    ASSERT_EQ(
        reg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "600" }).exitCode, 0);
    TempDir files;
    const auto bad = files.path / "bad.reg";
    writeBytes(bad,
        windowsRegFile({ "Windows Registry Editor Version 5.00", "",
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS]", "\"CameraSize0to1500\"=dword:00000000",
            "\"Title\"=\"unclosed" }));
    auto run = reg({ "import", bad.string() });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err,
        "ERROR: " + bad.string() + ", line 5: the text has no closing quote. Nothing was imported.\n");
    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(600));
}

} // namespace
