// A tiny HTTP server inside the test program, for tests of code that talks to
// the information service. It listens on 127.0.0.1 at a port the system
// picks, answers on background threads, and sends each reply exactly as the
// test scripted it: status line, headers and body bytes, optionally after a
// delay or cut off part-way. It records every request it receives.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tarvo_test {

struct HttpRequestSeen {
    std::string method;   // "GET"
    std::string target;   // as sent: "/api?type=1"
    std::string path;     // "/api"
    std::string query;    // "type=1" (without "?"; empty when there is none)
    std::string headers;  // the header lines as received, CR LF separated
};

// One scripted reply. `bytes` go out exactly as they are.
struct HttpReply {
    std::string bytes;
    int delayMs = 0;                       // wait this long before sending
    std::size_t cutAfter = std::string::npos;  // close after this many bytes
    // Sent after `bytes` (and not counted by cutAfter): `fillerBytes` spaces
    // in pieces of `fillerPiece` bytes, `fillerPauseMs` apart. The filler
    // ends early when the client hangs up or the server stops; kEndless
    // never ends by itself.
    static constexpr std::size_t kEndless = std::string::npos;
    std::size_t fillerBytes = 0;
    std::size_t fillerPiece = 64 * 1024;
    int fillerPauseMs = 0;

    // A complete reply with Content-Length and "Connection: close".
    // `extraHeaders` are whole lines, each ending with CR LF.
    static HttpReply withStatus(int code, const std::string& reason, const std::string& body,
                                const std::string& extraHeaders = std::string(),
                                const std::string& contentType = "application/json; charset=utf-8");
    static HttpReply ok(const std::string& body) { return withStatus(200, "OK", body); }
    static HttpReply redirect(const std::string& location, int code = 302);
    static HttpReply raw(const std::string& bytes);

    HttpReply& delayed(int ms) { delayMs = ms; return *this; }
    HttpReply& cutAt(std::size_t count) { cutAfter = count; return *this; }
    HttpReply& followedBy(std::size_t count, std::size_t piece = 64 * 1024, int pauseMs = 0) {
        fillerBytes = count;
        fillerPiece = piece;
        fillerPauseMs = pauseMs;
        return *this;
    }

    // The head of a reply whose body is yet to come: the status line, the
    // given header lines (each ending with CR LF), "Connection: close" and
    // the blank line; nothing says how long the body is unless the headers
    // do. Add the body to `bytes` or send it as filler.
    static HttpReply head(const std::string& headers);
};

class TestHttpServer {
public:
    using Handler = std::function<HttpReply(const HttpRequestSeen&)>;

    TestHttpServer() = default;
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // Binds 127.0.0.1 with a port of the system's choice and starts serving.
    bool start();
    // Stops serving and closes every connection; waits for the threads.
    void stop();

    unsigned short port() const { return port_; }
    // "http://127.0.0.1:<port>" + pathAndQuery.
    std::string url(const std::string& pathAndQuery) const;

    // The reply for requests to `path` (query ignored).
    void setReply(const std::string& path, const HttpReply& reply);
    // Decides the reply for every request; takes precedence over setReply.
    void setHandler(Handler handler);

    // Requests received so far, in order of arrival.
    std::vector<HttpRequestSeen> requests() const;
    // Connections still being served: a reply still being sent counts until
    // the client hangs up or the reply ends.
    std::size_t openConnections() const;

private:
    void acceptLoop();
    void serve(SOCKET connection);
    void sendFiller(SOCKET connection, const HttpReply& reply);
    HttpReply replyFor(const HttpRequestSeen& request);
    bool sleepUnlessStopping(int ms) const;

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    bool winsockStarted_ = false;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;

    mutable std::mutex mutex_;
    std::vector<std::thread> workers_;
    std::vector<SOCKET> connections_;
    std::map<std::string, HttpReply> replies_;
    Handler handler_;
    std::vector<HttpRequestSeen> requests_;
};

}  // namespace tarvo_test
