#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/executable_image.h"

namespace {

using Bytes = std::vector<unsigned char>;

void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// Offsets of the small 32-bit program built below.
constexpr std::size_t kPe = 0x40;
constexpr std::size_t kFileHeader = kPe + 4;
constexpr std::size_t kOptional = kFileHeader + 20;
constexpr std::size_t kSections = kOptional + 224;

// A whole 32-bit program: headers in the first 0x200 bytes, then two
// sections of 0x200 bytes each.
Bytes program() {
    Bytes b(0x600, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, kPe);
    b[kPe] = 'P';
    b[kPe + 1] = 'E';
    put16(b, kFileHeader, 0x14C);         // i386
    put16(b, kFileHeader + 2, 2);         // sections
    put16(b, kFileHeader + 16, 224);      // optional header size
    put16(b, kFileHeader + 18, 0x0102);   // executable, 32-bit
    put16(b, kOptional, 0x10B);
    put32(b, kOptional + 60, 0x200);      // size of headers
    for (std::uint32_t i = 0; i < 2; ++i) {
        put32(b, kSections + i * 40 + 16, 0x200);              // raw size
        put32(b, kSections + i * 40 + 20, 0x200 + i * 0x200);  // raw offset
    }
    return b;
}

// Appends four symbols and a 12-byte string table (its length included).
void withSymbols(Bytes& b) {
    put32(b, kFileHeader + 8, static_cast<std::uint32_t>(b.size()));
    put32(b, kFileHeader + 12, 4);
    b.resize(b.size() + 4 * 18 + 12, 'x');
    put32(b, b.size() - 12, 12);
}

// Appends a 0x100-byte signature, entered in the data directory.
void withSignature(Bytes& b) {
    put32(b, kOptional + 92, 16);  // data directory entries
    put32(b, kOptional + 96 + 4 * 8, static_cast<std::uint32_t>(b.size()));
    put32(b, kOptional + 96 + 4 * 8 + 4, 0x100);
    b.resize(b.size() + 0x100, 's');
}

bool check(const Bytes& b) {
    return isWholeExecutable(b.data(), b.size());
}

struct ImageCase {
    std::string name;
    std::function<void(Bytes&)> change;
    bool whole;
};

TEST(ExecutableImage, WholeProgramsPassAndCutOrGarbledOnesFail) {
    const ImageCase cases[] = {
        {"unchanged", [](Bytes&) {}, true},
        {"with data after the last section", [](Bytes& b) { b.resize(b.size() + 100, 0xCC); }, true},
        {"64-bit optional header", [](Bytes& b) { put16(b, kOptional, 0x20B); }, true},
        {"empty section with no data", [](Bytes& b) { put32(b, kSections + 40 + 16, 0); put32(b, kSections + 40 + 20, 0xFFFFFFF0); }, true},
        {"cut one byte short", [](Bytes& b) { b.pop_back(); }, false},
        {"with a whole symbol and string table", [](Bytes& b) { withSymbols(b); }, true},
        {"symbol table cut short", [](Bytes& b) { withSymbols(b); b.resize(0x600 + 18 * 3); }, false},
        {"string table cut short", [](Bytes& b) { withSymbols(b); b.pop_back(); }, false},
        {"with a whole signature", [](Bytes& b) { withSignature(b); }, true},
        {"signature cut short", [](Bytes& b) { withSignature(b); b.pop_back(); }, false},
        {"cut inside the first section", [](Bytes& b) { b.resize(0x300); }, false},
        {"cut inside the section table", [](Bytes& b) { b.resize(kSections + 50); }, false},
        {"cut inside the optional header", [](Bytes& b) { b.resize(kOptional + 30); }, false},
        {"cut inside the file header", [](Bytes& b) { b.resize(kFileHeader + 10); }, false},
        {"cut inside the old header", [](Bytes& b) { b.resize(0x30); }, false},
        {"empty", [](Bytes& b) { b.clear(); }, false},
        {"zero-filled (preallocated, never written)", [](Bytes& b) { b.assign(b.size(), 0); }, false},
        {"text", [](Bytes& b) { const std::string t(0x600, 'a'); b.assign(t.begin(), t.end()); }, false},
        {"no MZ", [](Bytes& b) { b[1] = 'X'; }, false},
        {"no PE signature", [](Bytes& b) { b[kPe + 2] = 'X'; }, false},
        {"new header beyond the end", [](Bytes& b) { put32(b, 0x3C, 0xFFFFFFF0); }, false},
        {"new header at the very end", [](Bytes& b) { put32(b, 0x3C, static_cast<std::uint32_t>(b.size() - 4)); }, false},
        {"a library, not a program", [](Bytes& b) { put16(b, kFileHeader + 18, 0x2102); }, false},
        {"not marked executable", [](Bytes& b) { put16(b, kFileHeader + 18, 0x0100); }, false},
        {"no sections", [](Bytes& b) { put16(b, kFileHeader + 2, 0); }, false},
        {"more sections than the table holds", [](Bytes& b) { put16(b, kFileHeader + 2, 0xFFFF); }, false},
        {"unknown optional header", [](Bytes& b) { put16(b, kOptional, 0x107); }, false},
        {"optional header too small", [](Bytes& b) { put16(b, kFileHeader + 16, 8); }, false},
        {"optional header past the end", [](Bytes& b) { put16(b, kFileHeader + 16, 0xFFFF); }, false},
        {"headers larger than the file", [](Bytes& b) { put32(b, kOptional + 60, 0x10000); }, false},
        {"section data past the end", [](Bytes& b) { put32(b, kSections + 40 + 16, 0x400); }, false},
        {"section offset wraps around", [](Bytes& b) { put32(b, kSections + 20, 0xFFFFFF00); }, false},
    };
    for (const ImageCase& c : cases) {
        Bytes b = program();
        c.change(b);
        EXPECT_EQ(check(b), c.whole) << c.name;
    }
}

TEST(ExecutableImage, NoBytesAtAllIsNotAProgram) {
    EXPECT_FALSE(isWholeExecutable(nullptr, 0));
    EXPECT_FALSE(isWholeExecutable(nullptr, 4096));
}

}  // namespace
