// Reading the information service's replies: which value each reply yields,
// for the expected shape and for every other shape a service might send.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "service/account_reply.h"

namespace {

using Reader = std::optional<std::string> (*)(const std::string&);

struct ReplyCase {
    const char* name;
    std::string body;
    std::optional<std::string> expected;
};

const std::optional<std::string> kNoParse = std::nullopt;

void checkAll(Reader read, const std::vector<ReplyCase>& cases) {
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(read(c.body), c.expected);
    }
}

// "玄洲" in UTF-8, written as bytes so that the test's own character set
// does not matter.
const std::string kXuanzhou = "\xE7\x8E\x84\xE6\xB4\xB2";

}  // namespace

// Shapes that every reader treats alike: the reply's root and its "data".
TEST(AccountReply, RootAndDataShapesAreReadAlikeByEveryReader) {
    const std::vector<ReplyCase> cases = {
        {"not JSON", "not json", kNoParse},
        {"empty body", "", kNoParse},
        {"cut off", "{\"data\":{\"user_name\":\"a", kNoParse},
        {"only whitespace", " \r\n\t", kNoParse},
        {"empty object", "{}", ""},
        {"data null", "{\"data\":null}", ""},
        {"data empty", "{\"data\":{}}", ""},
        {"data is an array", "{\"data\":[{\"user_name\":\"a\"}]}", ""},
        {"data is a string", "{\"data\":\"a\"}", ""},
        {"data is a number", "{\"data\":5}", ""},
        {"root is an array", "[{\"data\":{\"user_name\":\"a\"}}]", ""},
        {"root is a number", "42", ""},
        {"root is a string", "\"abc\"", ""},
        {"root is null", "null", ""},
        {"root is true", "true", ""},
    };
    checkAll(userNameFromReply, cases);
    checkAll(lastServerNameFromReply, cases);
    checkAll(pageAddressFromReply, cases);
}

TEST(AccountReply, UserName) {
    checkAll(userNameFromReply, {
        {"plain", "{\"data\":{\"user_name\":\"abc\"}}", "abc"},
        {"other members ignored",
         "{\"code\":500,\"msg\":\"error\",\"data\":{\"uid\":7,\"user_name\":\"abc\"},\"x\":[]}",
         "abc"},
        {"escaped Chinese", "{\"data\":{\"user_name\":\"\\u7384\\u6d32\"}}", kXuanzhou},
        {"raw UTF-8 Chinese", "{\"data\":{\"user_name\":\"" + kXuanzhou + "\"}}", kXuanzhou},
        {"surrogate pair", "{\"data\":{\"user_name\":\"\\ud83d\\ude00\"}}", "\xF0\x9F\x98\x80"},
        {"escapes", "{\"data\":{\"user_name\":\"a\\\"b\\\\c\\/d\\te\"}}", "a\"b\\c/d\te"},
        {"escaped zero kept", "{\"data\":{\"user_name\":\"a\\u0000b\"}}", std::string("a\0b", 3)},
        {"empty string", "{\"data\":{\"user_name\":\"\"}}", ""},
        {"missing", "{\"data\":{\"name\":\"abc\"}}", ""},
        {"null", "{\"data\":{\"user_name\":null}}", ""},
        {"integer", "{\"data\":{\"user_name\":12345}}", "12345"},
        {"large integer", "{\"data\":{\"user_name\":98765432109876543210}}",
         "98765432109876543210"},
        {"real as written", "{\"data\":{\"user_name\":-1.50}}", "-1.50"},
        {"exponent as written", "{\"data\":{\"user_name\":1e3}}", "1e3"},
        {"boolean", "{\"data\":{\"user_name\":false}}", "false"},
        {"array", "{\"data\":{\"user_name\":[\"abc\"]}}", ""},
        {"object", "{\"data\":{\"user_name\":{\"a\":\"abc\"}}}", ""},
        {"member at the root only", "{\"user_name\":\"abc\"}", ""},
        {"comments allowed", "// reply\n{\"data\":{/* n */\"user_name\":\"abc\"}}", "abc"},
        {"whitespace around", "\r\n  {\"data\" : { \"user_name\" : \"abc\" } }  \n", "abc"},
    });
}

