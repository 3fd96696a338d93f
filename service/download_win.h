// Downloading one address over HTTP with the system's HTTP client (WinHTTP).
//
// A download is one synchronous GET on the caller's own thread. It lasts at
// most its time limit (60 s unless the caller passes another): every step
// that waits for the network (name look-up, connecting, sending, each wait
// for reply bytes) is given only the time that is left, and the read loop
// checks the limit between reads. A reply body may be at most 1 MiB (the
// real replies are a few hundred bytes): a longer body, a longer announced
// length, or a compressed body that inflates past it ends the download. When
// a download ends for any reason its request is closed, and with it the
// connection: nothing goes on reading a reply that was given up on.
//
// The system's HTTP client keeps no cache, so no reply ever reaches the disk
// and every download is a fresh copy from the server. Bodies compressed with
// gzip or deflate (which the request offers to take) arrive decoded.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

constexpr DWORD kDownloadTimeLimitMs = 60000;
constexpr std::size_t kReplyLimitBytes = 1024 * 1024;

// What a download may take.
struct DownloadLimits {
    DWORD timeMs = kDownloadTimeLimitMs;
    std::size_t maxBytes = kReplyLimitBytes;
};

// How a download ended.
enum class DownloadOutcome {
    received,   // the whole reply arrived
    failed,     // no connection, an unusable address, or the reply was cut short or undecodable
    tooLarge,   // the reply is (or announced itself) longer than allowed
    timedOut,   // the time limit was reached
};

// Fetches `address` (ANSI code page; http or https) with a GET request,
// always fresh from the server, following redirects. On success returns
// true with the reply body's bytes (decoded when the reply came compressed),
// whatever the HTTP status. Returns false with `bytes` empty when the request
// fails, passes one of the limits, or delivers fewer bytes than the reply's
// Content-Length announced (the connection was closed part-way). `outcome`,
// when given, tells which.
bool DownloadUrlBytes(const std::string& address, std::string& bytes,
                      const DownloadLimits& limits = DownloadLimits(),
                      DownloadOutcome* outcome = nullptr);

// As DownloadUrlBytes, with the body converted from UTF-8 to the ANSI code
// page (and so cut at its first zero byte).
bool DownloadUrl(const std::string& address, std::string& reply);
