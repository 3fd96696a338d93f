// Downloads through the system's HTTP client against an HTTP server inside
// the test.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "service/download_win.h"
#include "support/http_server_win.h"
#include "support/test_support_win.h"

using tarvo_test::HttpReply;
using tarvo_test::TestHttpServer;
using tarvo_test::waitUntil;

namespace {

// "玄洲" in UTF-8 and in code page 936.
const std::string kXuanzhouUtf8 = "\xE7\x8E\x84\xE6\xB4\xB2";
const std::string kXuanzhouGbk = "\xD0\xFE\xD6\xDE";

// Bytes that differ from one 1024-byte chunk to the next, so that a lost,
// doubled or reordered chunk shows.
std::string patternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 1024 + i / 251) & 0xFF);
    return bytes;
}

// A port on which nothing listens.
unsigned short closedPort() {
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    closesocket(s);
    return ntohs(address.sin_port);
}

bool inUrlCache(const std::wstring& url) {
    DWORD size = 0;
    GetUrlCacheEntryInfoW(url.c_str(), nullptr, &size);
    return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

bool putInUrlCache(const std::wstring& url) {
    wchar_t file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryW(url.c_str(), 0, L"txt", file, 0)) return false;
    HANDLE handle = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(handle, "cached", 6, &written, nullptr);
    CloseHandle(handle);
    FILETIME never{};
    return CommitUrlCacheEntryW(url.c_str(), file, never, never, NORMAL_CACHE_ENTRY, nullptr, 0,
                                nullptr, nullptr) != FALSE;
}

std::wstring widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The bytes of every file under `folder` and its subfolders.
unsigned long long folderBytes(const std::wstring& folder) {
    unsigned long long total = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            total += folderBytes(folder + L"\\" + name);
        else
            total += (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return total;
}

// The URL cache's folder; empty when the system names none.
std::wstring urlCacheFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_INTERNET_CACHE, nullptr, SHGFP_TYPE_CURRENT, folder))) return {};
    return folder;
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        com_ = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(server_.start());
    }
    void TearDown() override {
        server_.stop();
        if (SUCCEEDED(com_)) CoUninitialize();
    }

    HRESULT com_ = E_FAIL;
    TestHttpServer server_;
};

}  // namespace

TEST_F(DownloadTest, ReplyBodiesAsBytesAndAsAnsiText) {
    struct Case {
        const char* name;
        std::string body;
        std::string ansi;  // what DownloadUrl hands back
        bool needsCodePage936;
    };
    const std::vector<Case> cases = {
        {"ascii", "{\"data\":{\"user_name\":\"abc\"}}", "{\"data\":{\"user_name\":\"abc\"}}", false},
        {"empty", "", "", false},
        {"zero byte", std::string("ab\0cd", 5), "ab", false},
        {"chinese", "name=" + kXuanzhouUtf8 + ";", "name=" + kXuanzhouGbk + ";", true},
        {"invalid utf-8 replaced, not dropped", "a\xFF" "b", "a?b", true},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        if (c.needsCodePage936 && GetACP() != 936) continue;
        const std::string path = "/case" + std::to_string(i);
        server_.setReply(path, HttpReply::ok(c.body));

        std::string bytes = "stale";
        EXPECT_TRUE(DownloadUrlBytes(server_.url(path), bytes));
        EXPECT_EQ(bytes, c.body);

        std::string reply = "stale";
        EXPECT_TRUE(DownloadUrl(server_.url(path), reply));
        EXPECT_EQ(reply, c.ansi);
    }
    if (GetACP() != 936) GTEST_SKIP() << "the Chinese cases need ANSI code page 936";
}

TEST_F(DownloadTest, LargeBodyArrivesWholeAndInOrder) {
    const std::string body = patternBytes(404000);
    server_.setReply("/big", HttpReply::ok(body));
    std::string bytes;
    ASSERT_TRUE(DownloadUrlBytes(server_.url("/big"), bytes));
    ASSERT_EQ(bytes.size(), body.size());
    EXPECT_TRUE(bytes == body);
}

