#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "service/md5.h"
#include "service/request_sign.h"

namespace {

struct DigestCase {
    std::string input;
    const char* hex;
};

TEST(Md5, Rfc1321TestSuite) {
    const DigestCase cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890"
         "1234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const DigestCase& c : cases)
        EXPECT_EQ(md5Hex(c.input), c.hex) << '"' << c.input << '"';
}

// Lengths around the padding boundaries (one or two final blocks) and a
// block-aligned multiple, plus bytes with the high bit set.
TEST(Md5, PaddingBoundariesAndHighBytes) {
    const DigestCase cases[] = {
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
        {std::string(128, 'a'), "e510683b3f5ffe4093d021808bc6ff70"},
        {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
        {std::string("\x00\xff\x80", 3), "4fd64cb80c3f86e1e9d0f559af8b370f"},
    };
    for (const DigestCase& c : cases)
        EXPECT_EQ(md5Hex(c.input), c.hex) << "length " << c.input.size();
}

TEST(Md5, PiecewiseUpdatesMatchOnePass) {
    std::string input;
    for (int i = 0; i < 1024 * 1024; ++i)
        input += static_cast<char>(i * 7 + i / 251);
    const std::string whole = md5Hex(input);

    for (std::size_t piece : {1u, 3u, 55u, 63u, 64u, 65u, 1000u}) {
        Md5 md5;
        for (std::size_t at = 0; at < input.size(); at += piece)
            md5.update(input.data() + at, std::min(piece, input.size() - at));
        EXPECT_EQ(md5Hex(md5.finish()), whole) << "pieces of " << piece;
    }
}

const RequestValues kValues{"http://api.example/q", "web", "GK9", "SECRET", "12"};

struct SignCase {
    const char* name;
    RequestValues values;
    int type;
    const char* sign;
    std::string url;
};

TEST(RequestSign, Table) {
    const SignCase cases[] = {
        // md5("webGK9s121#SECRET")
        {"ordinary", kValues, 1, "364f4f0d62393cf8823549d53be3b0c6",
         "http://api.example/q?platform=web&gkey=GK9&skey=s12&type=1"
         "&sign=364f4f0d62393cf8823549d53be3b0c6"},
        // md5("webGK9s5#SECRET"): "s" directly followed by the type
        {"empty server number", {"http://api.example/q", "web", "GK9", "SECRET", ""}, 5,
         "755b7a802fa63af0b0070af368bd36cb",
         "http://api.example/q?platform=web&gkey=GK9&skey=s&type=5"
         "&sign=755b7a802fa63af0b0070af368bd36cb"},
        // md5("p&=#x 1g k=&s1 2#32#k e#y"): nothing encoded, the key never sent
        {"reserved characters", {"h?x=1", "p&=#x 1", "g k=&", "k e#y", "1 2#3"}, 2,
         "528eca2deb19edf6ce46960d8ad7a564",
         "h?x=1?platform=p&=#x 1&gkey=g k=&&skey=s1 2#3&type=2"
         "&sign=528eca2deb19edf6ce46960d8ad7a564"},
        // md5("s1#")
        {"all empty", {}, 1, "26e5cb8fce14e0965cc910154f2402be",
         "?platform=&gkey=&skey=s&type=1&sign=26e5cb8fce14e0965cc910154f2402be"},
        // md5("webGK9s12-7#SECRET")
        {"negative type", kValues, -7, "c98c420a6f6b92bccbce13271db8d625",
         "http://api.example/q?platform=web&gkey=GK9&skey=s12&type=-7"
         "&sign=c98c420a6f6b92bccbce13271db8d625"},
    };
    for (const SignCase& c : cases) {
        EXPECT_EQ(MakeRequestSign(c.values, c.type), c.sign) << c.name;
        EXPECT_EQ(MakeRequestUrl(c.values, c.type), c.url) << c.name;
    }
}

TEST(RequestSign, PiecesJoinedWithoutSeparators) {
    // Moving characters between platform and gkey keeps the signature input.
    const RequestValues shifted{"http://api.example/q", "we", "bGK9", "SECRET", "12"};
    EXPECT_EQ(MakeRequestSign(shifted, 1), MakeRequestSign(kValues, 1));
    EXPECT_NE(MakeRequestUrl(shifted, 1), MakeRequestUrl(kValues, 1));
    EXPECT_NE(MakeRequestSign(kValues, 2), MakeRequestSign(kValues, 1));
}

}  // namespace
