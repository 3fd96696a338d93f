#include "service/content_coding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace tarvo {

namespace {

using Byte = std::uint8_t;

// Decoding stops by throwing its result; decodeContent catches it.
struct Stop {
    DecodeResult result;
};

[[noreturn]] void malformed() {
    throw Stop{DecodeResult::malformed};
}

bool equalsIgnoringCase(std::string_view text, std::string_view lowercase) {
    if (text.size() != lowercase.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowercase[i]) return false;
    }
    return true;
}

std::uint32_t crc32(const char* data, std::size_t size) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xffffffffu;
    for (std::size_t i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<Byte>(data[i])) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

std::uint32_t adler32(const char* data, std::size_t size) {
    const std::uint32_t base = 65521;
    std::uint32_t a = 1, b = 0;
    while (size > 0) {
        // 5552 bytes is the most that can be summed before b overflows 32 bits.
        std::size_t chunk = std::min<std::size_t>(size, 5552);
        size -= chunk;
        while (chunk-- > 0) {
            a += static_cast<Byte>(*data++);
            b += a;
        }
        a %= base;
        b %= base;
    }
    return (b << 16) | a;
}

// The encoded body: bits taken from the low end of each byte first, and whole
// bytes once the reader is at a byte boundary (headers, trailers, stored data).
class Input {
public:
    Input(const Byte* begin, const Byte* end) : next_(begin), end_(end) {}

    // The next n bits (n <= 16) without taking them; zeros past the end.
    unsigned peek(unsigned n) {
        while (count_ <= 56 && next_ != end_) {
            bits_ |= std::uint64_t{*next_++} << count_;
            count_ += 8;
        }
        return static_cast<unsigned>(bits_ & ((1u << n) - 1));
    }
    void drop(unsigned n) {
        if (n > count_) malformed();
        bits_ >>= n;
        count_ -= n;
    }
    unsigned bits(unsigned n) {
        const unsigned value = peek(n);
        drop(n);
        return value;
    }

    // Skips the rest of the current byte and hands back the whole bytes read
    // ahead, so that byte reads go on from the next boundary.
    void alignToByte() {
        next_ -= count_ / 8;
        bits_ = 0;
        count_ = 0;
    }

    // Byte reads; only at a byte boundary.
    const Byte* position() const { return next_; }
    bool atEnd() const { return next_ == end_; }
    const Byte* take(std::size_t n) {
        if (n > static_cast<std::size_t>(end_ - next_)) malformed();
        const Byte* at = next_;
        next_ += n;
        return at;
    }
    std::uint32_t littleEndian(unsigned n) {
        const Byte* at = take(n);
        std::uint32_t value = 0;
        for (unsigned i = n; i-- > 0;) value = (value << 8) | at[i];
        return value;
    }
    std::uint32_t bigEndian(unsigned n) {
        const Byte* at = take(n);
        std::uint32_t value = 0;
        for (unsigned i = 0; i < n; ++i) value = (value << 8) | at[i];
        return value;
    }
    void skipPastZero() {
        const void* zero = std::memchr(next_, 0, static_cast<std::size_t>(end_ - next_));
        if (!zero) malformed();
        next_ = static_cast<const Byte*>(zero) + 1;
    }

private:
    const Byte* next_;
    const Byte* end_;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
};

// The decoded bytes, at most `limit` of them. The buffer doubles as it fills
// but is never made larger than the limit.
class Output {
public:
    explicit Output(std::size_t limit) : limit_(limit) {}

    std::size_t size() const { return size_; }
    const char* data() const { return buffer_.data(); }

