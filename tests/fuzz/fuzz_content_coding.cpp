// Fuzz target: decoding a reply body (decodeContent) on arbitrary bytes.
//
// The first byte picks the coding (its low two bits: identity, gzip, deflate,
// unsupported) and the limit (the rest, from none to 1 MiB); the other bytes
// are the body. Besides "no crash, no out-of-range read, no exception", it
// checks what must hold for every body:
//   * the result never passes the limit, and a failure leaves nothing;
//   * a body that decodes decodes again, to the same bytes, with a limit of
//     exactly their size, and is too large for one byte less;
//   * a body too large for a limit is too large for every smaller one;
//   * identity gives the body itself, unsupported is always malformed;
//   * the body read as a Content-Encoding value names the same coding with
//     blanks around it.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "service/content_coding.h"

using tarvo::ContentCoding;
using tarvo::DecodeResult;

namespace {

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

DecodeResult decodeWithoutThrowing(const std::string& body, ContentCoding coding, std::size_t limit,
                                   std::string& out) {
    try {
        return tarvo::decodeContent(body, coding, limit, out);
    } catch (...) {
        check(false, "an exception left the decoder");
    }
    return DecodeResult::malformed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const ContentCoding codings[] = {ContentCoding::identity, ContentCoding::gzip, ContentCoding::deflate,
                                     ContentCoding::unsupported};
    const std::size_t limits[] = {0, 1, 64, 4096, 1 << 20};
    const ContentCoding coding = codings[data[0] & 3];
    const std::size_t limit = limits[(data[0] >> 2) % 5];
    const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string out = "left over";
    const DecodeResult result = decodeWithoutThrowing(body, coding, limit, out);
    check(out.size() <= limit, "the decoded body passes the limit");
    check(result == DecodeResult::ok || out.empty(), "a failed decoding leaves bytes");
    if (coding == ContentCoding::unsupported) check(result == DecodeResult::malformed, "unsupported decodes");
    if (coding == ContentCoding::identity && result == DecodeResult::ok) check(out == body, "identity changes");

    std::string again;
    if (result == DecodeResult::ok) {
        check(decodeWithoutThrowing(body, coding, out.size(), again) == DecodeResult::ok && again == out,
              "a body does not decode the same with a limit of its decoded size");
        if (!out.empty())
            check(decodeWithoutThrowing(body, coding, out.size() - 1, again) == DecodeResult::tooLarge,
                  "a body fits a limit one byte under its decoded size");
    } else if (result == DecodeResult::tooLarge && limit > 0) {
        check(decodeWithoutThrowing(body, coding, limit / 2, again) == DecodeResult::tooLarge,
              "a body too large for a limit fits a smaller one");
    }

    check(tarvo::contentCodingOf(" \t" + body + "\t ") == tarvo::contentCodingOf(body),
          "blanks around a header value change its coding");
    return 0;
}
