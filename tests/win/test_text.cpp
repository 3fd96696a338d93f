// Text conversions between UTF-8, the ANSI code page (GBK in the test
// environment) and wide text.
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
    EXPECT_EQ(tarvo::wideToAnsi(kTianmen), kTianmenGbk);
    EXPECT_EQ(tarvo::wideToAnsi(std::wstring(L"a\0b", 3)), "a");
}

// The capped conversion never splits a character, whatever the cap.
TEST(Text, CappedConversionCutsAtCharacterBoundaries) {
    ASSERT_EQ(GetACP(), 936u);
    struct Case {
        const char* name;
        std::wstring text;
        std::size_t maxBytes;
        std::string expected;
    };
    const Case cases[] = {
        {"fits", kTianmen, 4, kTianmenGbk},
        {"cap inside the second character", kTianmen, 3, kTianmenGbk.substr(0, 2)},
        {"cap inside the first character", kTianmen, 1, ""},
        {"no room", kTianmen, 0, ""},
        {"plain text", L"abcdef", 4, "abcd"},
        {"plain then two-byte", L"ab\x5929", 3, "ab"},
        {"surrogate pair never split", L"a\xD83D\xDE00", 2, "a"},
        {"empty", L"", 10, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(tarvo::wideToAnsiPrefix(c.text.c_str(), c.text.size(), c.maxBytes), c.expected);
    }
    EXPECT_EQ(tarvo::wideToAnsiPrefix(nullptr, 5, 10), "");
}

}  // namespace
