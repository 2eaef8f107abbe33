// SPDX-License-Identifier: GPL-2.0-or-later
// query, add and delete against a temporary store, in this process.
#include "tests/support/test_env.h"
#include "tests/tools/reg/reg_test_support.h"

#include <gmock/gmock.h>

using namespace regtest;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

const std::string kRoot = "SOFTWARE\\VESKAT\\VESKAT_CAMERAS";
const std::string kRootArg = "HKLM\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS";
const std::string kNotFound = "ERROR: The system was unable to find the specified registry key or value.\n";
const std::string kDone = "The operation completed successfully.\n";

class RegEdit : public testing::Test {
protected:
    veskat_test::TempEnvironment m_env;
};

TEST_F(RegEdit, AddSetsCameraSizeAsDwordInDecimalOrHex)
{
    auto run = runReg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "600" });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kDone);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(600));

    run = runReg({ "ADD", kRootArg, "-V", "CameraSize0to1500", "-T", "reg_dword", "-D", "0x5DC", "-F" });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(1500));
}

TEST_F(RegEdit, AddWritesTextByDefaultAndTheDefaultValueWithVe)
{
    EXPECT_EQ(runReg({ "add", kRootArg + "\\Camera0", "/v", "IPAddress", "/d", "10.0.0.5" }).exitCode, 0);
    EXPECT_EQ(storedValue(kRoot + "\\Camera0", "IPAddress"), text("10.0.0.5"));
    EXPECT_EQ(runReg({ "add", kRootArg, "/ve", "/d", "x" }).exitCode, 0);
    EXPECT_EQ(storedValue(kRoot, ""), text("x"));
    EXPECT_EQ(runReg({ "add", kRootArg + "\\Camera1", "/v", "Title" }).exitCode, 0);
    EXPECT_EQ(storedValue(kRoot + "\\Camera1", "Title"), text("")); // a single NUL, as the viewer writes ""
}

TEST_F(RegEdit, AddWithoutValueOnlyCreatesTheKey)
{
    EXPECT_EQ(runReg({ "add", kRootArg + "\\Camera9" }).exitCode, 0);
    EXPECT_TRUE(keyExists(kRoot + "\\Camera9"));
}

TEST_F(RegEdit, AddRejectsBadDataBeforeTouchingTheStore)
{
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        { { "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "six" },
            "REG_DWORD data must be" },
        { { "add", kRootArg, "/v", "B", "/t", "REG_BINARY", "/d", "abc" }, "pairs of hex digits" },
        { { "add", kRootArg, "/v", "x", "/t", "REG_WORD" }, "\"REG_WORD\" is not a type" },
        { { "add", kRootArg, "/d", "1" }, "need a value" },
        { { "add", kRootArg, "/v", "a\nb" }, "line break" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        auto run = runReg(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, StartsWith("ERROR: "));
        EXPECT_THAT(run.err, HasSubstr(c.message));
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(keyExists(kRoot));
        EXPECT_FALSE(std::filesystem::exists(m_env.registryFile())); // not even the store file
    }
}

TEST_F(RegEdit, AddOverAnExistingValueNeedsConsent)
{
    ASSERT_EQ(
        runReg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "1" }).exitCode, 0);
    const std::vector<std::string> overwrite { "add", "hklm\\software\\veskat\\veskat_cameras", "/v",
        "camerasize0to1500", "/t", "REG_DWORD", "/d", "2" };

    // No terminal to ask: refused, unchanged.
    auto run = runReg(overwrite);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, StartsWith("ERROR: The value \"camerasize0to1500\" already exists"));
    EXPECT_THAT(run.err, HasSubstr("add /f"));
    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(1));

    // The operator says no: unchanged.
    ScriptedConsole console;
    console.answers = { false };
    EXPECT_EQ(regtool::runCommandLine(overwrite, console), 1);
    EXPECT_THAT(
        console.questions, testing::ElementsAre("Value camerasize0to1500 exists, overwrite(Yes/No)? "));
    EXPECT_EQ(console.outText(), "The operation was canceled by the user.\n");
    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(1));

    // Yes: overwritten.
    run = runReg(overwrite, { true });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(2));

    // /f: no question.
    ScriptedConsole forced;
    auto args = overwrite;
    args.back() = "3";
    args.push_back("/f");
    EXPECT_EQ(regtool::runCommandLine(args, forced), 0);
    EXPECT_TRUE(forced.questions.empty());
    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(3));
}

