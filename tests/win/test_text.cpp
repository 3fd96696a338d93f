// Text conversions between UTF-8, wide text and the ANSI code page (GBK in
// the test environment).
#include "framework/text_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

const std::string kXuanzhouUtf8 = "\xE7\x8E\x84\xE6\xB4\xB2";  // "玄洲"
const std::string kXuanzhouGbk = "\xD0\xFE\xD6\xDE";
const std::wstring kTianmen = L"\x5929\x95E8";                  // "天门"
const std::string kTianmenGbk = "\xCC\xEC\xC3\xC5";

TEST(Text, WholeStringConversions) {
    ASSERT_EQ(GetACP(), 936u) << "the cases below are written for GBK";
    EXPECT_EQ(tarvo::utf8ToAnsi(kXuanzhouUtf8), kXuanzhouGbk);
    EXPECT_EQ(tarvo::utf8ToAnsi("ab" + std::string(1, '\0') + "cd"), "ab") << "stops at the first zero byte";
    EXPECT_EQ(tarvo::utf8ToAnsi(""), "");
    EXPECT_FALSE(tarvo::utf8ToAnsi("\xFF\xFE" "ab").empty()) << "invalid input is replaced, not dropped";
    EXPECT_EQ(tarvo::utf8ToAnsi(kXuanzhouGbk, 936), kXuanzhouGbk) << "another source code page";

    EXPECT_EQ(tarvo::ansiToWide(kTianmenGbk), kTianmen);
    EXPECT_EQ(tarvo::ansiToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3)) << "all of it";
    EXPECT_EQ(tarvo::ansiToWide(""), L"");
}

// What the launcher shows travels as UTF-8 and wide text, the same on every
// system: both directions keep every character, zero characters included.
TEST(Text, Utf8AndWideConvertBothWaysOnAnySystem) {
    struct Case {
        const char* name;
        std::string utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"Chinese", kXuanzhouUtf8, L"\x7384\x6D32"},
        {"mixed", "QuarrionOL " + kXuanzhouUtf8 + "!", L"QuarrionOL \x7384\x6D32!"},
        {"beyond the basic plane", "\xF0\x9F\x98\x80", L"\xD83D\xDE00"},
        {"zero inside", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"empty", "", L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tarvo::utf8ToWide(c.utf8), c.wide);
        EXPECT_EQ(tarvo::wideToUtf8(c.wide), c.utf8);
    }
    EXPECT_EQ(tarvo::utf8ToWide("a\xFF" "b"), L"a\xFFFD" L"b") << "invalid input is replaced, not dropped";
    EXPECT_EQ(tarvo::wideToUtf8(L"a\xD800" L"b"), "a\xEF\xBF\xBD" "b") << "a lone surrogate is replaced";
}

// The shown part of a long text ends at a whole character, wherever the cap.
TEST(Text, PrefixInColumnsCutsAtCharacterBoundaries) {
    struct Case {
        const char* name;
        std::wstring text;
        std::size_t maxColumns;
        std::wstring expected;
    };
    const Case cases[] = {
        {"fits", kTianmen, 4, kTianmen},
        {"cap inside the second character", kTianmen, 3, kTianmen.substr(0, 1)},
        {"cap inside the first character", kTianmen, 1, L""},
        {"no room", kTianmen, 0, L""},
        {"plain text", L"abcdef", 4, L"abcd"},
        {"plain then wide", L"ab\x5929", 3, L"ab"},
        {"a Latin letter beyond ASCII is wide", L"\x00E9t\x00E9", 4, L"\x00E9t"},
        {"surrogate pair never split", L"a\xD83D\xDE00", 2, L"a"},
        {"surrogate pair whole", L"a\xD83D\xDE00", 3, L"a\xD83D\xDE00"},
        {"empty", L"", 10, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tarvo::widePrefixInColumns(c.text.c_str(), c.text.size(), c.maxColumns), c.expected);
    }
    EXPECT_EQ(tarvo::widePrefixInColumns(nullptr, 5, 10), L"");
}

}  // namespace
