#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "service/content_coding.h"

using tarvo::ContentCoding;
using tarvo::contentCodingOf;
using tarvo::decodeContent;
using tarvo::DecodeResult;

namespace {

const ContentCoding identity = ContentCoding::identity, gzip = ContentCoding::gzip,
                    deflate = ContentCoding::deflate, unsupported = ContentCoding::unsupported;

std::string fromHex(const char* hex) {
    std::string bytes;
    for (; hex[0] && hex[1]; hex += 2)
        bytes += static_cast<char>(std::stoi(std::string(hex, 2), nullptr, 16));
    return bytes;
}

// The text behind kZlibText, a dynamic-code block.
std::string variedText() {
    const char* words[16] = {"launcher", "server",   "account", "window", "tray",   "update",
                             "player",   "forum",    "page",    "splash", "button", "timer",
                             "settings", "download", "reply",   "boss"};
    std::string text;
    for (int i = 0; i < 90; ++i)
        text += "line " + std::to_string(i) + ": " + words[i * 7 % 16] + " " + words[(i * 11 + 3) % 16] +
                " " + std::to_string(i * i % 997) + "\n";
    return text;
}

// Made with Python's zlib and gzip modules.
const char* const kZlibText =
    "78da6d965b72db300c45ffbb0a2e8120f120b51b357113cf38b2c7969bc9eecb44803a84f86970405cdc23d0b89c9753"
    "8853b8cccfe5e5fd740f9fe7e5f5fa19e2afcbf7094ce1cff5fefc08f7d3edf215608ba6497f3f6e97f9f11e700be729"
    "3c6faff37a0aeb7dfe0a758be2141ea7753d2f6f8ff0fbfa7804e0ed80262bf6fbb9aed72524da0e78b2885e973543be"
    "afbaff6d2a77b9a855ca146ef35bab7cfe6851564575da4a36995f2d5c543fb48635a4f741b4865bc74dd272b9ceafff"
    "7543b2ccd6fa4f739b2b805a085aef5be9f9e5e5fa5cd6d6a52a83668005f79ba16a4bd05c50177ff4273301f8082591"
    "6549cf25152b561c9a9c4c61ede9643698d1034233238147846859c943c2a295523e62a2a4021376a048b4a3443d2a36"
    "1f127b56bce7c88895eca54ac74a767dd5b32ad6558e0356d5ecc8d0b3aa66614e0356a267b9475593c6d1910252dd99"
    "7a5229153d604f2a55cb114f2a8b152a075268daea8894da84b11fa998350e8e94f98ac99312d6429847a40aa944c48e"
    "54cdf674902795d571e4d15025bb4fdc50817e4c588ea032285eac3d298caa9ea24345d19e30e851f19e923c2ab13294"
    "3daa62f2083daa6a2d111d5165359eb8230568d7494f2a917e48543ca92c4a97ea88145615cfb123c55149317852922d"
    "250d5015d27a9cdd4c896a643ca2826887e4debfacbe33fbf78f2d457a5414f553e2e251b1fddf70f5a8c47c92784005"
    "8a4a603055f60f967a5436bf927b54d9fe58043d2aac2a5c68848a517d17ee9fbf3d4d3caaba172ba3a98ad657755365"
    "0f5619ec0f08ea7b712b048965f92d42500b15bf48d85495c32e2176725c26502d2f877502c1b2060b05d9a75efa9542"
    "58a7aab8a5a236d9ff005387f070";
// Extra field, name, comment and header CRC; the header CRC is at bytes 40 and 41.
const char* const kGzipAllFields =
    "1f8b081e000000000203080054560400616263647265706c792e747874006120636f6d6d656e74004bff4bafca2c50c8"
    "4dcd4d4a2d5228cf2cc950482d4b2daa54c8484d4c018aa465a6e6a47001006f4c2dde24000000";
const char* const kGzipName =
    "1f8b08080000000002ff7265706c792e6a736f6e00ab564a492c4954b2aa562a2d4e2d8acf4bcc4d55b2522a492c2acb"
    "57aaad0500f23a5a251e000000";
const char* const kGzipTwoMembers =
    "1f8b08000000000002034bcb2c2a2e51c84dcd4d4a2dd2510000deff0a620e0000001f8b08000000000002032b4e4dce"
    "cf4b51c84dcd4d4a2d02002474fa9f0d000000";
// A sync flush (an empty stored block) and then matches back into the first block.
const char* const kZlibSyncFlush =
    "78da4a4c4a4e04238582c4a21285fcbc540500000000ffff833312d31333f37420fc92f27c0056490f82";

struct Vector {
    const char* name;
    ContentCoding coding;
    std::string encoded;
    std::string decoded;
};

std::vector<Vector> validVectors() {
    return {
        {"stored, bare deflate", deflate,
         fromHex("011b00e4ff73746f72656420626c6f636b2c206b657074206173206974206973"),
         "stored block, kept as it is"},
        {"fixed codes, bare deflate", deflate, fromHex("cb48cdc9c9d751c840a21472124bf39233528b00"),
         "hello, hello, hello launcher"},
        {"dynamic codes, zlib", deflate, fromHex(kZlibText), variedText()},
        {"zlib, fastest level", deflate,
         fromHex("7801abcac94c52282e294a4dccd551484b2c2e492d2e51c8492d4bcd010084a009dc"),
         "zlib stream, fastest level"},
        {"zlib, small window", deflate,
         fromHex("18954b54282e294a4dcc5528cf2cc9504854303534d24daa2c4905f2f352f2cb01a9090abc"),
         "a stream with a 512-byte window"},
        {"zlib, sync flush", deflate, fromHex(kZlibSyncFlush), "abcabcabc part one part one again, part two"},
        {"gzip, every header field", gzip, fromHex(kGzipAllFields), "gzip member with every header field\n"},
        {"gzip, name", gzip, fromHex(kGzipName), "{\"data\":{\"user_name\":\"tarvo\"}}"},
        {"gzip, two members", gzip, fromHex(kGzipTwoMembers), "first member, second member"},
        {"gzip, empty", gzip, fromHex("1f8b080000000000020303000000000000000000"), ""},
        {"zlib, empty", deflate, fromHex("789c030000000001"), ""},
        {"bare deflate, empty", deflate, fromHex("0300"), ""},
        {"no bytes, gzip", gzip, "", ""},
        {"no bytes, deflate", deflate, "", ""},
        {"identity", identity, std::string("as \0 it is", 10), std::string("as \0 it is", 10)},
    };
}

// Writes deflate bits: values from their low bit, prefix codes from their first (high) bit.
struct BitWriter {
    std::string bytes;
    unsigned used = 8;
    void bits(unsigned value, unsigned count) {
        for (unsigned i = 0; i < count; ++i, ++used) {
            if (used == 8) bytes += '\0', used = 0;
            if ((value >> i) & 1) bytes.back() = static_cast<char>(bytes.back() | (1 << used));
        }
    }
    void code(unsigned value, unsigned length) {
        while (length-- > 0) bits(value >> length, 1);
    }
    // A literal/length symbol of the fixed code.
    void fixed(unsigned symbol) {
        if (symbol < 144) code(0x30 + symbol, 8);
        else if (symbol < 256) code(0x190 + symbol - 144, 9);
        else if (symbol < 280) code(symbol - 256, 7);
        else code(0xc0 + symbol - 280, 8);
    }
    // A dynamic block's header up to its code lengths, with a code-length code
    // of four bits for lengths 0..12 and five for 13..18.
    void dynamicHeader(unsigned literals, unsigned distances) {
        bits(literals - 257, 5), bits(distances - 1, 5), bits(19 - 4, 4);
        for (unsigned symbol : {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15})
            bits(symbol <= 12 ? 4 : 5, 3);
    }
    void lengthSymbol(unsigned symbol) {
        if (symbol <= 12) code(symbol, 4);
        else code(symbol + 13, 5);
    }
    void dynamicCodes(const std::vector<unsigned>& literals, const std::vector<unsigned>& distances) {
        dynamicHeader(static_cast<unsigned>(literals.size()), static_cast<unsigned>(distances.size()));
        for (unsigned length : literals) lengthSymbol(length);
        for (unsigned length : distances) lengthSymbol(length);
    }
};

// Literal/length code: 285 (length 258) "0", 'a' "10", end "11"; one distance code, 1, as "0".
// A literal 'a', then `matches` copies of 258 bytes at the distance code given.
std::string bomb(unsigned matches, unsigned distanceCode = 0) {
    BitWriter w;
    w.bits(1, 1), w.bits(2, 2);
    std::vector<unsigned> literals(286, 0);
    literals['a'] = 2, literals[256] = 2, literals[285] = 1;
    w.dynamicCodes(literals, {1});
    w.code(2, 2);
    for (unsigned i = 0; i < matches; ++i) w.code(0, 1), w.code(distanceCode, 1);
    w.code(3, 2);
    return w.bytes;
}

TEST(ContentCoding, HeaderValueNamesTheCoding) {
    const struct {
        const char* value;
        ContentCoding coding;
    } cases[] = {
        {"", identity},         {" \t ", identity},     {"identity", identity},   {"IDENTITY", identity},
        {"gzip", gzip},         {" \tGZip\t ", gzip},   {"x-gzip", gzip},         {"X-Gzip", gzip},
        {"deflate", deflate},   {"Deflate ", deflate},   {"br", unsupported},      {"compress", unsupported},
        {"gzip, deflate", unsupported}, {"gzip,gzip", unsupported}, {"gzip\n", unsupported},
        {"gzi", unsupported},   {"g zip", unsupported},  {"\"gzip\"", unsupported},
        {"x-deflate", unsupported},
    };
    for (const auto& c : cases) EXPECT_EQ(contentCodingOf(c.value), c.coding) << '"' << c.value << '"';
}

// Each vector decodes, replacing what `out` held; it fits a limit of exactly its
// size and not one byte less.
TEST(ContentCoding, ValidBodiesDecodeWithinAnExactLimit) {
    for (const Vector& v : validVectors()) {
        std::string out = "left over";
        EXPECT_EQ(decodeContent(v.encoded, v.coding, v.decoded.size(), out), DecodeResult::ok) << v.name;
        EXPECT_EQ(out, v.decoded) << v.name;
        if (v.decoded.empty()) continue;
        EXPECT_EQ(decodeContent(v.encoded, v.coding, v.decoded.size() - 1, out), DecodeResult::tooLarge)
            << v.name;
        EXPECT_EQ(out, "") << v.name;
    }
}

TEST(ContentCoding, CutBodiesAreMalformed) {
    for (const Vector& v : validVectors()) {
        if (v.coding == identity || std::string(v.name) == "gzip, two members") continue;
        for (std::size_t size = 1; size < v.encoded.size(); ++size) {
            std::string out = "left over";
            const std::string cut = v.encoded.substr(0, size);
            EXPECT_EQ(decodeContent(cut, v.coding, 1 << 20, out), DecodeResult::malformed)
                << v.name << " cut to " << size;
            EXPECT_EQ(out, "");
        }
    }
}

TEST(ContentCoding, DamagedBodiesAreMalformed) {
    const std::string allFields = fromHex(kGzipAllFields), two = fromHex(kGzipTwoMembers),
                      zlib = fromHex(kZlibSyncFlush);
    const auto flip = [](std::string s, std::size_t at) {
        s[at] = static_cast<char>(s[at] ^ 1);
        return s;
    };
    BitWriter reservedType, tooFar, noOutputYet, literal286, distance30, missingEnd;
    reservedType.bits(7, 3);
    tooFar.bits(3, 3), tooFar.fixed('a'), tooFar.fixed(257), tooFar.code(1, 5), tooFar.fixed(256);
    noOutputYet.bits(3, 3), noOutputYet.fixed(257), noOutputYet.code(0, 5), noOutputYet.fixed(256);
    literal286.bits(3, 3), literal286.fixed(286);
    distance30.bits(3, 3), distance30.fixed('a'), distance30.fixed(257), distance30.code(30, 5);
    missingEnd.bits(2, 3), missingEnd.fixed('a'), missingEnd.fixed(256);  // last block not final
    const struct {
        const char* name;
        ContentCoding coding;
        std::string encoded;
    } cases[] = {
        {"gzip CRC", gzip, flip(allFields, allFields.size() - 8)},
        {"gzip length", gzip, flip(allFields, allFields.size() - 4)},
        {"gzip header CRC", gzip, flip(allFields, 40)},
        {"gzip magic", gzip, flip(allFields, 1)},
        {"gzip method", gzip, flip(allFields, 2)},
        {"gzip reserved flag", gzip, fromHex("1f8b082000000000020303000000000000000000")},
        {"second member's CRC", gzip, flip(two, two.size() - 5)},
        {"second member reaches into the first", gzip,
         fromHex("1f8b08000000000002034b4c02006d48839e020000001f8b08000000000000030302000dcf654003000000")},
        {"gzip then garbage", gzip, allFields + "x"},
        {"gzip then a zero", gzip, allFields + '\0'},
        {"gzip then part of a header", gzip, allFields + "\x1f\x8b"},
        {"gzip of bare deflate", gzip, fromHex("0300")},
        {"zlib Adler-32", deflate, flip(zlib, zlib.size() - 1)},
        {"zlib then garbage", deflate, zlib + "x"},
        {"window over 32 KiB: not zlib", deflate, fromHex("881c030000000001")},
        {"zlib preset dictionary", deflate, fromHex("7820030000000001")},
        {"bare deflate then garbage", deflate, fromHex("0300") + "x"},
        {"block type 3", deflate, reservedType.bytes},
        {"block type 3 in zlib", deflate, fromHex("789c07")},
        {"distance past the start", deflate, tooFar.bytes},
        {"match before any output", deflate, noOutputYet.bytes},
        {"literal/length 286", deflate, literal286.bytes},
        {"distance 30", deflate, distance30.bytes},
        {"no final block", deflate, missingEnd.bytes},
        {"stored complement", deflate, fromHex("010500fbff68656c6c6f")},
        {"stored cut", deflate, fromHex("010500faff68656c")},
        {"unsupported coding", unsupported, ""},
    };
    for (const auto& c : cases) {
        std::string out = "left over";
        EXPECT_EQ(decodeContent(c.encoded, c.coding, 1 << 20, out), DecodeResult::malformed) << c.name;
        EXPECT_EQ(out, "") << c.name;
    }
}

TEST(ContentCoding, DynamicCodesAreChecked) {
    std::vector<unsigned> literalsA(257, 0);  // 'a' and end, one bit each
    literalsA['a'] = 1, literalsA[256] = 1;
    std::vector<unsigned> over = literalsA, incomplete = literalsA, noEnd = literalsA, endOnly(257, 0);
    over['b'] = 1, incomplete[256] = 2, noEnd[256] = 0, noEnd['b'] = 1, endOnly[256] = 1;
    std::vector<unsigned> long287 = literalsA, distances31(31, 0);
    long287.resize(287, 0), distances31[0] = 1;
    const struct {
        const char* name;
        std::vector<unsigned> literals, distances;
        bool valid;
    } cases[] = {
        {"complete, two distance codes", literalsA, {1, 1}, true},
        {"one distance code of one bit", literalsA, {1}, true},
        {"no distance codes", literalsA, {0}, true},
        {"over-subscribed literals", over, {1, 1}, false},
        {"incomplete literals", incomplete, {1, 1}, false},
        {"a single literal/length code", endOnly, {1, 1}, false},
        {"no end-of-block code", noEnd, {1, 1}, false},
        {"one distance code of two bits", literalsA, {2}, false},
        {"incomplete distances", literalsA, {1, 2}, false},
        {"over-subscribed distances", literalsA, {1, 1, 1}, false},
        {"287 literal/length codes", long287, {1}, false},
        {"31 distance codes", literalsA, distances31, false},
    };
    for (const auto& c : cases) {
        BitWriter w;
        w.bits(1, 1), w.bits(2, 2);
        w.dynamicCodes(c.literals, c.distances);
        w.code(0, 1), w.code(1, 1);  // 'a', end
        std::string out;
        const DecodeResult expected = c.valid ? DecodeResult::ok : DecodeResult::malformed;
        EXPECT_EQ(decodeContent(w.bytes, deflate, 1, out), expected) << c.name;
        EXPECT_EQ(out, c.valid ? "a" : "") << c.name;
    }

    // Runs of code lengths: one may go on from the literal lengths into the
    // distance lengths, but none may start the list or pass its end.
    const auto zeros = [](BitWriter& w, unsigned count) {
        for (; count > 0; count -= std::min(count, 138u))
            w.lengthSymbol(18), w.bits(std::min(count, 138u) - 11, 7);
    };
    BitWriter across, repeatFirst, pastEnd;
    across.bits(5, 3), across.dynamicHeader(257, 3);
    zeros(across, 97), across.lengthSymbol(1), zeros(across, 157);  // 'a': 1
    across.lengthSymbol(2), across.lengthSymbol(16), across.bits(0, 2);  // 255, 256, d0, d1: 2
    across.lengthSymbol(1);                                              // d2: 1
    across.code(0, 1), across.code(2, 2), across.code(3, 2);             // 'a', 255, end
    for (BitWriter* w : {&repeatFirst, &pastEnd}) w->bits(5, 3), w->dynamicHeader(257, 1);
    repeatFirst.lengthSymbol(16), repeatFirst.bits(0, 2), zeros(repeatFirst, 94);
    zeros(pastEnd, 97);
    for (BitWriter* w : {&repeatFirst, &pastEnd}) w->lengthSymbol(1), zeros(*w, 158), w->lengthSymbol(1);
    repeatFirst.lengthSymbol(1);
    pastEnd.lengthSymbol(16), pastEnd.bits(0, 2);  // the distance length and two more
    for (BitWriter* w : {&repeatFirst, &pastEnd}) w->code(0, 1), w->code(1, 1);
    std::string out;
    EXPECT_EQ(decodeContent(across.bytes, deflate, 100, out), DecodeResult::ok);
    EXPECT_EQ(out, "a\xff");
    EXPECT_EQ(decodeContent(repeatFirst.bytes, deflate, 100, out), DecodeResult::malformed);
    EXPECT_EQ(decodeContent(pastEnd.bytes, deflate, 100, out), DecodeResult::malformed);

    // Codes up to fifteen bits: 'a'..'n' of one to fourteen bits, 'o' and end of fifteen.
    BitWriter deep;
    std::vector<unsigned> deepLengths(257, 0);
    for (unsigned i = 0; i < 15; ++i) deepLengths['a' + i] = i + 1;
    deepLengths['o'] = deepLengths[256] = 15;
    deep.bits(5, 3), deep.dynamicCodes(deepLengths, {0});
    deep.code(0x3ffe, 14), deep.code(0x7ffe, 15), deep.code(0, 1), deep.code(0x7fff, 15);  // "noa", end
    EXPECT_EQ(decodeContent(deep.bytes, deflate, 100, out), DecodeResult::ok);
    EXPECT_EQ(out, "noa");

    // A distance code of a single code leaves the other one-bit code unused.
    EXPECT_EQ(decodeContent(bomb(1, 0), deflate, 1000, out), DecodeResult::ok);
    EXPECT_EQ(out, std::string(259, 'a'));
    EXPECT_EQ(decodeContent(bomb(1, 1), deflate, 1000, out), DecodeResult::malformed);
}

// A body of a few kilobytes that would inflate past 8 MiB, or to 1 GiB, stops
// at the limit; the same body fits a limit of exactly its size.
TEST(ContentCoding, BombsStopAtTheLimit) {
    std::string out;
    const std::string small = bomb(32768);
    const std::size_t size = 1 + 258 * 32768;
    EXPECT_LT(small.size(), 9000u);
    EXPECT_EQ(decodeContent(small, deflate, 1 << 20, out), DecodeResult::tooLarge);
    EXPECT_EQ(decodeContent(small, deflate, size - 1, out), DecodeResult::tooLarge);
    ASSERT_EQ(decodeContent(small, deflate, size, out), DecodeResult::ok);
    EXPECT_EQ(out, std::string(size, 'a'));
    EXPECT_LE(out.capacity(), size + 64);
    EXPECT_EQ(decodeContent(bomb(4u << 20), deflate, 1 << 20, out), DecodeResult::tooLarge);
    EXPECT_EQ(out, "");
}

}  // namespace
