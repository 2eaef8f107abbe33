// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/util/ascii_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Protocol words compare the same whatever the process locale is; bytes that
// are not ASCII letters (UTF-8 titles, passwords) are never changed.
TEST(AsciiText, CaseFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(util::asciiLower("Content-TYPE: Multipart/X-Mixed-Replace"),
        "content-type: multipart/x-mixed-replace");
    EXPECT_EQ(util::asciiLower("\xc3\x89T\xc3\x89 \xc4\xb0stanbul"), "\xc3\x89t\xc3\x89 \xc4\xb0stanbul");
    EXPECT_EQ(util::asciiLower(std::string("A\0B\xff", 4)), std::string("a\0b\xff", 4));

    EXPECT_TRUE(util::equalsAsciiLower("HTTPS", "https"));
    EXPECT_FALSE(util::equalsAsciiLower("HTTPS:", "https"));
    EXPECT_FALSE(util::equalsAsciiLower("http", "https"));
    EXPECT_TRUE(util::startsWithAsciiLower("HTTP://cam", "http://"));
    EXPECT_FALSE(util::startsWithAsciiLower("HTTP:/", "http://"));
    EXPECT_TRUE(util::startsWithAsciiLower("", ""));
}

TEST(AsciiText, TrimsAsciiSpaceOnly)
{
    EXPECT_EQ(util::trimAsciiSpace(" \t\r\n\v\fvalue \t x\r\n"), "value \t x");
    EXPECT_EQ(util::trimAsciiSpace(" \r\n\t "), "");
    EXPECT_EQ(util::trimAsciiSpace(""), "");
    // A no-break space (UTF-8 C2 A0) is part of a title, not white space.
    EXPECT_EQ(util::trimAsciiSpace("\xc2\xa0x\xc2\xa0"), "\xc2\xa0x\xc2\xa0");
}

} // namespace
