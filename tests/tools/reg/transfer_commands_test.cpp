// SPDX-License-Identifier: GPL-2.0-or-later
// export and import: identical round trips, files from Windows' registry
// editor, and files with a fault that change nothing.
#include "tests/support/test_env.h"
#include "tests/tools/reg/reg_test_support.h"
#include "tools/reg/reg_file.h"
#include "tools/reg/reg_file_parser.h"

#include <sys/stat.h>
#include <sys/types.h>

#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <memory>

using namespace regtest;
using testing::HasSubstr;
using testing::StartsWith;

namespace {

namespace fs = std::filesystem;

const std::string kRoot = "SOFTWARE\\VESKAT\\VESKAT_CAMERAS";
const std::string kRootArg = "HKLM\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS";

void setValue(const std::string& subKey, const std::string& name, const Stored& value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(
                  HKEY_LOCAL_MACHINE, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, value.type, value.bytes.data(),
                  static_cast<DWORD>(value.bytes.size())),
        ERROR_SUCCESS);
    RegCloseKey(key);
}

// The store as the viewer leaves it, plus values of every other type.
void seedStore()
{
    setValue(kRoot, "CameraSize0to1500", dword(600));
    for (int i = 0; i < 14; ++i) {
        const auto key = kRoot + "\\Camera" + std::to_string(i);
        setValue(key, "IPAddress", text("192.168.1." + std::to_string(10 + i)));
        setValue(key, "Username", text("root"));
        setValue(key, "Password", text("p\"w\\d"));
        setValue(key, "Title",
            text(i == 3 ? "Kamera S\xC3\xBC"
                          "d \xE2\x82\xAC"
                        : "Camera #" + std::to_string(i + 1)));
        setValue(key, "Left", dword(1000));
        setValue(key, "Top", dword(static_cast<std::uint32_t>(500 + 250 * i)));
        setValue(key, "ShowMe", dword(i % 3 == 0 ? 0 : 1));
        setValue(key, "Debug", dword(static_cast<std::uint32_t>(-1)));
    }
    const auto extra = kRoot + "\\Extra";
    setValue(extra, "", text("default"));
    setValue(extra, "Expand", text("%HOME%\\x", REG_EXPAND_SZ));
    setValue(extra, "Multi", Stored { REG_MULTI_SZ, { 'a', 0, 'b', 'c', 0, 0 } });
    setValue(extra, "Qword", Stored { REG_QWORD, { 1, 2, 3, 4, 5, 6, 7, 8 } });
    Stored big { REG_BINARY, {} };
    for (int i = 0; i < 300; ++i)
        big.bytes.push_back(static_cast<std::uint8_t>(i));
    setValue(extra, "Big", big);
    setValue(extra, "Empty", Stored { REG_BINARY, {} });
    setValue(extra, "Line\"break", text("a\r\nb"));
    setValue(extra, "Odd", Stored { 0x1234, { 9 } });
    HKEY empty = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kRoot + "\\Extra\\Empty key").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
        nullptr, &empty, nullptr);
    RegCloseKey(empty);
}

class RegTransfer : public testing::Test {
protected:
    fs::path file(const std::string& name) const { return m_files / name; }

    std::vector<std::uint8_t> exportBytes(const std::string& key = "HKLM\\SOFTWARE\\VESKAT")
    {
        const auto path = file("snapshot.reg");
        auto run = runReg({ "export", key, path.string(), "/y" });
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return readBytes(path);
    }

    TempDir m_dir;
    fs::path m_files = m_dir.path;
    std::unique_ptr<veskat_test::TempEnvironment> m_env = std::make_unique<veskat_test::TempEnvironment>();
};

TEST_F(RegTransfer, ExportImportExportGivesTheSameFile)
{
    seedStore();
    auto run = runReg({ "export", "hklm\\software\\veskat", file("first.reg").string() });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "The operation completed successfully.\n");

    m_env.reset(); // first the old one puts the environment back
    m_env = std::make_unique<veskat_test::TempEnvironment>(); // a new, empty store
    ASSERT_FALSE(keyExists(kRoot));
    run = runReg({ "import", file("first.reg").string() });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(storedValue(kRoot + "\\Camera3", "Title"),
        text("Kamera S\xC3\xBC"
             "d \xE2\x82\xAC"));
    EXPECT_TRUE(keyExists(kRoot + "\\Extra\\Empty key"));

    run = runReg({ "export", "HKLM\\SOFTWARE\\VESKAT", file("second.reg").string() });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readBytes(file("second.reg")), readBytes(file("first.reg")));
}