TEST_F(DownloadTest, SendsOneGetWithTheAddressUnchanged) {
    server_.setReply("/api", HttpReply::ok("{}"));
    const std::string query = "platform=p1&gkey=g&skey=s42&type=5&sign=0123456789abcdef";
    std::string reply;
    ASSERT_TRUE(DownloadUrl(server_.url("/api?" + query), reply));
    const auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/api");
    EXPECT_EQ(requests[0].query, query);
    // Compressed replies are welcome; the host is named.
    EXPECT_NE(requests[0].headers.find("Accept-Encoding: gzip, deflate\r\n"), std::string::npos)
        << requests[0].headers;
    EXPECT_NE(requests[0].headers.find("Host: 127.0.0.1:" + std::to_string(server_.port())), std::string::npos)
        << requests[0].headers;
}

TEST_F(DownloadTest, EveryCallFetchesAFreshCopy) {
    server_.setReply("/fresh", HttpReply::ok("first"));
    std::string reply;
    ASSERT_TRUE(DownloadUrl(server_.url("/fresh"), reply));
    EXPECT_EQ(reply, "first");
    server_.setReply("/fresh", HttpReply::ok("second"));
    ASSERT_TRUE(DownloadUrl(server_.url("/fresh"), reply));
    EXPECT_EQ(reply, "second");
    EXPECT_EQ(server_.requests().size(), 2u);
}

// The reply comes from the server even where the system's URL cache holds a
// copy, and nothing of it goes into the cache.
TEST_F(DownloadTest, TheCacheIsNeitherReadNorWritten) {
    const std::string address = server_.url("/cached");
    ASSERT_TRUE(putInUrlCache(widen(address)));
    ASSERT_TRUE(inUrlCache(widen(address)));
    server_.setReply("/cached", HttpReply::ok("from server"));
    std::string reply;
    ASSERT_TRUE(DownloadUrl(address, reply));
    EXPECT_EQ(reply, "from server");
    EXPECT_EQ(server_.requests().size(), 1u);
    DeleteUrlCacheEntryW(widen(address).c_str());

    server_.setReply("/from", HttpReply::redirect(server_.url("/to")));
    server_.setReply("/to", HttpReply::ok("redirected"));
    ASSERT_TRUE(DownloadUrl(server_.url("/from"), reply));
    EXPECT_EQ(reply, "redirected");
    EXPECT_FALSE(inUrlCache(widen(server_.url("/from"))));
    EXPECT_FALSE(inUrlCache(widen(server_.url("/to"))));
}

TEST_F(DownloadTest, FollowsARedirect) {
    server_.setReply("/old", HttpReply::redirect(server_.url("/new?x=1")));
    server_.setReply("/new", HttpReply::ok("moved here"));
    std::string reply;
    ASSERT_TRUE(DownloadUrl(server_.url("/old"), reply));
    EXPECT_EQ(reply, "moved here");
    const auto requests = server_.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].path, "/old");
    EXPECT_EQ(requests[1].target, "/new?x=1");
}

// The body of an HTTP error is delivered as data, so the download
// succeeds and hands the error page back: success says nothing about the
// content.
TEST_F(DownloadTest, HttpErrorStatusHandsTheBodyBack) {
    server_.setReply("/err", HttpReply::withStatus(500, "Internal Server Error", "{\"error\":1}"));
    std::string reply = "stale";
    const bool ok = DownloadUrl(server_.url("/err"), reply);
    EXPECT_TRUE(ok);
    EXPECT_EQ(reply, "{\"error\":1}");
}

TEST_F(DownloadTest, FailuresGiveFalseAndAnEmptyReply) {
    server_.setReply("/cut", HttpReply::withStatus(200, "OK", std::string(5000, 'c')).cutAt(2000));
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"unreachable port", "http://127.0.0.1:" + std::to_string(closedPort()) + "/api?type=1"},
        {"connection closed mid-reply", server_.url("/cut")},
        {"empty address", ""},
        {"not an address", "no such thing"},
        {"unknown scheme", "tarvo-nothing://x/y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        std::string reply = "stale";
        EXPECT_FALSE(DownloadUrl(c.second, reply));
        EXPECT_EQ(reply, "");
        std::string bytes = "stale";
        EXPECT_FALSE(DownloadUrlBytes(c.second, bytes));
        EXPECT_EQ(bytes, "");
    }
}

TEST_F(DownloadTest, ASlowReplyWithinTheTimeLimitArrives) {
    server_.setReply("/slow", HttpReply::ok("late but fine").delayed(700));
    std::string bytes;
    EXPECT_TRUE(DownloadUrlBytes(server_.url("/slow"), bytes, DownloadLimits{10000}));
    EXPECT_EQ(bytes, "late but fine");
}

