// Downloads through the URL loader against an HTTP server inside the test,
// and the download callback's operations called directly.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <urlmon.h>
#include <wininet.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "service/download_win.h"
#include "support/http_server_win.h"

using tarvo_test::HttpReply;
using tarvo_test::TestHttpServer;

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

// The reply comes from the server, not from the cache, and nothing of it is
// left in the cache afterwards.
TEST_F(DownloadTest, LeavesNothingInTheCache) {
    const std::string address = server_.url("/cached");
    ASSERT_TRUE(putInUrlCache(widen(address)));
    ASSERT_TRUE(inUrlCache(widen(address)));
    server_.setReply("/cached", HttpReply::ok("from server"));
    std::string reply;
    ASSERT_TRUE(DownloadUrl(address, reply));
    EXPECT_EQ(reply, "from server");
    EXPECT_EQ(server_.requests().size(), 1u);
    EXPECT_FALSE(inUrlCache(widen(address)));

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

// The loader delivers the body of an HTTP error as data, so the download
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

// A download's callback is freed only when the loader has let go of it: for
// every download the loader saw to its end, whatever the reply, it had.
TEST_F(DownloadTest, TheLoaderLetsGoOfTheCallbackOfEveryFinishedDownload) {
    server_.setReply("/ok", HttpReply::ok("fine"));
    server_.setReply("/err", HttpReply::withStatus(500, "Internal Server Error", "{}"));
    server_.setReply("/from", HttpReply::redirect(server_.url("/ok")));
    server_.setReply("/cut", HttpReply::withStatus(200, "OK", std::string(5000, 'c')).cutAt(2000));
    server_.setReply("/big", HttpReply::ok(std::string(kReplyLimitBytes + 1, 'b')));
    const unsigned before = downloadCallbacksLeftToTheLoader();
    std::string bytes;
    for (const char* path : {"/ok", "/err", "/from", "/cut", "/big"}) DownloadUrlBytes(server_.url(path), bytes);
    DownloadUrlBytes("http://127.0.0.1:" + std::to_string(closedPort()) + "/x", bytes);
    EXPECT_EQ(downloadCallbacksLeftToTheLoader(), before);
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
        // Wine's URL loader may go on reading an endless reply on the
        // download's thread before it reports any of it; the download then
        // ends at its time limit instead.
        bool mayEndAtTheTimeLimit = false;
    };
    const std::vector<Case> cases = {
        {"exactly the limit", HttpReply::ok(std::string(limit, 'a')), DownloadOutcome::received},
        {"one byte more", HttpReply::ok(std::string(limit + 1, 'a')), DownloadOutcome::tooLarge},
        {"100 MB announced and sent",
         HttpReply::head("Content-Length: 104857600\r\n").followedBy(100u << 20), DownloadOutcome::tooLarge},
        {"2 GB announced, filler for ever",
         HttpReply::head("Content-Length: 2147483648\r\n").followedBy(HttpReply::kEndless), DownloadOutcome::tooLarge,
         true},
        {"no length, more than the limit sent",
         HttpReply::head("").followedBy(HttpReply::kEndless), DownloadOutcome::tooLarge, true},
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
        // A server of its own: the loader may go on reading (and dropping)
        // an aborted reply for a while, and what it still reads from one
        // server must not hold up the next case.
        TestHttpServer server;
        ASSERT_TRUE(server.start());
        server.setReply("/limit", c.reply);
        std::string bytes = "stale";
        DownloadOutcome outcome = DownloadOutcome::failed;
        const DWORD start = GetTickCount();
        const bool ok = DownloadUrlBytes(server.url("/limit"), bytes, DownloadLimits{kLimitMs}, &outcome);
        // Never longer than the time limit and the grace for an abort,
        // whatever the loader does (ample slack for a busy machine).
        EXPECT_LT(GetTickCount() - start, kLimitMs + 5000 + 15000);
        EXPECT_EQ(ok, c.outcome == DownloadOutcome::received);
        if (!(c.mayEndAtTheTimeLimit && outcome == DownloadOutcome::timedOut)) {
            EXPECT_STREQ(outcomeName(outcome), outcomeName(c.outcome));
        }
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

// A gzip body within the limit arrives inflated.
TEST_F(DownloadTest, CompressedReplyWithinTheLimitArrivesInflated) {
    const std::size_t count = 258 * 100 + 1;
    const std::string body = gzipOfSpaces(count);
    HttpReply reply = HttpReply::head("Content-Encoding: gzip\r\nContent-Length: " + std::to_string(body.size()) +
                                      "\r\n");
    reply.bytes += body;
    server_.setReply("/gzip", reply);
    std::string bytes;
    ASSERT_TRUE(DownloadUrlBytes(server_.url("/gzip"), bytes));
    EXPECT_TRUE(bytes == std::string(count, ' ')) << bytes.size();
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

// Wine's URL loader goes on reading an endless reply, as fast as it comes,
// on the download's thread, even after the abort. The caller is still back
// within the time limit and the abort's grace, the download fails, and the
// next download from the same server goes through while the loader reads on.
// The caller's own messages are dispatched all the while.
TEST_F(DownloadTest, AReplyTheLoaderReadsOnDoesNotHoldTheCaller) {
    server_.setReply("/endless", HttpReply::head("").followedBy(HttpReply::kEndless));
    server_.setReply("/endless-announced",
                     HttpReply::head("Content-Length: 2147483648\r\n").followedBy(HttpReply::kEndless));
    server_.setReply("/after", HttpReply::ok("next"));
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    constexpr DWORD kLimitMs = 3000;
    for (const char* path : {"/endless", "/endless-announced"}) {
        SCOPED_TRACE(path);
        PostMessageW(window, WM_NULL, 0, 0);
        std::string bytes = "stale";
        DownloadOutcome outcome = DownloadOutcome::received;
        const DWORD start = GetTickCount();
        EXPECT_FALSE(DownloadUrlBytes(server_.url(path), bytes, DownloadLimits{kLimitMs}, &outcome));
        EXPECT_LT(GetTickCount() - start, kLimitMs + 5000 + 10000);
        EXPECT_NE(outcome, DownloadOutcome::received);
        EXPECT_EQ(bytes, "");
        MSG msg;
        EXPECT_FALSE(PeekMessageW(&msg, window, WM_NULL, WM_NULL, PM_REMOVE)) << "not dispatched";

        EXPECT_TRUE(DownloadUrlBytes(server_.url("/after"), bytes, DownloadLimits{kLimitMs}));
        EXPECT_EQ(bytes, "next");
    }
    DestroyWindow(window);
}

// No reply reaches the disk: not a whole one, nor one the download gave up
// on that the loader goes on reading (an endless reply would fill the disk).
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
    Sleep(2000);  // what the loader still reads meanwhile comes at full speed

    const unsigned long long after = folderBytes(cache);
    EXPECT_LT(after, before + 64 * 1024) << "the cache grew by " << (after - before) << " bytes";
}

// ---------------------------------------------------------------------------
// The callback's operations, called the way the loader calls them.

namespace {

// An IBinding that only counts references and aborts.
class CountingBinding : public IBinding {
public:
    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++references); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--references); }
    STDMETHODIMP Abort() override { ++aborts; return S_OK; }
    STDMETHODIMP Suspend() override { return E_NOTIMPL; }
    STDMETHODIMP Resume() override { return E_NOTIMPL; }
    STDMETHODIMP SetPriority(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetBindResult(CLSID*, DWORD*, LPOLESTR*, DWORD*) override { return E_NOTIMPL; }

    int references = 1;
    int aborts = 0;
};

// A stream whose reads follow a script: each step hands out up to `bytes`
// and returns `status`. After the script it returns S_OK with zero bytes, as
// a misbehaving stream might.
class ScriptedStream : public IStream {
public:
    struct Step {
        std::string bytes;
        HRESULT status;
    };
    explicit ScriptedStream(std::vector<Step> steps) : steps_(std::move(steps)) {}

    STDMETHODIMP QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 1; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override {
        ++reads;
        if (next_ >= steps_.size()) {
            *read = 0;
            return S_OK;
        }
        Step& step = steps_[next_];
        const ULONG count = static_cast<ULONG>(std::min<std::size_t>(size, step.bytes.size()));
        std::memcpy(buffer, step.bytes.data(), count);
        *read = count;
        step.bytes.erase(0, count);
        const HRESULT status = step.status;
        if (step.bytes.empty()) ++next_;
        return step.bytes.empty() ? status : S_OK;
    }
    STDMETHODIMP Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    STDMETHODIMP CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP Commit(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Revert() override { return E_NOTIMPL; }
    STDMETHODIMP LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IStream**) override { return E_NOTIMPL; }

    int reads = 0;

private:
    std::vector<Step> steps_;
    std::size_t next_ = 0;
};

HRESULT notify(CDownloadCallback& callback, DWORD size, IStream* stream) {
    STGMEDIUM medium{};
    medium.tymed = TYMED_ISTREAM;
    medium.pstm = stream;
    FORMATETC format{};
    return callback.OnDataAvailable(BSCF_INTERMEDIATEDATANOTIFICATION, size, &format, &medium);
}

}  // namespace