    // Room for n more bytes; returns where they go.
    char* extend(std::size_t n) {
        if (n > limit_ - size_) throw Stop{DecodeResult::tooLarge};
        if (n > buffer_.size() - size_) grow(size_ + n);
        char* at = &buffer_[size_];
        size_ += n;
        return at;
    }
    // Repeats `length` bytes from `distance` back, which may not reach before
    // `start`. The two ranges may overlap: a byte copied can be copied again.
    void copyBack(std::size_t distance, std::size_t length, std::size_t start) {
        if (distance > size_ - start) malformed();
        char* to = extend(length);
        const char* from = to - distance;
        for (std::size_t i = 0; i < length; ++i) to[i] = from[i];
    }
    std::string finish() {
        buffer_.resize(size_);
        return std::move(buffer_);
    }

private:
    void grow(std::size_t needed) {
        const std::size_t size = std::min(limit_, std::max({needed, 2 * buffer_.size(), std::size_t{4096}}));
        // A string that grows by itself may take twice what it is asked for;
        // a new one reserved at its size takes just that.
        std::string larger;
        larger.reserve(size);
        larger.assign(buffer_, 0, size_);
        larger.resize(size);
        buffer_.swap(larger);
    }

    std::size_t limit_;
    std::size_t size_ = 0;
    std::string buffer_;
};

// A prefix code, decoded through a table of the codes up to kFastBits long
// and, for the longer ones, by walking the canonical code bit by bit.
constexpr unsigned kFastBits = 9;
constexpr unsigned kMaxBits = 15;

struct PrefixCode {
    std::uint16_t fast[1u << kFastBits];  // symbol << 4 | code length; 0 when the code is longer
    std::uint16_t count[kMaxBits + 1];    // codes of each length
    std::uint16_t symbols[288];           // symbols in code order
};

// Builds the code of symbols 0..n-1 from their code lengths (0: unused). The
// code must be complete, except a distance code, which may have no codes at
// all (a block of literals only) or a single one-bit code.
void buildCode(PrefixCode& code, const Byte* lengths, unsigned n, bool distance) {
    std::fill(std::begin(code.count), std::end(code.count), std::uint16_t{0});
    for (unsigned symbol = 0; symbol < n; ++symbol) ++code.count[lengths[symbol]];
    code.count[0] = 0;

    int left = 1;  // codes of the current length still free
    unsigned used = 0;
    for (unsigned length = 1; length <= kMaxBits; ++length) {
        left = 2 * left - code.count[length];
        if (left < 0) malformed();  // over-subscribed
        used += code.count[length];
    }
    if (left > 0 && !(distance && (used == 0 || (used == 1 && code.count[1] == 1)))) malformed();

    std::uint16_t offset[kMaxBits + 1] = {};
    for (unsigned length = 1; length < kMaxBits; ++length)
        offset[length + 1] = static_cast<std::uint16_t>(offset[length] + code.count[length]);
    for (unsigned symbol = 0; symbol < n; ++symbol)
        if (lengths[symbol] != 0)
            code.symbols[offset[lengths[symbol]]++] = static_cast<std::uint16_t>(symbol);

    // Codes are sent from their first bit on, so the table is indexed by the
    // code's bits in reverse; a code shorter than kFastBits fills every entry
    // that starts with it.
    std::fill(std::begin(code.fast), std::end(code.fast), std::uint16_t{0});
    unsigned next = 0, index = 0;
    for (unsigned length = 1; length <= kFastBits; ++length, next <<= 1) {
        for (unsigned k = 0; k < code.count[length]; ++k, ++next) {
            unsigned reversed = 0;
            for (unsigned bit = 0; bit < length; ++bit) reversed |= ((next >> bit) & 1) << (length - 1 - bit);
            const auto entry = static_cast<std::uint16_t>(unsigned{code.symbols[index++]} << 4 | length);
            for (unsigned i = reversed; i < (1u << kFastBits); i += 1u << length) code.fast[i] = entry;
        }
    }
}

unsigned decodeSymbol(Input& in, const PrefixCode& code) {
    unsigned bits = in.peek(kMaxBits);
    const unsigned entry = code.fast[bits & ((1u << kFastBits) - 1)];
    if (entry != 0) {
        in.drop(entry & 15);
        return entry >> 4;
    }
    // The codes of each length follow on from those one bit shorter, so a
    // code is found where its value falls within its length's range.
    int value = 0, first = 0, index = 0;
    for (unsigned length = 1; length <= kMaxBits; ++length, bits >>= 1) {
        value |= bits & 1;
        const int count = code.count[length];
        if (value - first < count) {
            in.drop(length);
            return code.symbols[index + value - first];
        }
        index += count;
        first = (first + count) << 1;
        value <<= 1;
    }
    malformed();  // bits no code starts with: an unused code of a distance code
}