// The caller's message loop still sees a quit asked for before or during
// a download, with its exit code, once the download is done.
TEST_F(DownloadTest, AQuitInTheCallersQueueIsKeptForItsLoop) {
    server_.setReply("/slow", HttpReply::ok("fine").delayed(300));
    PostQuitMessage(7);
    std::string bytes;
    EXPECT_TRUE(DownloadUrlBytes(server_.url("/slow"), bytes, DownloadLimits{10000}));
    EXPECT_EQ(bytes, "fine");
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(DownloadTest, AServiceThatNeverAnswersEndsAtTheTimeLimit) {
    server_.setReply("/silent", HttpReply::ok("too late").delayed(30000));
    std::string bytes = "stale";
    const DWORD start = GetTickCount();
    DownloadOutcome outcome = DownloadOutcome::received;
    EXPECT_FALSE(DownloadUrlBytes(server_.url("/silent"), bytes, DownloadLimits{1000}, &outcome));
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(outcome, DownloadOutcome::timedOut);
    EXPECT_GE(elapsed, 900u);
    EXPECT_LT(elapsed, 8000u);

    // The thread is still fit for the next download.
    server_.setReply("/after", HttpReply::ok("next"));
    EXPECT_TRUE(DownloadUrlBytes(server_.url("/after"), bytes));
    EXPECT_EQ(bytes, "next");
}

// ---------------------------------------------------------------------------
// Replies no launcher should take in whole.

namespace {

// Appends `count` bits of `value` to a deflate bit stream, lowest bit first.
struct BitWriter {
    std::string bytes;
    unsigned bitCount = 0;
    void put(unsigned value, unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            if (bitCount % 8 == 0) bytes.push_back('\0');
            if (value >> i & 1) bytes.back() = static_cast<char>(bytes.back() | 1 << (bitCount % 8));
            ++bitCount;
        }
    }
    // Huffman codes go out with their highest bit first.
    void code(unsigned value, unsigned count) {
        for (unsigned i = count; i-- > 0;) put(value >> i & 1, 1);
    }
};

std::uint32_t crc32OfSpaces(std::size_t count) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= 0x20;
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320 : crc >> 1;
    }
    return ~crc;
}

// A gzip body of `count` spaces (count - 1 a multiple of 258): one space,
// then copies of 258 bytes from one byte back, in one fixed-code block.
// About 160 times smaller than what it inflates to.
std::string gzipOfSpaces(std::size_t count) {
    BitWriter deflate;
    deflate.put(1, 1);                  // final block
    deflate.put(1, 2);                  // fixed codes
    deflate.code(0x30 + ' ', 8);        // literal space
    for (std::size_t left = count - 1; left >= 258; left -= 258) {
        deflate.code(0xC0 + 285 - 280, 8);  // length 258
        deflate.code(0, 5);                 // distance 1
    }
    deflate.code(0, 7);                 // end of block
    std::string gzip("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\xff", 10);
    gzip += deflate.bytes;
    const std::uint32_t crc = crc32OfSpaces(count);
    for (std::uint32_t word : {crc, static_cast<std::uint32_t>(count)})
        for (int i = 0; i < 4; ++i) gzip.push_back(static_cast<char>(word >> (8 * i) & 0xFF));
    return gzip;
}

const char* outcomeName(DownloadOutcome outcome) {
    switch (outcome) {
    case DownloadOutcome::received: return "received";
    case DownloadOutcome::failed: return "failed";
    case DownloadOutcome::tooLarge: return "tooLarge";
    case DownloadOutcome::timedOut: return "timedOut";
    }
    return "?";
}

}  // namespace