TEST(DownloadCallback, QueryInterfaceFromEitherInterface) {
    CDownloadCallback callback;
    IBindStatusCallback* primary = &callback;
    IHttpNegotiate* negotiate = &callback;
    struct Case {
        const char* name;
        const IID* iid;
        void* expected;
        HRESULT result;
    };
    const std::vector<Case> cases = {
        {"IUnknown", &IID_IUnknown, primary, S_OK},
        {"IBindStatusCallback", &IID_IBindStatusCallback, primary, S_OK},
        {"IHttpNegotiate", &IID_IHttpNegotiate, negotiate, S_OK},
        {"IHttpNegotiate2", &IID_IHttpNegotiate2, nullptr, E_NOINTERFACE},
        {"IStream", &IID_IStream, nullptr, E_NOINTERFACE},
        {"IServiceProvider", &IID_IServiceProvider, nullptr, E_NOINTERFACE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(primary->QueryInterface(*c.iid, &object), c.result);
        EXPECT_EQ(object, c.expected);
        object = reinterpret_cast<void*>(1);
        EXPECT_EQ(negotiate->QueryInterface(*c.iid, &object), c.result);
        EXPECT_EQ(object, c.expected);
    }
    EXPECT_EQ(primary->AddRef(), 1u);
    EXPECT_EQ(primary->Release(), 1u);
    EXPECT_EQ(primary->Release(), 1u);
    EXPECT_EQ(negotiate->Release(), 1u);
}

TEST(DownloadCallback, GetBindInfo) {
    CDownloadCallback callback;
    DWORD flags = 0;
    BINDINFO info;

    info.cbSize = sizeof info;
    EXPECT_EQ(callback.GetBindInfo(nullptr, &info), E_INVALIDARG);
    EXPECT_EQ(callback.GetBindInfo(&flags, nullptr), E_INVALIDARG);
    info.cbSize = 0;
    EXPECT_EQ(callback.GetBindInfo(&flags, &info), E_INVALIDARG);
    EXPECT_EQ(flags, 0u);

    std::memset(&info, 0xCC, sizeof info);
    info.cbSize = sizeof info;
    ASSERT_EQ(callback.GetBindInfo(&flags, &info), S_OK);
    EXPECT_EQ(flags, 0x2B3u);  // with NOWRITECACHE and PULLDATA
    EXPECT_EQ(info.cbSize, sizeof info);
    EXPECT_EQ(info.dwBindVerb, static_cast<DWORD>(BINDVERB_GET));
    const auto* raw = reinterpret_cast<const unsigned char*>(&info);
    for (std::size_t i = sizeof info.cbSize; i < sizeof info; ++i) ASSERT_EQ(raw[i], 0) << i;

    // A caller with a smaller structure: nothing beyond its size is written.
    unsigned char small[sizeof(BINDINFO)];
    std::memset(small, 0xCC, sizeof small);
    reinterpret_cast<BINDINFO*>(small)->cbSize = 12;
    ASSERT_EQ(callback.GetBindInfo(&flags, reinterpret_cast<BINDINFO*>(small)), S_OK);
    for (std::size_t i = 4; i < 12; ++i) EXPECT_EQ(small[i], 0) << i;
    for (std::size_t i = 12; i < sizeof small; ++i) ASSERT_EQ(small[i], 0xCC) << i;
}

TEST(DownloadCallback, BeginningTransaction) {
    CDownloadCallback callback;
    EXPECT_EQ(callback.BeginningTransaction(L"http://a/", L"", 0, nullptr), E_POINTER);

    LPWSTR headers = reinterpret_cast<LPWSTR>(1);
    EXPECT_EQ(callback.BeginningTransaction(L"http://a/", L"", 0, &headers), S_OK);
    EXPECT_EQ(headers, nullptr);

    callback.setAdditionalHeader(L"X-Second", L"2");
    callback.setAdditionalHeader(L"X-First", L"one");
    headers = nullptr;
    ASSERT_EQ(callback.BeginningTransaction(L"http://a/", nullptr, 0, &headers), S_OK);
    ASSERT_NE(headers, nullptr);
    EXPECT_EQ(std::wstring(headers), L"X-First: one\r\nX-Second: 2\r\n");
    CoTaskMemFree(headers);

    EXPECT_EQ(callback.OnResponse(200, L"", L"", nullptr), E_NOTIMPL);
}

TEST(DownloadCallback, SmallSlots) {
    CDownloadCallback callback;
    EXPECT_EQ(callback.GetPriority(nullptr), E_INVALIDARG);
    LONG priority = 7;
    EXPECT_EQ(callback.GetPriority(&priority), S_OK);
    EXPECT_EQ(priority, 0);
    EXPECT_EQ(callback.OnLowResource(0), S_OK);
    EXPECT_EQ(callback.OnObjectAvailable(IID_IUnknown, nullptr), S_OK);
    EXPECT_EQ(callback.OnProgress(1, 2, BINDSTATUS_REDIRECTING, nullptr), S_OK);
}

TEST(DownloadCallback, HoldsTheBindingFromStartToStop) {
    CDownloadCallback callback;
    CountingBinding binding;
    EXPECT_EQ(callback.OnStartBinding(0, &binding), S_OK);
    EXPECT_EQ(binding.references, 2);
    EXPECT_EQ(callback.binding(), &binding);
    EXPECT_FALSE(callback.bindingStopped());

    EXPECT_EQ(callback.OnStopBinding(INET_E_DOWNLOAD_FAILURE, L"failed"), S_OK);
    EXPECT_EQ(binding.references, 1);
    EXPECT_EQ(callback.binding(), nullptr);
    EXPECT_TRUE(callback.bindingStopped());
    EXPECT_EQ(callback.bindingResult(), INET_E_DOWNLOAD_FAILURE);
}

TEST(DownloadCallback, RedirectRemovesTheNewAddressFromTheCache) {
    const std::wstring target = L"http://127.0.0.1:9/tarvo-redirect-target";
    const std::wstring other = L"http://127.0.0.1:9/tarvo-progress-other";
    ASSERT_TRUE(putInUrlCache(target));
    ASSERT_TRUE(putInUrlCache(other));

    CDownloadCallback callback;
    EXPECT_EQ(callback.OnProgress(0, 0, BINDSTATUS_CONNECTING, other.c_str()), S_OK);
    EXPECT_TRUE(inUrlCache(other));
    EXPECT_EQ(callback.OnProgress(0, 0, BINDSTATUS_REDIRECTING, target.c_str()), S_OK);
    EXPECT_FALSE(inUrlCache(target));
    DeleteUrlCacheEntryW(other.c_str());
}

// However the stream hands its data out, every byte reaches the reply once
// and in order, and no notification waits or spins on a short read.
TEST(DownloadCallback, ReplyReadingTakesWhatTheStreamHas) {
    const std::string data = patternBytes(5000);
    struct Case {
        const char* name;
        std::vector<std::vector<ScriptedStream::Step>> notifications;  // one stream script each
        std::vector<DWORD> sizes;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"size as running total, short reads then pending",
         {{{data.substr(0, 300), E_PENDING}},
          {{data.substr(300, 2000), S_OK}, {data.substr(2300, 200), E_PENDING}},
          {{data.substr(2500), S_FALSE}}},
         {300, 2500, 5000},
         data},
        {"size as new amount, all in one go",
         {{{data.substr(0, 4096), S_OK}}, {{data.substr(4096), S_FALSE}}},
         {4096, 904},
         data},
        {"stream has less than announced", {{{data.substr(0, 10), S_FALSE}}}, {5000},
         data.substr(0, 10)},
        {"stream has more than announced", {{{data.substr(0, 3000), S_FALSE}}}, {100},
         data.substr(0, 3000)},
        {"read fails after some data", {{{data.substr(0, 50), E_FAIL}}}, {5000},
         data.substr(0, 50)},
        {"zero size reads nothing", {{{data.substr(0, 50), S_OK}}}, {0}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CDownloadCallback callback;
        for (std::size_t i = 0; i < c.notifications.size(); ++i) {
            ScriptedStream stream(c.notifications[i]);
            EXPECT_EQ(notify(callback, c.sizes[i], &stream), S_OK);
            EXPECT_LE(stream.reads, 10);
        }
        EXPECT_TRUE(callback.replyBytes() == c.expected);
    }
}

// The limits hold inside one notification too: a stream that always has a
// little more is cut off at the byte limit or at the time limit, and the
// binding is aborted once.
TEST(DownloadCallback, ReplyReadingStopsAtTheLimits) {
    const std::string data = patternBytes(5000);
    {
        SCOPED_TRACE("byte limit");
        CDownloadCallback callback(DownloadLimits{60000, 2048}, GetTickCount());
        CountingBinding binding;
        callback.OnStartBinding(0, &binding);
        ScriptedStream stream({{data, S_OK}});
        EXPECT_EQ(notify(callback, 5000, &stream), S_OK);
        EXPECT_EQ(callback.abortReason(), DownloadOutcome::tooLarge);
        EXPECT_EQ(binding.aborts, 1);
        EXPECT_TRUE(callback.replyBytes() == data.substr(0, 2048));
        // Later notifications read nothing more; each asks the loader again
        // to stop (a loader that goes on delivering has not heeded the
        // first request).
        ScriptedStream more({{data, S_OK}});
        EXPECT_EQ(notify(callback, 5000, &more), S_OK);
        EXPECT_EQ(more.reads, 0);
        EXPECT_EQ(binding.aborts, 2);
        callback.OnStopBinding(E_ABORT, nullptr);
    }
    {
        SCOPED_TRACE("time limit");
        // A stream that hands out one byte every 10 ms, for ever.
        class EndlessStream : public ScriptedStream {
        public:
            EndlessStream() : ScriptedStream({}) {}
            STDMETHODIMP Read(void* buffer, ULONG, ULONG* read) override {
                ++reads;
                Sleep(10);
                *static_cast<char*>(buffer) = 'x';
                *read = 1;
                return S_OK;
            }
        } stream;
        CDownloadCallback callback(DownloadLimits{300, 1 << 20}, GetTickCount());
        CountingBinding binding;
        callback.OnStartBinding(0, &binding);
        EXPECT_EQ(notify(callback, 1, &stream), S_OK);
        EXPECT_EQ(callback.abortReason(), DownloadOutcome::timedOut);
        EXPECT_EQ(binding.aborts, 1);
        EXPECT_GT(stream.reads, 0);
        callback.OnStopBinding(E_ABORT, nullptr);
    }
}