TEST_F(RegEdit, QueryShowsValuesThenSubkeysAsRegDoes)
{
    runReg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "600" });
    runReg({ "add", kRootArg + "\\Camera1", "/v", "Title", "/d", "Camera #2" });
    runReg({ "add", kRootArg + "\\Camera0", "/v", "Title", "/d", "Camera #1" });
    runReg({ "add", kRootArg + "\\Camera0", "/v", "M", "/t", "REG_MULTI_SZ", "/d", "a\\0b" });
    runReg({ "add", kRootArg + "\\Camera0", "/ve", "/t", "REG_BINARY", "/d", "00ff" });

    auto run = runReg({ "query", kRootArg });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
        "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\n"
        "    CameraSize0to1500    REG_DWORD    0x258\n"
        "\n"
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera0\n"
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera1\n");

    run = runReg({ "query", kRootArg, "/s" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
        "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\n"
        "    CameraSize0to1500    REG_DWORD    0x258\n"
        "\n"
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera0\n"
        "    (Default)    REG_BINARY    00FF\n"
        "    M    REG_MULTI_SZ    a\\0b\n"
        "    Title    REG_SZ    Camera #1\n"
        "\n"
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera1\n"
        "    Title    REG_SZ    Camera #2\n"
        "\n");

    run = runReg({ "query", kRootArg, "/v", "cameraSIZE0to1500" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out,
        "\nHKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\n"
        "    cameraSIZE0to1500    REG_DWORD    0x258\n\n");

    run = runReg({ "query", kRootArg, "/v", "Title", "/s" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("Camera #1"));
    EXPECT_THAT(run.out, HasSubstr("Camera #2"));
    EXPECT_THAT(run.out, testing::EndsWith("End of search: 2 match(es) found.\n"));

    run = runReg({ "query", kRootArg, "/ve" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("    (Default)    REG_SZ    (value not set)\n"));
}

TEST_F(RegEdit, QueryOfWhatIsMissingFails)
{
    runReg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "600" });
    for (const auto& args : std::vector<std::vector<std::string>> { { "query", kRootArg + "\\Camera99" },
             { "query", kRootArg, "/v", "Nope" }, { "query", kRootArg, "/v", "Nope", "/s" },
             { "query", "HKCU\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS" } }) {
        SCOPED_TRACE(args.back());
        auto run = runReg(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, testing::EndsWith(kNotFound));
    }
}

TEST_F(RegEdit, QueryOfAnEmptyMachineFailsWithoutCreatingTheStore)
{
    auto run = runReg({ "query", kRootArg });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, kNotFound);
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(m_env.registryFile()));
}

TEST_F(RegEdit, DeleteValueKeyOrAllValues)
{
    runReg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "600" });
    runReg({ "add", kRootArg, "/v", "Other", "/d", "x" });
    runReg({ "add", kRootArg + "\\Camera0\\Deeper", "/v", "Title", "/d", "x" });

    // Without /f and without a terminal nothing goes.
    auto run = runReg({ "delete", kRootArg, "/v", "Other" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("add /f"));
    EXPECT_TRUE(storedValue(kRoot, "Other"));

    run = runReg({ "delete", kRootArg, "/v", "Other" }, { true });
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(storedValue(kRoot, "Other"));
    EXPECT_TRUE(storedValue(kRoot, "CameraSize0to1500"));

    run = runReg({ "delete", kRootArg, "/v", "Other", "/f" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, kNotFound);

    run = runReg({ "delete", kRootArg, "/va", "/f" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(storedValue(kRoot, "CameraSize0to1500"));
    EXPECT_TRUE(storedValue(kRoot + "\\Camera0\\Deeper", "Title")); // subkeys stay

    run = runReg({ "delete", kRootArg + "\\Camera0" }, { false });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(keyExists(kRoot + "\\Camera0"));

    run = runReg({ "delete", kRootArg + "\\CAMERA0", "/f" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(keyExists(kRoot + "\\Camera0"));
    EXPECT_FALSE(keyExists(kRoot + "\\Camera0\\Deeper"));
    EXPECT_TRUE(keyExists(kRoot));

    run = runReg({ "delete", kRootArg + "\\Camera0", "/f" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, kNotFound);
}

TEST_F(RegEdit, DeleteNeverRemovesARootKey)
{
    runReg({ "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "600" });
    auto run = runReg({ "delete", "HKEY_LOCAL_MACHINE", "/f" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("root key"));
    EXPECT_TRUE(storedValue(kRoot, "CameraSize0to1500"));
}

TEST_F(RegEdit, ACorruptStoreIsReportedAndLeftAsItIs)
{
    const std::vector<std::uint8_t> garbage(4096, 0x5a);
    writeBytes(m_env.registryFile(), garbage);
    for (const auto& args : std::vector<std::vector<std::string>> { { "query", kRootArg },
             { "add", kRootArg, "/v", "CameraSize0to1500", "/t", "REG_DWORD", "/d", "1", "/f" } }) {
        auto run = runReg(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, StartsWith("ERROR: "));
        EXPECT_THAT(run.err, HasSubstr(m_env.registryFile().string()));
    }
    EXPECT_EQ(readBytes(m_env.registryFile()), garbage);
}

TEST_F(RegEdit, HelpAndSyntaxErrors)
{
    auto run = runReg({ "/?" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("refuses with an error and changes nothing"));
    EXPECT_THAT(run.out, HasSubstr("veskat-reg import FILE"));

    run = runReg({ "add", "-h" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("REG_QWORD"));

    run = runReg({ "query", kRootArg, "/f" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err,
        "ERROR: Invalid syntax: the switch /f is not valid for query.\n"
        "Type \"veskat-reg query /?\" for usage.\n");
}

} // namespace