// A reply body may be 1 MiB at most, however its size shows: as bytes, as an
// announced length or once inflated. Whatever passes the limit fails the
// download and hands back nothing.
TEST_F(DownloadTest, RepliesPastTheSizeLimitFail) {
    const std::size_t limit = kReplyLimitBytes;
    ASSERT_EQ(limit, 1024u * 1024u);
    constexpr DWORD kLimitMs = 20000;
    const std::string json = "{\"data\":{\"user_name\":\"abc\"}}";
    struct Case {
        const char* name;
        HttpReply reply;
        DownloadOutcome outcome;
    };
    const std::vector<Case> cases = {
        {"exactly the limit", HttpReply::ok(std::string(limit, 'a')), DownloadOutcome::received},
        {"one byte more", HttpReply::ok(std::string(limit + 1, 'a')), DownloadOutcome::tooLarge},
        {"100 MB announced and sent",
         HttpReply::head("Content-Length: 104857600\r\n").followedBy(100u << 20), DownloadOutcome::tooLarge},
        {"2 GB announced, filler for ever",
         HttpReply::head("Content-Length: 2147483648\r\n").followedBy(HttpReply::kEndless), DownloadOutcome::tooLarge},
        {"no length, more than the limit sent",
         HttpReply::head("").followedBy(HttpReply::kEndless), DownloadOutcome::tooLarge},
        // Then nothing more comes: only the header can end this before the
        // time limit.
        {"2 GB announced, a small body sent",
         [&] {
             HttpReply r = HttpReply::head("Content-Length: 2147483648\r\n");
             r.bytes += json;
             return r;
         }(),
         DownloadOutcome::tooLarge},
        {"an absurd length announced",
         [&] {
             HttpReply r = HttpReply::head("Content-Length: 99999999999999999999999\r\n");
             r.bytes += json;
             return r;
         }(),
         DownloadOutcome::tooLarge},
        {"gzip inflating to 8 MiB",
         [&] {
             const std::string body = gzipOfSpaces(258 * 32513 + 1);
             HttpReply r = HttpReply::head("Content-Encoding: gzip\r\nContent-Length: " +
                                           std::to_string(body.size()) + "\r\n");
             r.bytes += body;
             return r;
         }(),
         DownloadOutcome::tooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestHttpServer server;
        ASSERT_TRUE(server.start());
        server.setReply("/limit", c.reply);
        std::string bytes = "stale";
        DownloadOutcome outcome = DownloadOutcome::failed;
        const DWORD start = GetTickCount();
        const bool ok = DownloadUrlBytes(server.url("/limit"), bytes, DownloadLimits{kLimitMs}, &outcome);
        // Each ends at the limit it passes, long before the time limit.
        EXPECT_LT(GetTickCount() - start, kLimitMs);
        EXPECT_EQ(ok, c.outcome == DownloadOutcome::received);
        EXPECT_STREQ(outcomeName(outcome), outcomeName(c.outcome));
        if (c.outcome == DownloadOutcome::received) {
            EXPECT_EQ(bytes.size(), limit);
        } else {
            EXPECT_EQ(bytes, "");
        }
    }
    // The thread is still fit for the next download.
    server_.setReply("/after", HttpReply::ok(json));
    std::string bytes;
    EXPECT_TRUE(DownloadUrlBytes(server_.url("/after"), bytes));
    EXPECT_EQ(bytes, json);
}

// A compressed body within the limit arrives inflated; a body in a coding
// the download does not know is handed back as it came.
TEST_F(DownloadTest, CompressedReplyWithinTheLimitArrivesInflated) {
    const std::size_t count = 258 * 100 + 1;
    const std::string gzip = gzipOfSpaces(count);
    // The same deflate data, wrapped as a zlib stream instead: its header,
    // and the Adler-32 of the spaces at the end.
    std::string zlib("\x78\x01", 2);
    zlib += gzip.substr(10, gzip.size() - 18);
    std::uint32_t a = 1, b = 0;
    for (std::size_t i = 0; i < count; ++i) {
        a = (a + ' ') % 65521;
        b = (b + a) % 65521;
    }
    const std::uint32_t adler = b << 16 | a;
    for (int i = 3; i >= 0; --i) zlib.push_back(static_cast<char>(adler >> (8 * i) & 0xFF));
    const struct {
        const char* coding;
        std::string body;
        std::string expected;
    } cases[] = {
        {"gzip", gzip, std::string(count, ' ')},
        {"deflate", zlib, std::string(count, ' ')},
        {"br", "not decoded", "not decoded"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.coding);
        HttpReply reply = HttpReply::head(std::string("Content-Encoding: ") + c.coding + "\r\nContent-Length: " +
                                          std::to_string(c.body.size()) + "\r\n");
        reply.bytes += c.body;
        server_.setReply("/coded", reply);
        std::string bytes;
        ASSERT_TRUE(DownloadUrlBytes(server_.url("/coded"), bytes));
        EXPECT_TRUE(bytes == c.expected) << bytes.size();
    }
    // A compressed body that was cut, or is not what it claims, is no reply.
    HttpReply broken = HttpReply::head("Content-Encoding: gzip\r\n");
    broken.bytes += gzip.substr(0, gzip.size() - 6);
    server_.setReply("/broken", broken);
    std::string bytes = "stale";
    DownloadOutcome outcome = DownloadOutcome::received;
    EXPECT_FALSE(DownloadUrlBytes(server_.url("/broken"), bytes, DownloadLimits(), &outcome));
    EXPECT_STREQ(outcomeName(outcome), "failed");
    EXPECT_EQ(bytes, "");
}

// A reply that never ends, one byte at a time, ends at the time limit.
TEST_F(DownloadTest, EndlessTrickleEndsAtTheTimeLimit) {
    server_.setReply("/trickle", HttpReply::head("").followedBy(HttpReply::kEndless, 1, 50));
    std::string bytes = "stale";
    DownloadOutcome outcome = DownloadOutcome::received;
    EXPECT_FALSE(DownloadUrlBytes(server_.url("/trickle"), bytes, DownloadLimits{1500}, &outcome));
    EXPECT_STREQ(outcomeName(outcome), "timedOut");
    EXPECT_EQ(bytes, "");
}

namespace {

// The CPU time this process has used so far, in milliseconds.
unsigned long long processCpuMs() {
    FILETIME created, ended, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000;
    };
    return ms(kernel) + ms(user);
}

}  // namespace

