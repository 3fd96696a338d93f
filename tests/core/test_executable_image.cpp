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

// The two layouts of a program's optional header: a 32-bit program's, and a
// 64-bit one's, whose wider fields move the data directory on.
struct Layout {
    const char* name;
    std::uint16_t machine;
    std::uint16_t magic;
    std::uint16_t optionalSize;
    std::size_t directory;  // where the data directory starts in the optional header
};
constexpr Layout kLayouts[] = {
    {"32-bit", 0x14C, 0x10B, 224, 96},
    {"64-bit", 0x8664, 0x20B, 240, 112},
};

// Offsets of the small programs built below.
constexpr std::size_t kPe = 0x40;
constexpr std::size_t kFileHeader = kPe + 4;
constexpr std::size_t kOptional = kFileHeader + 20;

std::size_t sectionTable(const Layout& l) {
    return kOptional + l.optionalSize;
}

// A whole program: headers in the first 0x200 bytes, then two sections of
// 0x200 bytes each.
Bytes program(const Layout& l) {
    Bytes b(0x600, 0);
    b[0] = 'M';
    b[1] = 'Z';
    put32(b, 0x3C, kPe);
    b[kPe] = 'P';
    b[kPe + 1] = 'E';
    put16(b, kFileHeader, l.machine);
    put16(b, kFileHeader + 2, 2);               // sections
    put16(b, kFileHeader + 16, l.optionalSize);
    put16(b, kFileHeader + 18, 0x0102);         // executable
    put16(b, kOptional, l.magic);
    put32(b, kOptional + 60, 0x200);            // size of headers
    for (std::uint32_t i = 0; i < 2; ++i) {
        put32(b, sectionTable(l) + i * 40 + 16, 0x200);              // raw size
        put32(b, sectionTable(l) + i * 40 + 20, 0x200 + i * 0x200);  // raw offset
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
void withSignature(Bytes& b, const Layout& l) {
    put32(b, kOptional + l.directory - 4, 16);  // data directory entries
    put32(b, kOptional + l.directory + 4 * 8, static_cast<std::uint32_t>(b.size()));
    put32(b, kOptional + l.directory + 4 * 8 + 4, 0x100);
    b.resize(b.size() + 0x100, 's');
}

// Stores the image checksum of the file as it stands: the sum of its 16-bit
// words with the checksum field as zero, folded to 16 bits, plus its length.
void withCheckSum(Bytes& b) {
    put32(b, kOptional + 64, 0);
    std::uint64_t sum = 0;
    for (std::size_t i = 0; i < b.size(); i += 2)
        sum += b[i] | (i + 1 < b.size() ? b[i + 1] << 8 : 0);
    while (sum > 0xFFFF) sum = (sum & 0xFFFF) + (sum >> 16);
    put32(b, kOptional + 64, static_cast<std::uint32_t>(sum + b.size()));
}

// Appends an overlay of `size` bytes after the last section, as installers
// and packed programs carry.
void withOverlay(Bytes& b, std::size_t size) {
    const std::size_t start = b.size();
    b.resize(start + size);
    for (std::size_t i = start; i < b.size(); ++i) b[i] = static_cast<unsigned char>(i * 7 + 3);
}

bool check(const Bytes& b) {
    return isWholeExecutable(b.data(), b.size());
}

struct ImageCase {
    std::string name;
    std::function<void(Bytes&, const Layout&)> change;
    bool whole;
};

TEST(ExecutableImage, WholeProgramsPassAndCutOrGarbledOnesFail) {
    const ImageCase cases[] = {
        {"unchanged", [](Bytes&, const Layout&) {}, true},
        {"with data after the last section", [](Bytes& b, const Layout&) { b.resize(b.size() + 100, 0xCC); }, true},
        {"empty section with no data", [](Bytes& b, const Layout& l) { put32(b, sectionTable(l) + 40 + 16, 0); put32(b, sectionTable(l) + 40 + 20, 0xFFFFFFF0); }, true},
        {"cut one byte short", [](Bytes& b, const Layout&) { b.pop_back(); }, false},
        {"with a whole symbol and string table", [](Bytes& b, const Layout&) { withSymbols(b); }, true},
        {"symbol table cut short", [](Bytes& b, const Layout&) { withSymbols(b); b.resize(0x600 + 18 * 3); }, false},
        {"string table cut short", [](Bytes& b, const Layout&) { withSymbols(b); b.pop_back(); }, false},
        {"with a whole signature", [](Bytes& b, const Layout& l) { withSignature(b, l); }, true},
        {"signature cut short", [](Bytes& b, const Layout& l) { withSignature(b, l); b.pop_back(); }, false},
        {"cut inside the first section", [](Bytes& b, const Layout&) { b.resize(0x300); }, false},
        {"cut inside the section table", [](Bytes& b, const Layout& l) { b.resize(sectionTable(l) + 50); }, false},
        {"cut inside the optional header", [](Bytes& b, const Layout&) { b.resize(kOptional + 30); }, false},
        {"cut inside the file header", [](Bytes& b, const Layout&) { b.resize(kFileHeader + 10); }, false},
        {"cut inside the old header", [](Bytes& b, const Layout&) { b.resize(0x30); }, false},
        {"empty", [](Bytes& b, const Layout&) { b.clear(); }, false},
        {"zero-filled (preallocated, never written)", [](Bytes& b, const Layout&) { b.assign(b.size(), 0); }, false},
        {"text", [](Bytes& b, const Layout&) { const std::string t(0x600, 'a'); b.assign(t.begin(), t.end()); }, false},
        {"no MZ", [](Bytes& b, const Layout&) { b[1] = 'X'; }, false},
        {"no PE signature", [](Bytes& b, const Layout&) { b[kPe + 2] = 'X'; }, false},
        {"new header beyond the end", [](Bytes& b, const Layout&) { put32(b, 0x3C, 0xFFFFFFF0); }, false},
        {"new header at the very end", [](Bytes& b, const Layout&) { put32(b, 0x3C, static_cast<std::uint32_t>(b.size() - 4)); }, false},
        {"a library, not a program", [](Bytes& b, const Layout&) { put16(b, kFileHeader + 18, 0x2102); }, false},
        {"not marked executable", [](Bytes& b, const Layout&) { put16(b, kFileHeader + 18, 0x0100); }, false},
        {"no sections", [](Bytes& b, const Layout&) { put16(b, kFileHeader + 2, 0); }, false},
        {"more sections than the table holds", [](Bytes& b, const Layout&) { put16(b, kFileHeader + 2, 0xFFFF); }, false},
        {"unknown optional header", [](Bytes& b, const Layout&) { put16(b, kOptional, 0x107); }, false},
        {"optional header too small", [](Bytes& b, const Layout&) { put16(b, kFileHeader + 16, 8); }, false},
        {"optional header past the end", [](Bytes& b, const Layout&) { put16(b, kFileHeader + 16, 0xFFFF); }, false},
        {"headers larger than the file", [](Bytes& b, const Layout&) { put32(b, kOptional + 60, 0x10000); }, false},
        {"section data past the end", [](Bytes& b, const Layout& l) { put32(b, sectionTable(l) + 40 + 16, 0x400); }, false},
        {"with a stored checksum", [](Bytes& b, const Layout&) { withCheckSum(b); }, true},
        {"with a stored checksum, odd length", [](Bytes& b, const Layout&) { b.push_back(0x5A); withCheckSum(b); }, true},
        {"with an overlay and its checksum", [](Bytes& b, const Layout&) { withOverlay(b, 65536); withCheckSum(b); }, true},
        {"overlay cut short, checksum of the whole", [](Bytes& b, const Layout&) { withOverlay(b, 65536); withCheckSum(b); b.resize(b.size() - 40000); }, false},
        {"overlay cut by one byte, checksum of the whole", [](Bytes& b, const Layout&) { withOverlay(b, 65536); withCheckSum(b); b.pop_back(); }, false},
        {"overlay cut short, no checksum stored", [](Bytes& b, const Layout&) { withOverlay(b, 65536); b.resize(b.size() - 40000); }, true},
        {"checksum wrong", [](Bytes& b, const Layout&) { withCheckSum(b); put32(b, kOptional + 64, 0x12345); }, false},
        {"one byte changed after the checksum", [](Bytes& b, const Layout&) { withCheckSum(b); b[0x3FF] ^= 1; }, false},
        {"section offset wraps around", [](Bytes& b, const Layout& l) { put32(b, sectionTable(l) + 20, 0xFFFFFF00); }, false},
    };
    for (const Layout& layout : kLayouts) {
        for (const ImageCase& c : cases) {
            Bytes b = program(layout);
            c.change(b, layout);
            EXPECT_EQ(check(b), c.whole) << layout.name << ": " << c.name;
        }
    }
}

TEST(ExecutableImage, NoBytesAtAllIsNotAProgram) {
    EXPECT_FALSE(isWholeExecutable(nullptr, 0));
    EXPECT_FALSE(isWholeExecutable(nullptr, 4096));
}

}  // namespace