const std::uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const Byte kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                               2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const std::uint16_t kDistanceBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                         33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                         1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const Byte kDistanceExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block sends the lengths of its code-length code.
const Byte kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

void buildFixedCodes(PrefixCode& literals, PrefixCode& distances) {
    Byte lengths[288];
    std::fill(lengths, lengths + 144, Byte{8});
    std::fill(lengths + 144, lengths + 256, Byte{9});
    std::fill(lengths + 256, lengths + 280, Byte{7});
    std::fill(lengths + 280, lengths + 288, Byte{8});
    buildCode(literals, lengths, 288, false);
    std::fill(lengths, lengths + 32, Byte{5});
    buildCode(distances, lengths, 32, true);
}

void readDynamicCodes(Input& in, PrefixCode& literals, PrefixCode& distances) {
    const unsigned literalCount = in.bits(5) + 257;
    const unsigned distanceCount = in.bits(5) + 1;
    const unsigned codeLengthCount = in.bits(4) + 4;
    if (literalCount > 286 || distanceCount > 30) malformed();

    Byte codeLengthLengths[19] = {};
    for (unsigned i = 0; i < codeLengthCount; ++i)
        codeLengthLengths[kCodeLengthOrder[i]] = static_cast<Byte>(in.bits(3));
    PrefixCode codeLengths;
    buildCode(codeLengths, codeLengthLengths, 19, false);

    // One run of lengths covers both codes: a repeat may cross from one to the other.
    Byte lengths[286 + 30] = {};
    const unsigned total = literalCount + distanceCount;
    for (unsigned i = 0; i < total;) {
        const unsigned symbol = decodeSymbol(in, codeLengths);
        if (symbol < 16) {
            lengths[i++] = static_cast<Byte>(symbol);
            continue;
        }
        Byte repeated = 0;
        unsigned times;
        if (symbol == 16) {
            if (i == 0) malformed();  // nothing to repeat
            repeated = lengths[i - 1];
            times = 3 + in.bits(2);
        } else if (symbol == 17) {
            times = 3 + in.bits(3);
        } else {
            times = 11 + in.bits(7);
        }
        if (times > total - i) malformed();
        std::fill(lengths + i, lengths + i + times, repeated);
        i += times;
    }
    if (lengths[256] == 0) malformed();  // the block could not end
    buildCode(literals, lengths, literalCount, false);
    buildCode(distances, lengths + literalCount, distanceCount, true);
}

void decodeBlock(Input& in, Output& out, std::size_t start, const PrefixCode& literals,
                 const PrefixCode& distances) {
    for (;;) {
        unsigned symbol = decodeSymbol(in, literals);
        if (symbol < 256) {
            *out.extend(1) = static_cast<char>(symbol);
            continue;
        }
        if (symbol == 256) return;
        symbol -= 257;
        if (symbol >= 29) malformed();
        const std::size_t length = kLengthBase[symbol] + in.bits(kLengthExtra[symbol]);
        const unsigned code = decodeSymbol(in, distances);
        if (code >= 30) malformed();
        const std::size_t distance = kDistanceBase[code] + in.bits(kDistanceExtra[code]);
        out.copyBack(distance, length, start);
    }
}

// One deflate stream, whose back-references may not reach before `start`.
// Leaves `in` at the byte boundary after the stream.
void inflate(Input& in, Output& out, std::size_t start) {
    PrefixCode literals, distances;
    bool last;
    do {
        last = in.bits(1) == 1;
        switch (in.bits(2)) {
        case 0: {
            in.alignToByte();
            const std::uint32_t length = in.littleEndian(2);
            if (in.littleEndian(2) != (~length & 0xffff)) malformed();
            const Byte* stored = in.take(length);
            if (length > 0) std::memcpy(out.extend(length), stored, length);
            break;
        }
        case 1:
            buildFixedCodes(literals, distances);
            decodeBlock(in, out, start, literals, distances);
            break;
        case 2:
            readDynamicCodes(in, literals, distances);
            decodeBlock(in, out, start, literals, distances);
            break;
        default:
            malformed();
        }
    } while (!last);
    in.alignToByte();
}

