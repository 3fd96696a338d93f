#include "support/http_server_win.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>

namespace tarvo_test {

HttpReply HttpReply::withStatus(int code, const std::string& reason, const std::string& body,
                                const std::string& extraHeaders, const std::string& contentType) {
    HttpReply reply;
    reply.bytes = "HTTP/1.1 " + std::to_string(code) + " " + reason + "\r\n";
    if (!contentType.empty()) reply.bytes += "Content-Type: " + contentType + "\r\n";
    reply.bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    reply.bytes += "Cache-Control: no-store\r\n";
    reply.bytes += "Connection: close\r\n";
    reply.bytes += extraHeaders;
    reply.bytes += "\r\n";
    reply.bytes += body;
    return reply;
}

HttpReply HttpReply::redirect(const std::string& location, int code) {
    return withStatus(code, code == 301 ? "Moved Permanently" : "Found", std::string(),
                      "Location: " + location + "\r\n", "text/plain");
}

HttpReply HttpReply::head(const std::string& headers) {
    HttpReply reply;
    reply.bytes = "HTTP/1.1 200 OK\r\n" + headers + "Connection: close\r\n\r\n";
    return reply;
}

HttpReply HttpReply::raw(const std::string& bytes) {
    HttpReply reply;
    reply.bytes = bytes;
    return reply;
}

TestHttpServer::~TestHttpServer() { stop(); }

bool TestHttpServer::start() {
    if (listener_ != INVALID_SOCKET) return true;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    winsockStarted_ = true;

    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
        return false;
    }
    port_ = ntohs(address.sin_port);
    stopping_ = false;
    acceptor_ = std::thread([this] { acceptLoop(); });
    return true;
}

void TestHttpServer::stop() {
    stopping_ = true;
    if (acceptor_.joinable()) acceptor_.join();
    if (listener_ != INVALID_SOCKET) {
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
    }
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (SOCKET connection : connections_) shutdown(connection, SD_BOTH);
        workers.swap(workers_);
    }
    for (auto& worker : workers) worker.join();
    if (winsockStarted_) {
        WSACleanup();
        winsockStarted_ = false;
    }
}

std::string TestHttpServer::url(const std::string& pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
}

void TestHttpServer::setReply(const std::string& path, const HttpReply& reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = reply;
}

void TestHttpServer::setHandler(Handler handler) {
    std::lock_guard<std::mutex> lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<HttpRequestSeen> TestHttpServer::requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

std::size_t TestHttpServer::openConnections() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return connections_.size();
}

void TestHttpServer::acceptLoop() {
    while (!stopping_) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(listener_, &readable);
        timeval wait{0, 50 * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        SOCKET connection = accept(listener_, nullptr, nullptr);
        if (connection == INVALID_SOCKET) continue;
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.push_back(connection);
        workers_.emplace_back([this, connection] { serve(connection); });
    }
}

bool TestHttpServer::sleepUnlessStopping(int ms) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stopping_) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        Sleep(static_cast<DWORD>(std::min<long long>(left, 20)));
    }
    return false;
}

HttpReply TestHttpServer::replyFor(const HttpRequestSeen& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handler_) return handler_(request);
    auto found = replies_.find(request.path);
    if (found != replies_.end()) return found->second;
    return HttpReply::withStatus(404, "Not Found", "not found", std::string(), "text/plain");
}

void TestHttpServer::sendFiller(SOCKET connection, const HttpReply& reply) {
    const std::size_t pieceSize = std::max<std::size_t>(1, std::min<std::size_t>(reply.fillerPiece, 64 * 1024));
    const std::string piece(pieceSize, ' ');
    std::size_t left = reply.fillerBytes;
    while (left > 0 && !stopping_) {
        const std::size_t count = std::min(left, piece.size());
        const int done = send(connection, piece.data(), static_cast<int>(count), 0);
        if (done <= 0) return;  // the client hung up
        if (reply.fillerBytes != HttpReply::kEndless) left -= static_cast<std::size_t>(done);
        if (reply.fillerPauseMs > 0 && !sleepUnlessStopping(reply.fillerPauseMs)) return;
    }
}

void TestHttpServer::serve(SOCKET connection) {
    // Read the request head (a GET has no body).
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (received.find("\r\n\r\n") == std::string::npos && !stopping_ &&
           std::chrono::steady_clock::now() < deadline) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(connection, &readable);
        timeval wait{0, 50 * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        char chunk[2048];
        const int got = recv(connection, chunk, sizeof chunk, 0);
        if (got <= 0) break;
        received.append(chunk, static_cast<std::size_t>(got));
    }

    const std::size_t headEnd = received.find("\r\n\r\n");
    if (headEnd != std::string::npos) {
        HttpRequestSeen request;
        const std::size_t lineEnd = received.find("\r\n");
        const std::string line = received.substr(0, lineEnd);
        const std::size_t space1 = line.find(' ');
        const std::size_t space2 = line.find(' ', space1 == std::string::npos ? 0 : space1 + 1);
        if (space1 != std::string::npos) {
            request.method = line.substr(0, space1);
            request.target = line.substr(space1 + 1, space2 == std::string::npos
                                                         ? std::string::npos
                                                         : space2 - space1 - 1);
        }
        const std::size_t mark = request.target.find('?');
        request.path = request.target.substr(0, mark);
        if (mark != std::string::npos) request.query = request.target.substr(mark + 1);
        if (lineEnd < headEnd) request.headers = received.substr(lineEnd + 2, headEnd - lineEnd - 2);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
        }

        const HttpReply reply = replyFor(request);
        if (reply.delayMs <= 0 || sleepUnlessStopping(reply.delayMs)) {
            const std::size_t total = std::min(reply.bytes.size(), reply.cutAfter);
            std::size_t sent = 0;
            bool open = true;
            while (sent < total && !stopping_) {
                const int count = static_cast<int>(std::min<std::size_t>(total - sent, 64 * 1024));
                const int done = send(connection, reply.bytes.data() + sent, count, 0);
                if (done <= 0) {
                    open = false;
                    break;
                }
                sent += static_cast<std::size_t>(done);
            }
            if (open && sent == reply.bytes.size()) sendFiller(connection, reply);
        }
    }

    shutdown(connection, SD_SEND);
    // Let the client read everything before the socket goes away.
    char drain[256];
    for (int i = 0; i < 20 && !stopping_; ++i) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(connection, &readable);
        timeval wait{0, 50 * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) > 0 &&
            recv(connection, drain, sizeof drain, 0) <= 0)
            break;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    closesocket(connection);
    connections_.erase(std::remove(connections_.begin(), connections_.end(), connection),
                       connections_.end());
}

}  // namespace tarvo_test
