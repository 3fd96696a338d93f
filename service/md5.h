// MD5 message digest (RFC 1321).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Incremental MD5: feed bytes with update(), any number of times, then call
// finish() once for the 16 digest bytes. The byte order of the machine does
// not matter: words are assembled from and written to bytes explicitly.
class Md5 {
public:
    using Digest = std::array<std::uint8_t, 16>;

    Md5();

    void update(const void* data, std::size_t length);
    void update(const std::string& bytes) { update(bytes.data(), bytes.size()); }

    // Pads the message and returns the digest. The object must not be
    // updated afterwards.
    Digest finish();

private:
    void transform(const std::uint8_t block[64]);

    std::uint32_t state_[4];
    std::uint64_t bitCount_;
    std::uint8_t buffer_[64];
    std::size_t buffered_;
};

// The digest as 32 lowercase hexadecimal digits.
std::string md5Hex(const Md5::Digest& digest);

// The digest of the given bytes (exactly their length, no terminating zero)
// as 32 lowercase hexadecimal digits.
std::string md5Hex(const std::string& bytes);
