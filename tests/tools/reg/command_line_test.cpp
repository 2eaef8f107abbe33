// SPDX-License-Identifier: GPL-2.0-or-later
// The command line: reg's switches in either spelling, and clear syntax errors.
#include "tools/reg/command_line.h"

#include <gmock/gmock.h>

using namespace regtool;
using testing::HasSubstr;

namespace {

Command parseOk(const std::vector<std::string>& args)
{
    auto parsed = parseCommandLine(args);
    if (auto* error = std::get_if<SyntaxError>(&parsed)) {
        ADD_FAILURE() << error->message;
        return {};
    }
    if (!std::holds_alternative<Command>(parsed)) {
        ADD_FAILURE() << "asked for help";
        return {};
    }
    return std::get<Command>(parsed);
}

TEST(CommandLine, QueryWithValueAndRecursion)
{
    const auto c = parseOk({ "QUERY", "hklm\\SOFTWARE\\VESKAT\\", "-V", "CameraSize0to1500", "/S" });
    EXPECT_EQ(c.operation, Operation::Query);
    EXPECT_EQ(c.key, (regfile::KeyPath { regfile::RootKey::LocalMachine, "SOFTWARE\\VESKAT" }));
    EXPECT_EQ(c.valueName, "CameraSize0to1500");
    EXPECT_TRUE(c.recursive);
}

TEST(CommandLine, AddTakesTheArgumentAfterEachSwitchAsItIs)
{
    const auto c
        = parseOk({ "add", "HKEY_CURRENT_USER\\X", "/v", "/f", "/t", "REG_DWORD", "/d", "-5", "/f" });
    EXPECT_EQ(c.operation, Operation::Add);
    EXPECT_EQ(c.key.root, regfile::RootKey::CurrentUser);
    EXPECT_EQ(c.valueName, "/f"); // a value may be called "/f"
    EXPECT_EQ(c.typeText, "REG_DWORD");
    EXPECT_EQ(c.data, "-5");
    EXPECT_TRUE(c.force);

    const auto multi = parseOk({ "add", "HKLM\\X", "/ve", "/t", "REG_MULTI_SZ", "/s", "#", "/d", "a#b" });
    EXPECT_EQ(multi.valueName, "");
    EXPECT_EQ(multi.separator, "#");
    EXPECT_FALSE(multi.recursive);
}

TEST(CommandLine, DeleteExportImport)
{
    const auto del = parseOk({ "delete", "HKLM\\X", "/va", "/F" });
    EXPECT_TRUE(del.allValues);
    EXPECT_TRUE(del.force);
    EXPECT_FALSE(del.valueName);

    // An absolute Linux path starts with '/' and is still a file name.
    const auto exp = parseOk({ "export", "HKLM\\SOFTWARE\\VESKAT", "/tmp/cams.reg", "/y" });
    EXPECT_EQ(exp.file, "/tmp/cams.reg");
    EXPECT_TRUE(exp.force);

    const auto imp = parseOk({ "import", "-cams.reg" });
    EXPECT_EQ(imp.file, "-cams.reg");
}

TEST(CommandLine, HelpForTheProgramAndForEachOperation)
{
    for (const char* help : { "/?", "-?", "-h", "--help", "-H" }) {
        auto parsed = parseCommandLine({ help });
        ASSERT_TRUE(std::holds_alternative<HelpRequest>(parsed)) << help;
        EXPECT_FALSE(std::get<HelpRequest>(parsed).operation);
    }
    auto parsed = parseCommandLine({ "add", "/?" });
    ASSERT_TRUE(std::holds_alternative<HelpRequest>(parsed));
    EXPECT_EQ(std::get<HelpRequest>(parsed).operation, Operation::Add);
}

struct SyntaxCase {
    const char* label;
    std::vector<std::string> args;
    std::string message;
};

class CommandLineErrors : public testing::TestWithParam<SyntaxCase> { };

TEST_P(CommandLineErrors, SayWhatIsWrong)
{
    auto parsed = parseCommandLine(GetParam().args);
    ASSERT_TRUE(std::holds_alternative<SyntaxError>(parsed));
    EXPECT_THAT(std::get<SyntaxError>(parsed).message, HasSubstr(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(CommandLine, CommandLineErrors,
    testing::Values(SyntaxCase { "nothing", {}, "no operation" },
        SyntaxCase { "unknown_operation", { "copy", "HKLM\\X" }, "\"copy\" is not an operation" },
        SyntaxCase { "missing_key", { "query" }, "key name is missing" },
        SyntaxCase { "missing_file", { "export", "HKLM\\X" }, "file name is missing" },
        SyntaxCase { "missing_import_file", { "import" }, "file name is missing" },
        SyntaxCase { "switch_of_other_operation", { "query", "HKLM\\X", "/f" }, "/f is not valid for query" },
        SyntaxCase { "unknown_switch", { "query", "HKLM\\X", "/x" }, "unknown switch /x" },
        SyntaxCase { "too_many", { "query", "HKLM\\X", "Y" }, "too many arguments" },
        SyntaxCase { "switch_twice", { "add", "HKLM\\X", "/f", "-F" }, "given twice" },
        SyntaxCase { "v_and_ve", { "query", "HKLM\\X", "/v", "a", "/ve" }, "either /v NAME or /ve" },
        SyntaxCase { "va_and_v", { "delete", "HKLM\\X", "/v", "a", "/va" }, "only one of" },
        SyntaxCase { "empty_v", { "query", "HKLM\\X", "/v", "" }, "use /ve" },
        SyntaxCase { "v_without_name", { "query", "HKLM\\X", "/v" }, "must be followed by a value" },
        SyntaxCase { "d_without_data", { "add", "HKLM\\X", "/v", "a", "/d" }, "must be followed by a value" },
        SyntaxCase { "bad_root", { "query", "HKXX\\X" }, "does not start with HKLM" },
        SyntaxCase { "other_root", { "query", "HKCR\\X" }, "not supported" },
        SyntaxCase { "backslashes_eaten_by_shell", { "query", "HKLMSOFTWAREVESKAT" }, "in quotes" },
        SyntaxCase { "empty_key_part", { "add", "HKLM\\A\\\\B" }, "empty part" }),
    [](const auto& info) { return std::string(info.param.label); });

} // namespace
