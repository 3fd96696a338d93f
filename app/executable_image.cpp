#include "app/executable_image.h"

#include <cstdint>

namespace {

// Offsets in the image headers, all little-endian.
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kNewHeaderOffsetField = 0x3C;
constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;

constexpr std::uint16_t kExecutableImage = 0x0002;  // file header characteristics
constexpr std::uint16_t kLibraryImage = 0x2000;
constexpr std::uint16_t kMagic32 = 0x10B;           // optional header magic
constexpr std::uint16_t kMagic64 = 0x20B;
constexpr std::size_t kOptionalHeaderMinimum32 = 96;   // up to the data directory count
constexpr std::size_t kOptionalHeaderMinimum64 = 112;
constexpr std::size_t kSizeOfHeadersField = 60;        // the same offset in both layouts
constexpr std::size_t kCheckSumField = 64;             // likewise
constexpr std::size_t kSymbolRecordSize = 18;
constexpr std::size_t kCertificateEntry = 4;           // data directory entry: file offset and size

std::uint16_t read16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t read32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// The image checksum: the file's 16-bit little-endian words (an odd last
// byte padded with zero) summed with the carries folded back in, the
// checksum field itself counted as zero, plus the file's length.
std::uint32_t imageCheckSum(const unsigned char* data, std::size_t size, std::size_t checkSumOffset) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < size; i += 2) {
        std::uint32_t word = data[i];
        if (i + 1 < size) word |= static_cast<std::uint32_t>(data[i + 1]) << 8;
        if (i >= checkSumOffset && i < checkSumOffset + 4) word = 0;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return (sum & 0xFFFF) + static_cast<std::uint32_t>(size);
}

// Whether [offset, offset + length) lies inside a file of `size` bytes,
// without overflowing.
bool inside(std::uint64_t offset, std::uint64_t length, std::size_t size) {
    return offset <= size && length <= size - offset;
}

}  // namespace

bool isWholeExecutable(const unsigned char* data, std::size_t size) {
    if (!data || size < kDosHeaderSize || data[0] != 'M' || data[1] != 'Z')
        return false;

    const std::uint32_t peOffset = read32(data + kNewHeaderOffsetField);
    if (!inside(peOffset, kSignatureSize + kFileHeaderSize, size))
        return false;
    const unsigned char* pe = data + peOffset;
    if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0)
        return false;

    const unsigned char* fileHeader = pe + kSignatureSize;
    const std::uint16_t sectionCount = read16(fileHeader + 2);
    const std::uint32_t symbolTable = read32(fileHeader + 8);
    const std::uint32_t symbolCount = read32(fileHeader + 12);
    const std::uint16_t optionalSize = read16(fileHeader + 16);
    const std::uint16_t characteristics = read16(fileHeader + 18);
    if (sectionCount == 0 || !(characteristics & kExecutableImage) || (characteristics & kLibraryImage))
        return false;

    const std::uint64_t optionalOffset = std::uint64_t{peOffset} + kSignatureSize + kFileHeaderSize;
    if (!inside(optionalOffset, optionalSize, size) || optionalSize < 2)
        return false;
    const unsigned char* optional = data + optionalOffset;
    const std::uint16_t magic = read16(optional);
    std::size_t directories = 0;  // where the data directory starts in the optional header
    if (magic == kMagic32) {
        directories = kOptionalHeaderMinimum32;
    } else if (magic == kMagic64) {
        directories = kOptionalHeaderMinimum64;
    } else {
        return false;
    }
    if (optionalSize < directories || read32(optional + kSizeOfHeadersField) > size)
        return false;

    // A signature appended to the program must be whole.
    const std::uint32_t directoryCount = read32(optional + directories - 4);
    const std::size_t certificate = directories + kCertificateEntry * 8;
    if (directoryCount > kCertificateEntry && certificate + 8 <= optionalSize) {
        const std::uint32_t offset = read32(optional + certificate);
        const std::uint32_t length = read32(optional + certificate + 4);
        if (length != 0 && !inside(offset, length, size))
            return false;
    }

    // So must a symbol table and the string table after it (kept in
    // programs built with symbols): a copy cut short loses them first.
    if (symbolTable != 0) {
        const std::uint64_t strings = std::uint64_t{symbolTable} + std::uint64_t{symbolCount} * kSymbolRecordSize;
        if (!inside(strings, 4, size) || !inside(strings, read32(data + strings), size))
            return false;
    }

    // A stored checksum covers every byte, data after the last section (an
    // installer's or a packed program's overlay) included: the one test that
    // finds such a file cut short. Zero means none was stored.
    const std::uint32_t storedCheckSum = read32(optional + kCheckSumField);
    if (storedCheckSum != 0 && imageCheckSum(data, size, optionalOffset + kCheckSumField) != storedCheckSum)
        return false;

    const std::uint64_t tableOffset = optionalOffset + optionalSize;
    if (!inside(tableOffset, std::uint64_t{sectionCount} * kSectionHeaderSize, size))
        return false;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const unsigned char* section = data + tableOffset + std::uint64_t{i} * kSectionHeaderSize;
        const std::uint32_t rawSize = read32(section + 16);
        const std::uint32_t rawOffset = read32(section + 20);
        if (rawSize != 0 && !inside(rawOffset, rawSize, size))
            return false;
    }
    return true;
}
