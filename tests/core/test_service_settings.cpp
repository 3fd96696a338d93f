#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/service_settings.h"

namespace {

struct LookUpCase {
    const char* name;
    std::string text;
    std::string key;
    std::optional<std::string> value;  // nothing: the entry is missing
    std::size_t terminator;
};

TEST(LookUpSetting, Table) {
    const LookUpCase cases[] = {
        {"plain", "GS_MAIN_web=A#:", "GS_MAIN_web", "A", 13},
        {"white space trimmed", "x GS_MAIN_ =\r\n \thttp://a/ b \v\f\r\n#:", "GS_MAIN_",
         "http://a/ b", 32},
        {"multi-line value", "K= one\r\ntwo\n#:", "K", "one\r\ntwo", 12},
        {"empty value", "K=#:", "K", "", 2},
        {"inside a longer key", "GS_MAIN_webx=X#:GS_MAIN_web=A#:", "GS_MAIN_web", "X", 14},
        {"inside an earlier value", "GS_MAIN_=http://a/?GS_BBS_=1#:GS_BBS_=F#:", "GS_BBS_", "1",
         28},
        {"value without its #:", "GS_MAIN_=A\r\nGS_BBS_=B#:", "GS_MAIN_", "A\r\nGS_BBS_=B", 21},
        {"no #: at all", "GS_MAIN_=A\r\n", "GS_MAIN_", std::nullopt, 0},
        {"#: only before =", "GS_MAIN_#:=A", "GS_MAIN_", std::nullopt, 0},
        {"no =", "GS_MAIN_ A#:", "GS_MAIN_", std::nullopt, 0},
        {"case-sensitive", "gs_main_=A#:", "GS_MAIN_", std::nullopt, 0},
        {"key absent", "GS_BBS_=A#:", "GS_MAIN_", std::nullopt, 0},
    };
    for (const LookUpCase& c : cases) {
        const std::optional<SettingEntry> entry = lookUpSetting(c.text, c.key);
        ASSERT_EQ(entry.has_value(), c.value.has_value()) << c.name;
        if (entry) {
            EXPECT_EQ(entry->value, *c.value) << c.name;
            EXPECT_EQ(entry->terminator, c.terminator) << c.name;
        }
    }
}

const char kTwoPlatforms[] =
    "free text is ignored\r\n"
    "GS_MAIN_=B#:\r\nGS_MAIN_web=A#:\r\n"
    "GS_BBS_=http://bbs/#:  GS_BBS_web = http://bbs.web/ #:\r\n"
    "GS_API_=http://api/q#:GS_API_web=http://api.web/q#:\r\n"
    "GS_API_platform_=p#:GS_API_platform_web=webp#:\r\n"
    "GS_API_gkey_=g#:GS_API_gkey_web=wg#:\r\n"
    "GS_API_key_=k#:GS_API_key_web=wk#:\r\n";

// "?" marks a member that must stay unchanged.
const char* const U = "?";

struct FillCase {
    const char* name;
    std::string text;
    std::string platformTag;
    bool ok;
    ServiceSettings expected;
};

void expectSettings(const ServiceSettings& actual, const ServiceSettings& expected,
                    const char* name) {
    EXPECT_EQ(actual.mainSiteUrl, expected.mainSiteUrl) << name;
    EXPECT_EQ(actual.forumUrl, expected.forumUrl) << name;
    EXPECT_EQ(actual.apiBaseUrl, expected.apiBaseUrl) << name;
    EXPECT_EQ(actual.apiPlatform, expected.apiPlatform) << name;
    EXPECT_EQ(actual.apiGameKey, expected.apiGameKey) << name;
    EXPECT_EQ(actual.apiSignKey, expected.apiSignKey) << name;
}

TEST(FillServiceSettings, Table) {
    const FillCase cases[] = {
        {"platform entries", kTwoPlatforms, "web", true,
         {"A", "http://bbs.web/", "http://api.web/q", "webp", "wg", "wk"}},
        {"fallback to bare keys", kTwoPlatforms, "other", true,
         {"B", "http://bbs/", "http://api/q", "p", "g", "k"}},
        // An empty tag looks up the bare prefixes; "GS_API_" then matches the
        // earlier "GS_API_platform_" entry.
        {"bare GS_API_ finds a longer key first",
         "GS_MAIN_=m#:GS_BBS_=b#:GS_API_platform_=p#:GS_API_=u#:GS_API_gkey_=g#:GS_API_key_=k#:",
         "", true, {"m", "b", "p", "p", "g", "k"}},
        {"bare key finds an earlier platform entry",
         "GS_MAIN_web=A#:GS_MAIN_=B#:GS_BBS_=b#:GS_API_=u#:GS_API_platform_=p#:"
         "GS_API_gkey_=g#:GS_API_key_=k#:",
         "other", true, {"A", "b", "u", "p", "g", "k"}},
        {"forum missing under both keys", "GS_MAIN_web=A#:GS_API_=u#:", "web", false,
         {"A", U, U, U, U, U}},
        {"first entry missing", "", "web", false, {U, U, U, U, U, U}},
    };
    for (const FillCase& c : cases) {
        ServiceSettings settings{U, U, U, U, U, U};
        EXPECT_EQ(fillServiceSettings(c.text, c.platformTag, settings), c.ok) << c.name;
        expectSettings(settings, c.expected, c.name);
    }
}

}  // namespace