TEST_F(RegTransfer, ExportWritesRegeditsFormatAndOrder)
{
    seedStore();
    const auto bytes = exportBytes("hklm\\SOFTWARE\\veskat\\veskat_cameras");
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);

    auto parsed = regfile::parseRegFile(bytes);
    ASSERT_TRUE(std::holds_alternative<regfile::RegFile>(parsed));
    const auto& reg = std::get<regfile::RegFile>(parsed);
    EXPECT_EQ(reg.format, regfile::Format::Version5);
    EXPECT_EQ(reg.encoding, regfile::Encoding::Utf16le);
    std::vector<std::string> keys;
    for (const auto& section : reg.sections)
        keys.push_back(section.key.fullName());
    const std::string base
        = "HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS"; // as stored, not as typed
    EXPECT_THAT(keys,
        testing::ElementsAre(base, base + "\\Camera0", base + "\\Camera1", base + "\\Camera10",
            base + "\\Camera11", base + "\\Camera12", base + "\\Camera13", base + "\\Camera2",
            base + "\\Camera3", base + "\\Camera4", base + "\\Camera5", base + "\\Camera6",
            base + "\\Camera7", base + "\\Camera8", base + "\\Camera9", base + "\\Extra",
            base + "\\Extra\\Empty key"));
    std::vector<std::string> names;
    for (const auto& value : reg.sections[1].values)
        names.push_back(value.name);
    EXPECT_THAT(names,
        testing::ElementsAre("Debug", "IPAddress", "Left", "Password", "ShowMe", "Title", "Top", "Username"));
    EXPECT_EQ(reg.sections[15].values.front().name, ""); // (Default) first
}

TEST_F(RegTransfer, ExportOfAMissingKeyFailsAndWritesNoFile)
{
    seedStore();
    auto run = runReg({ "export", kRootArg + "\\Camera99", file("x.reg").string() });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "ERROR: The system was unable to find the specified registry key or value.\n");
    EXPECT_FALSE(fs::exists(file("x.reg")));
}

TEST_F(RegTransfer, ExportOverAnExistingFileNeedsConsent)
{
    seedStore();
    const std::vector<std::uint8_t> old { 'o', 'l', 'd' };
    writeBytes(file("x.reg"), old);
    auto run = runReg({ "export", kRootArg, file("x.reg").string() });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr("add /y"));
    EXPECT_EQ(readBytes(file("x.reg")), old);

    run = runReg({ "export", kRootArg, file("x.reg").string() }, { true });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(readBytes(file("x.reg")), old);
}

mode_t modeOf(const fs::path& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::vector<std::string> namesIn(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An export holds the cameras' passwords.
TEST_F(RegTransfer, ExportIsForItsOwnerOnlyAlsoOverAnExistingFile)
{
    seedStore();
    const mode_t umask = ::umask(022);
    auto run = runReg({ "export", kRootArg, file("new.reg").string() });
    writeBytes(file("old.reg"), { 'o', 'l', 'd' });
    ::chmod(file("old.reg").c_str(), 0644);
    auto over = runReg({ "export", kRootArg, file("old.reg").string(), "/y" });
    ::umask(umask);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(over.exitCode, 0) << over.err;
    EXPECT_EQ(modeOf(file("new.reg")), 0600u);
    EXPECT_EQ(modeOf(file("old.reg")), 0600u);
    EXPECT_EQ(readBytes(file("old.reg")), readBytes(file("new.reg")));
}

// In a folder that others may write to, nobody can make the export write
// somewhere else, and nothing is left behind when it fails.
TEST_F(RegTransfer, ExportWritesNoFileButItsOwn)
{
    seedStore();
    const std::vector<std::uint8_t> victim { 'k', 'e', 'e', 'p' };
    writeBytes(file("victim"), victim);
    fs::create_symlink(file("victim"), file("x.reg.veskat-reg-tmp"));
    auto run = runReg({ "export", kRootArg, file("x.reg").string() });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readBytes(file("victim")), victim);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file("x.reg"))));
    EXPECT_THAT(namesIn(m_files), testing::ElementsAre("victim", "x.reg", "x.reg.veskat-reg-tmp"));

    // A folder in the target's place cannot be replaced: the export fails and cleans up.
    fs::create_directory(file("folder.reg"));
    writeBytes(file("folder.reg") / "inside", victim);
    run = runReg({ "export", kRootArg, file("folder.reg").string(), "/y" });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, StartsWith("ERROR: Cannot write " + file("folder.reg").string() + ": "));
    EXPECT_THAT(
        namesIn(m_files), testing::ElementsAre("folder.reg", "victim", "x.reg", "x.reg.veskat-reg-tmp"));
}

