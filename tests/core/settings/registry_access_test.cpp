// SPDX-License-Identifier: GPL-2.0-or-later
// The seven registry operations of the settings layer, on either backend.
#include "core/settings/registry_access.h"

#include "tests/core/settings/registry_fixture.h"

#include <gmock/gmock.h>

namespace settings_test {
namespace {

using Veskat::CreateRegistryKey;
using Veskat::LastRegistryStatus;
using Veskat::ReadRegistryValue;
using Veskat::ReadTypedValue;
using Veskat::SettingValue;
using Veskat::WriteRegistryValue;
using Veskat::WriteTypedValue;

class RegistryAccessTest : public RegistryTest {
protected:
    SettingValue read(const std::string& name, const std::string& machine = "Local")
    {
        return ReadRegistryValue(HKEY_LOCAL_MACHINE, kScratchPath, name, machine);
    }
    void write(
        const std::string& name, const SettingValue& value, DWORD type, const std::string& machine = "Local")
    {
        WriteRegistryValue(HKEY_LOCAL_MACHINE, kScratchPath, name, value, type, machine);
    }
};

TEST_F(RegistryAccessTest, CreateKeyCreatesThePathAndReopensWithoutError)
{
    const std::string path = std::string(kScratchPath) + "\\One\\Two";
    CreateRegistryKey(HKEY_LOCAL_MACHINE, path, "Local");
    EXPECT_EQ(LastRegistryStatus, ERROR_SUCCESS);
    EXPECT_TRUE(keyExists(path));
    CreateRegistryKey(HKEY_LOCAL_MACHINE, path, "Local");
    EXPECT_EQ(LastRegistryStatus, ERROR_SUCCESS);
}

TEST_F(RegistryAccessTest, TextAndNumberRoundTrip)
{
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    write("Text", SettingValue::text("192.168.0.90"), REG_SZ);
    EXPECT_EQ(LastRegistryStatus, ERROR_SUCCESS);
    write("Number", SettingValue::integer(-12345), REG_DWORD);
    EXPECT_EQ(read("Text"), SettingValue::text("192.168.0.90"));
    EXPECT_EQ(read("Number"), SettingValue::integer(-12345));
    EXPECT_EQ(LastRegistryStatus, ERROR_SUCCESS);
}

// A title or password in any script comes back byte for byte. On Windows the
// text goes through the "A" entry points, which lose nothing only because the
// program's manifest sets the UTF-8 code page: the value that other programs
// read through the wide entry points must be the same text.
TEST_F(RegistryAccessTest, NonAsciiTextComesBackAsWritten)
{
    const std::string title = "Kamera S\xc3\xbc"
                              "d \xe2\x80\x93 Tor \xe2\x9c\x93";
    const std::string password = "p\xc3\xa4ss\xe2\x82\xac\xf0\x9f\x94\x91";
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    write("Title", SettingValue::text(title), REG_SZ);
    write("Password", SettingValue::text(password), REG_SZ);
    EXPECT_EQ(read("Title"), SettingValue::text(title));
    EXPECT_EQ(read("Password"), SettingValue::text(password));
#ifdef _WIN32
    EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeskatTest", 0, KEY_READ, &key), ERROR_SUCCESS);
    wchar_t wide[64] = {};
    DWORD size = sizeof wide;
    EXPECT_EQ(RegQueryValueExW(key, L"Title", nullptr, nullptr, reinterpret_cast<BYTE*>(wide), &size),
        ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(std::wstring(wide), L"Kamera S\u00fcd \u2013 Tor \u2713");
#endif
}

TEST_F(RegistryAccessTest, TextIsStoredAsItsBytesAndOneNul)
{
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    write("Text", SettingValue::text("abc"), REG_SZ);
    EXPECT_EQ(getRaw(kScratchPath, "Text"), (RawValue { REG_SZ, std::string("abc\0", 4) }));
    write("Empty", SettingValue::text(""), REG_SZ);
    EXPECT_EQ(getRaw(kScratchPath, "Empty"), (RawValue { REG_SZ, std::string("\0", 1) }));
    write("FromEmpty", SettingValue(), REG_SZ);
    EXPECT_EQ(getRaw(kScratchPath, "FromEmpty"), (RawValue { REG_SZ, std::string("\0", 1) }));
    write("FromNumber", SettingValue::integer(-7), REG_SZ);
    EXPECT_EQ(getRaw(kScratchPath, "FromNumber"), (RawValue { REG_SZ, std::string("-7\0", 3) }));
}

TEST_F(RegistryAccessTest, NumberIsStoredAsFourLittleEndianBytes)
{
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    struct Case {
        SettingValue value;
        std::string bytes;
    };
    const Case cases[] = {
        { SettingValue::integer(0x01020304), std::string("\x04\x03\x02\x01", 4) },
        { SettingValue::integer(-1), std::string("\xFF\xFF\xFF\xFF", 4) },
        { SettingValue(), std::string("\0\0\0\0", 4) },
        { SettingValue::text("2.5"), std::string("\x02\0\0\0", 4) },
        { SettingValue::text("3.5"), std::string("\x04\0\0\0", 4) },
        { SettingValue::text(" 1000 "), std::string("\xE8\x03\0\0", 4) },
    };
    for (const auto& c : cases) {
        write("Number", c.value, REG_DWORD);
        EXPECT_EQ(getRaw(kScratchPath, "Number"), (RawValue { REG_DWORD, c.bytes })) << c.value.toText();
    }
}

TEST_F(RegistryAccessTest, NumberFromTextThatIsNoNumberIsNotWritten)
{
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    write("Number", SettingValue::integer(5), REG_DWORD);
    write("Number", SettingValue::text("five"), REG_DWORD);
    EXPECT_NE(LastRegistryStatus, ERROR_SUCCESS);
    EXPECT_EQ(read("Number"), SettingValue::integer(5));
}

TEST_F(RegistryAccessTest, UnsupportedTypeWritesNothingAndSucceeds)
{
    OpenKey key(createKey(kScratchPath));
    EXPECT_EQ(WriteTypedValue(key.key, "Binary", REG_BINARY, SettingValue::text("x")), ERROR_SUCCESS);
    EXPECT_EQ(getRaw(kScratchPath, "Binary").type, 0xFFFFFFFFu);
}

TEST_F(RegistryAccessTest, MissingValueOrKeyReadsEmpty)
{
    EXPECT_TRUE(read("Nothing").isEmpty());
    EXPECT_TRUE(read("Nothing").equalsText(""));
    EXPECT_NE(LastRegistryStatus, ERROR_SUCCESS);
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    EXPECT_TRUE(read("Nothing").isEmpty());
    EXPECT_EQ(LastRegistryStatus, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryAccessTest, TextWithEmbeddedNulReadsUpToTheNul)
{
    ASSERT_EQ(setRaw(kScratchPath, "Nul", REG_SZ, std::string("ab\0cd\0", 6)), ERROR_SUCCESS);
    EXPECT_EQ(read("Nul"), SettingValue::text("ab"));
    ASSERT_EQ(setRaw(kScratchPath, "NoTerminator", REG_SZ, "abc"), ERROR_SUCCESS);
    EXPECT_EQ(read("NoTerminator"), SettingValue::text("abc"));
    ASSERT_EQ(setRaw(kScratchPath, "ZeroBytes", REG_SZ, ""), ERROR_SUCCESS);
    EXPECT_EQ(read("ZeroBytes"), SettingValue::text(""));
}

TEST_F(RegistryAccessTest, UnsupportedStoredTypesReadEmpty)
{
    const std::pair<DWORD, std::string> stored[] = {
        { REG_EXPAND_SZ, std::string("%TEMP%\0", 7) },
        { REG_MULTI_SZ, std::string("a\0b\0\0", 5) },
        { REG_BINARY, std::string("\x01\x02", 2) },
        { REG_QWORD, std::string(8, '\x01') },
        { REG_NONE, "" },
    };
    for (const auto& [type, bytes] : stored) {
        ASSERT_EQ(setRaw(kScratchPath, "Odd", type, bytes), ERROR_SUCCESS);
        const SettingValue value = read("Odd");
        EXPECT_TRUE(value.isEmpty()) << type;
        EXPECT_EQ(LastRegistryStatus, -1) << type;
    }
}

TEST_F(RegistryAccessTest, NumberZeroIsNotTheEmptyText)
{
    ASSERT_EQ(setRaw(kScratchPath, "Zero", REG_DWORD, std::string(4, '\0')), ERROR_SUCCESS);
    const SettingValue value = read("Zero");
    EXPECT_EQ(value, SettingValue::integer(0));
    EXPECT_FALSE(value.equalsText(""));
}

TEST_F(RegistryAccessTest, LowerCaseLocalIsARemoteMachineAndWritesNothing)
{
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    write("Remote", SettingValue::text("x"), REG_SZ, "local");
    EXPECT_NE(LastRegistryStatus, ERROR_SUCCESS);
    EXPECT_TRUE(read("Remote").isEmpty());

    write("Remote", SettingValue::text("x"), REG_SZ);
    EXPECT_TRUE(read("Remote", "local").isEmpty());
    EXPECT_EQ(read("Remote", "Local"), SettingValue::text("x"));

    CreateRegistryKey(HKEY_LOCAL_MACHINE, std::string(kScratchPath) + "\\ViaRemote", "LOCAL");
    EXPECT_FALSE(keyExists(std::string(kScratchPath) + "\\ViaRemote"));
}

TEST_F(RegistryAccessTest, WriteToMissingKeyCreatesNothing)
{
    write("Value", SettingValue::text("x"), REG_SZ);
    EXPECT_NE(LastRegistryStatus, ERROR_SUCCESS);
    EXPECT_FALSE(keyExists(kScratchPath));
}

TEST_F(RegistryAccessTest, ValueNamesIgnoreLetterCase)
{
    CreateRegistryKey(HKEY_LOCAL_MACHINE, kScratchPath, "Local");
    write("ShowMe", SettingValue::integer(1), REG_DWORD);
    EXPECT_EQ(read("SHOWME"), SettingValue::integer(1));
    EXPECT_EQ(ReadRegistryValue(HKEY_LOCAL_MACHINE, "software\\veskattest", "showme", "Local"),
        SettingValue::integer(1));
}

TEST_F(RegistryAccessTest, TypedReadLeavesTheOutValueAloneOnFailure)
{
    ASSERT_EQ(setRaw(kScratchPath, "Binary", REG_BINARY, "zz"), ERROR_SUCCESS);
    OpenKey key(createKey(kScratchPath));
    SettingValue value = SettingValue::text("keep");
    EXPECT_EQ(ReadTypedValue(key.key, "Missing", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(value, SettingValue::text("keep"));
    EXPECT_EQ(ReadTypedValue(key.key, "Binary", value), -1);
    EXPECT_EQ(value, SettingValue::text("keep"));
    EXPECT_EQ(ReadTypedValue(nullptr, "Binary", value), ERROR_INVALID_HANDLE);
    EXPECT_EQ(value, SettingValue::text("keep"));
}

TEST_F(RegistryAccessTest, LocalComputerNameIsTheNameThatConnects)
{
    const std::string name = Veskat::LocalComputerName();
    EXPECT_NE(LastRegistryStatus, 0); // GetComputerNameA's Boolean result
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.find('\0'), std::string::npos);
    HKEY root = nullptr;
    EXPECT_EQ(RegConnectRegistryA(("\\\\" + name).c_str(), HKEY_LOCAL_MACHINE, &root), ERROR_SUCCESS);
    RegCloseKey(root);
}

struct TrimCase {
    std::string input;
    std::string expected;
};

class TrimAtNulTest : public ::testing::TestWithParam<TrimCase> { };

TEST_P(TrimAtNulTest, CutsAtTheFirstNul)
{
    EXPECT_EQ(Veskat::TrimAtNul(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrimAtNulTest,
    ::testing::Values(TrimCase { "", "" }, TrimCase { "abc", "abc" },
        TrimCase { std::string("ab\0c", 4), "ab" }, TrimCase { std::string("\0abc", 4), "" },
        TrimCase { std::string("abc\0\0\0", 6), "abc" }));

} // namespace
} // namespace settings_test