TEST(AccountReply, LastServerName) {
    checkAll(lastServerNameFromReply, {
        {"three servers: the last",
         "{\"data\":{\"allserver\":[{\"server_name\":\"s1\"},{\"server_name\":\"s2\"},"
         "{\"server_name\":\"s3\"}]}}",
         "s3"},
        {"one server", "{\"data\":{\"allserver\":[{\"server_id\":9,\"server_name\":\"one\"}]}}",
         "one"},
        {"escaped Chinese", "{\"data\":{\"allserver\":[{\"server_name\":\"\\u7384\\u6d32\"}]}}",
         kXuanzhou},
        {"raw UTF-8", "{\"data\":{\"allserver\":[{\"server_name\":\"" + kXuanzhou + "\"}]}}",
         kXuanzhou},
        {"empty array", "{\"data\":{\"allserver\":[]}}", ""},
        {"missing", "{\"data\":{\"servers\":[{\"server_name\":\"a\"}]}}", ""},
        {"null", "{\"data\":{\"allserver\":null}}", ""},
        {"last without name", "{\"data\":{\"allserver\":[{\"server_name\":\"a\"},{\"id\":2}]}}",
         ""},
        {"last name null", "{\"data\":{\"allserver\":[{\"server_name\":\"a\"},{\"server_name\":null}]}}",
         ""},
        {"last is not an object", "{\"data\":{\"allserver\":[{\"server_name\":\"a\"},\"b\"]}}",
         ""},
        {"last is null", "{\"data\":{\"allserver\":[{\"server_name\":\"a\"},null]}}", ""},
        {"last is an array", "{\"data\":{\"allserver\":[{\"server_name\":\"a\"},[1]]}}", ""},
        {"allserver is an object",
         "{\"data\":{\"allserver\":{\"0\":{\"server_name\":\"a\"}}}}", ""},
        {"allserver is a string", "{\"data\":{\"allserver\":\"a\"}}", ""},
        {"allserver is a number", "{\"data\":{\"allserver\":3}}", ""},
        {"name is a number", "{\"data\":{\"allserver\":[{\"server_name\":7}]}}", "7"},
        {"name is an object", "{\"data\":{\"allserver\":[{\"server_name\":{}}]}}", ""},
    });
}

TEST(AccountReply, PageAddress) {
    checkAll(pageAddressFromReply, {
        {"address unchanged",
         "{\"data\":{\"gsurl\":\"http://web.example/page?a=1&b=%20#top\"}}",
         "http://web.example/page?a=1&b=%20#top"},
        {"escaped slashes", "{\"data\":{\"gsurl\":\"http:\\/\\/web.example\\/p\"}}",
         "http://web.example/p"},
        {"empty object", "{}", ""},
        {"empty string", "{\"data\":{\"gsurl\":\"\"}}", ""},
        {"null", "{\"data\":{\"gsurl\":null}}", ""},
        {"number", "{\"data\":{\"gsurl\":0}}", "0"},
        {"array", "{\"data\":{\"gsurl\":[\"http://a\"]}}", ""},
    });
}

// Pathological input must come back as a failed parse, not a crash.
TEST(AccountReply, DeepNestingIsAFailedParseNotACrash) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_EQ(userNameFromReply(deep), kNoParse);
    const std::string deepData =
        "{\"data\":" + std::string(100000, '{') ;
    EXPECT_EQ(lastServerNameFromReply(deepData), kNoParse);
}

TEST(AccountReply, MultiMegabyteReply) {
    std::string body = "{\"data\":{\"user_name\":\"u\",\"allserver\":[";
    const std::string filler(40, 'x');
    for (int i = 1; i <= 50000; ++i) {
        if (i > 1) body += ",";
        body += "{\"server_id\":" + std::to_string(i) + ",\"note\":\"" + filler +
                "\",\"server_name\":\"s" + std::to_string(i) + "\"}";
    }
    body += "],\"gsurl\":\"http://web.example/" + std::string(1 << 20, 'p') + "\"}}";
    ASSERT_GT(body.size(), 4u << 20);

    EXPECT_EQ(lastServerNameFromReply(body), "s50000");
    EXPECT_EQ(userNameFromReply(body), "u");
    const auto page = pageAddressFromReply(body);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->size(), std::string("http://web.example/").size() + (1u << 20));
}