TEST_F(RegTransfer, ImportsAFileSavedByWindowsRegistryEditor)
{
    std::vector<std::string> lines {
        "Windows Registry Editor Version 5.00",
        "",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT]",
        "",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS]",
        "\"CameraSize0to1500\"=dword:00000258",
        "",
    };
    for (int i = 0; i < 14; ++i) {
        const auto n = std::to_string(i);
        lines.push_back("[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera" + n + "]");
        lines.push_back("\"IPAddress\"=\"10.1.1." + n + "\"");
        lines.push_back("\"Username\"=\"root\"");
        lines.push_back("\"Password\"=\"vmzt\"");
        lines.push_back(i == 0 ? "\"Title\"=\"Einfahrt S<U+00FC>d <U+20AC>\""
                               : "\"Title\"=\"Camera #" + std::to_string(i + 1) + "\"");
        lines.push_back("\"Left\"=dword:000003e8");
        char top[40];
        std::snprintf(top, sizeof top, "\"Top\"=dword:%08x", 500 + 250 * i);
        lines.push_back(top);
        lines.push_back("\"ShowMe\"=dword:00000001");
        lines.push_back("\"Debug\"=dword:00000001");
        lines.push_back("");
    }
    lines.insert(lines.end(),
        {
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Notes]",
            "@=\"C:\\\\Program Files\\\\Veskat\"",
            "\"Expand\"=hex(2):25,00,50,00,41,00,54,00,48,00,25,00,00,00",
            "\"Multi\"=hex(7):6f,00,6e,00,65,00,00,00,74,00,77,00,6f,00,00,00,00,00",
            "\"Wide\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\",
            "  17,18,19,1a,1b,1c,1d,1e,1f",
            "\"Q\"=hex(b):00,00,00,00,01,00,00,00",
            "",
        });
    writeBytes(file("windows.reg"), windowsRegFile(lines));

    auto run = runReg({ "import", file("windows.reg").string() });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "The operation completed successfully.\n");

    EXPECT_EQ(storedValue(kRoot, "CameraSize0to1500"), dword(600));
    EXPECT_EQ(storedValue(kRoot + "\\Camera0", "Title"),
        text("Einfahrt S\xC3\xBC"
             "d \xE2\x82\xAC"));
    EXPECT_EQ(storedValue(kRoot + "\\Camera13", "IPAddress"), text("10.1.1.13"));
    EXPECT_EQ(storedValue(kRoot + "\\Camera13", "Top"), dword(500 + 250 * 13));
    EXPECT_EQ(storedValue(kRoot + "\\Camera5", "Password"), text("vmzt"));
    EXPECT_EQ(storedValue(kRoot + "\\Camera5", "Debug"), dword(1));
    EXPECT_EQ(storedValue(kRoot + "\\Notes", ""), text("C:\\Program Files\\Veskat"));
    EXPECT_EQ(storedValue(kRoot + "\\Notes", "Expand"), text("%PATH%", REG_EXPAND_SZ));
    EXPECT_EQ(storedValue(kRoot + "\\Notes", "Multi"),
        (Stored { REG_MULTI_SZ, { 'o', 'n', 'e', 0, 't', 'w', 'o', 0, 0 } }));
    EXPECT_EQ(storedValue(kRoot + "\\Notes", "Wide")->bytes.size(), 32u);
    EXPECT_EQ(storedValue(kRoot + "\\Notes", "Q"), (Stored { REG_QWORD, { 0, 0, 0, 0, 1, 0, 0, 0 } }));
}