void gunzipMember(Input& in, Output& out) {
    enum : Byte { headerCrc = 2, extra = 4, name = 8, comment = 16, reserved = 0xe0 };
    const Byte* header = in.position();
    const Byte* fixed = in.take(10);  // magic, method, flags, time, extra flags, system
    const Byte flags = fixed[3];
    if (fixed[0] != 0x1f || fixed[1] != 0x8b || fixed[2] != 8 || (flags & reserved)) malformed();
    if (flags & extra) in.take(in.littleEndian(2));
    if (flags & name) in.skipPastZero();
    if (flags & comment) in.skipPastZero();
    if (flags & headerCrc) {
        const std::uint32_t crc =
            crc32(reinterpret_cast<const char*>(header), static_cast<std::size_t>(in.position() - header));
        if (in.littleEndian(2) != (crc & 0xffff)) malformed();
    }

    const std::size_t start = out.size();
    inflate(in, out, start);
    const std::uint32_t crc = in.littleEndian(4);
    const std::uint32_t size = in.littleEndian(4);
    if (crc != crc32(out.data() + start, out.size() - start) ||
        size != static_cast<std::uint32_t>(out.size() - start))
        malformed();
}

bool startsWithZlibHeader(std::string_view body) {
    if (body.size() < 2) return false;
    const unsigned method = static_cast<Byte>(body[0]), flags = static_cast<Byte>(body[1]);
    return (method & 15) == 8 && (method >> 4) <= 7 && (method << 8 | flags) % 31 == 0;
}

std::string decode(std::string_view encoded, ContentCoding coding, std::size_t maxBytes) {
    if (coding == ContentCoding::unsupported) malformed();
    if (coding == ContentCoding::identity) {
        if (encoded.size() > maxBytes) throw Stop{DecodeResult::tooLarge};
        return std::string(encoded);
    }
    const auto* begin = reinterpret_cast<const Byte*>(encoded.data());
    Input in(begin, begin + encoded.size());
    Output decoded(maxBytes);
    if (coding == ContentCoding::gzip) {
        while (!in.atEnd()) gunzipMember(in, decoded);
    } else if (startsWithZlibHeader(encoded)) {
        if (in.take(2)[1] & 0x20) malformed();  // needs a preset dictionary, which no reply brings
        inflate(in, decoded, 0);
        if (in.bigEndian(4) != adler32(decoded.data(), decoded.size())) malformed();
    } else if (!encoded.empty()) {
        inflate(in, decoded, 0);
    }
    if (!in.atEnd()) malformed();
    return decoded.finish();
}

}  // namespace

DecodeResult decodeContent(std::string_view encoded, ContentCoding coding, std::size_t maxBytes,
                           std::string& out) {
    try {
        out = decode(encoded, coding, maxBytes);
        return DecodeResult::ok;
    } catch (const Stop& stop) {
        out.clear();
        return stop.result;
    }
}

ContentCoding contentCodingOf(std::string_view headerValue) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!headerValue.empty() && blank(headerValue.front())) headerValue.remove_prefix(1);
    while (!headerValue.empty() && blank(headerValue.back())) headerValue.remove_suffix(1);
    if (headerValue.empty() || equalsIgnoringCase(headerValue, "identity")) return ContentCoding::identity;
    if (equalsIgnoringCase(headerValue, "gzip") || equalsIgnoringCase(headerValue, "x-gzip"))
        return ContentCoding::gzip;
    if (equalsIgnoringCase(headerValue, "deflate")) return ContentCoding::deflate;
    return ContentCoding::unsupported;
}

}  // namespace tarvo