// A reply that never ends, with or without an announced length: once the
// download has given up on it, its connection is closed (the server sees the
// hang-up) and nothing in this process reads on. The next download from the
// same server goes through.
TEST_F(DownloadTest, AReplyGivenUpOnIsClosedAndNotReadOn) {
    server_.setReply("/endless", HttpReply::head("").followedBy(HttpReply::kEndless));
    server_.setReply("/endless-announced",
                     HttpReply::head("Content-Length: 2147483648\r\n").followedBy(HttpReply::kEndless));
    server_.setReply("/endless-trickle", HttpReply::head("").followedBy(HttpReply::kEndless, 512, 5));
    server_.setReply("/after", HttpReply::ok("next"));
    const struct {
        const char* path;
        DownloadLimits limits;
    } cases[] = {
        {"/endless", DownloadLimits{20000}},
        {"/endless-announced", DownloadLimits{20000}},
        {"/endless-trickle", DownloadLimits{1500}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string bytes = "stale";
        DownloadOutcome outcome = DownloadOutcome::received;
        EXPECT_FALSE(DownloadUrlBytes(server_.url(c.path), bytes, c.limits, &outcome));
        EXPECT_NE(outcome, DownloadOutcome::received);
        EXPECT_EQ(bytes, "");
        EXPECT_TRUE(waitUntil([&] { return server_.openConnections() == 0; }, 5000, false))
            << "the server still sends to " << server_.openConnections() << " connection(s)";
        // Reading at full speed would take about all of a core's time.
        const unsigned long long before = processCpuMs();
        Sleep(2000);
        EXPECT_LT(processCpuMs() - before, 1000u) << "something still reads";

        EXPECT_TRUE(DownloadUrlBytes(server_.url("/after"), bytes));
        EXPECT_EQ(bytes, "next");
    }
}

// No reply reaches the disk: not a whole one, nor one the download gave up
// on (an endless reply would fill the disk).
TEST_F(DownloadTest, NoReplyIsWrittenToTheDisk) {
    const std::wstring cache = urlCacheFolder();
    ASSERT_FALSE(cache.empty());
    server_.setReply("/whole", HttpReply::ok(std::string(kReplyLimitBytes, 'w')));
    server_.setReply("/endless", HttpReply::head("").followedBy(HttpReply::kEndless));
    server_.setReply("/endless-announced",
                     HttpReply::head("Content-Length: 2147483648\r\n").followedBy(HttpReply::kEndless));
    const unsigned long long before = folderBytes(cache);

    std::string bytes;
    EXPECT_TRUE(DownloadUrlBytes(server_.url("/whole"), bytes));
    EXPECT_EQ(bytes.size(), kReplyLimitBytes);
    for (const char* path : {"/endless", "/endless-announced"})
        EXPECT_FALSE(DownloadUrlBytes(server_.url(path), bytes, DownloadLimits{2000})) << path;
    Sleep(2000);  // whatever still read on meanwhile would come at full speed

    const unsigned long long after = folderBytes(cache);
    EXPECT_LT(after, before + 64 * 1024) << "the cache grew by " << (after - before) << " bytes";
}