TEST_F(RegTransfer, ImportAppliesDeletionsAndRegedit4Files)
{
    seedStore();
    const std::string file4 = "REGEDIT4\r\n\r\n"
                              "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Extra]\r\n"
                              "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\NeverWasThere]\r\n"
                              "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera2]\r\n"
                              "\"Title\"=-\r\n"
                              "\"NeverWasThere\"=-\r\n"
                              "\"IPAddress\"=\"cam2.local\"\r\n"
                              "\"Expand\"=hex(2):25,41,25,00\r\n";
    writeBytes(file("four.reg"), std::vector<std::uint8_t>(file4.begin(), file4.end()));
    auto run = runReg({ "import", file("four.reg").string() });
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_FALSE(keyExists(kRoot + "\\Extra"));
    EXPECT_FALSE(storedValue(kRoot + "\\Camera2", "Title"));
    EXPECT_EQ(storedValue(kRoot + "\\Camera2", "IPAddress"), text("cam2.local"));
    EXPECT_EQ(storedValue(kRoot + "\\Camera2", "Expand"), text("%A%", REG_EXPAND_SZ));
    EXPECT_EQ(storedValue(kRoot + "\\Camera2", "Username"), text("root"));
}

TEST_F(RegTransfer, AFileWithAFaultChangesNothing)
{
    seedStore();
    const auto before = exportBytes();
    const struct {
        const char* label;
        std::vector<std::uint8_t> bytes;
        std::string where;
    } cases[] = {
        { "bad dword on the last line",
            windowsRegFile({ "Windows Registry Editor Version 5.00", "",
                "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera1]",
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS]", "\"CameraSize0to1500\"=dword:0",
                "\"New\"=\"x\"", "\"Broken\"=dword:zz" }),
            "line 7: dword: must be followed by 1 to 8 hex digits" },
        { "bad hex byte on a continued line",
            windowsRegFile({ "Windows Registry Editor Version 5.00", "",
                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS\\Camera0]", "\"Title\"=\"changed\"",
                "\"B\"=hex:01,02,\\", "  03,g4" }),
            "line 6: \"g4\" is not a hex byte" },
        { "not a registry file", windowsRegFile({ "hello", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT]" }),
            "line 1: the file does not start with" },
        { "cut off in the middle of a character",
            [] {
                auto b = windowsRegFile({ "Windows Registry Editor Version 5.00", "",
                    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT]", "\"x\"=\"y\"" });
                b.pop_back();
                return b;
            }(),
            "line 4: the line is not valid UTF-16LE" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        writeBytes(file("bad.reg"), c.bytes);
        auto run = runReg({ "import", file("bad.reg").string() });
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_THAT(run.err, StartsWith("ERROR: " + file("bad.reg").string() + ", " + c.where));
        EXPECT_THAT(run.err, HasSubstr("Nothing was imported."));
        EXPECT_EQ(exportBytes(), before);
    }
}

TEST_F(RegTransfer, ImportIntoACorruptStoreFailsAndLeavesItAsItIs)
{
    const std::vector<std::uint8_t> garbage(8192, 0x17);
    writeBytes(m_env->registryFile(), garbage);
    writeBytes(file("ok.reg"),
        windowsRegFile({ "Windows Registry Editor Version 5.00", "",
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\VESKAT\\VESKAT_CAMERAS]",
            "\"CameraSize0to1500\"=dword:00000258" }));
    auto run = runReg({ "import", file("ok.reg").string() });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasSubstr(m_env->registryFile().string()));
    EXPECT_THAT(run.err, HasSubstr("Nothing was imported."));
    EXPECT_EQ(readBytes(m_env->registryFile()), garbage);
}

// A wrong file name must not read a device or a pipe without end, nor a disk image into memory.
TEST_F(RegTransfer, ImportReadsOnlyARegularFileOfSettingsSize)
{
    fs::create_directory(file("folder.reg"));
    ASSERT_EQ(::mkfifo(file("pipe.reg").c_str(), 0600), 0);
    {
        std::ofstream(file("huge.reg")).close();
        fs::resize_file(file("huge.reg"), regfile::kMaxRegFileBytes + 1); // sparse: no disk space used
    }
    const struct {
        fs::path path;
        std::string reason;
    } cases[] = {
        { file("absent.reg"), "No such file or directory" },
        { file("folder.reg"), "it is a folder" },
        { "/dev/null", "it is not a regular file" },
        { file("pipe.reg"), "it is not a regular file" },
        { file("huge.reg"), "it is larger than 16 MiB" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        auto run = runReg({ "import", c.path.string() });
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, StartsWith("ERROR: Cannot read " + c.path.string() + ": " + c.reason));
    }
    EXPECT_FALSE(fs::exists(m_env->registryFile()));
}

} // namespace
