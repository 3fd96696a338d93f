// Decoding a reply body sent with a content coding (the Content-Encoding
// header): gzip and deflate, the two a server may send the launcher's
// download. Portable; the download hands over the body as it arrived.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarvo {

enum class ContentCoding { identity, gzip, deflate, unsupported };

// The coding a Content-Encoding header value names: empty or "identity" is
// identity, "gzip" or "x-gzip" is gzip, "deflate" is deflate, in any case and
// with spaces and tabs around it ignored. Anything else, a list of several
// codings included, is unsupported.
ContentCoding contentCodingOf(std::string_view headerValue);

enum class DecodeResult { ok, tooLarge, malformed };

// Decodes `encoded` into `out`, which it replaces. On any result but ok,
// `out` is left empty.
//
//   identity     the body as it is.
//   gzip         one or more gzip members one after the other, each with its
//                CRC-32 and length checked. Anything after the last member
//                that is not a member is malformed.
//   deflate      a zlib stream (Adler-32 checked; one that needs a preset
//                dictionary is malformed). When the first two bytes are not a
//                zlib header the body is read as bare deflate data, the way
//                browsers read servers that send it so.
//   unsupported  malformed.
//
// An empty body decodes to an empty body whatever the coding (but
// unsupported). A body whose decoded form would pass maxBytes stops there
// with tooLarge: decoding never holds more than maxBytes plus a few bytes,
// and its time is bounded by maxBytes and the body's size, not by what the
// body would inflate to. Bad or cut data of any kind is malformed.
DecodeResult decodeContent(std::string_view encoded, ContentCoding coding, std::size_t maxBytes,
                           std::string& out);

}  // namespace tarvo
