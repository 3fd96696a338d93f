#include "service/download_win.h"

#include <winhttp.h>

#include <algorithm>
#include <string_view>

#include "framework/text_win.h"
#include "service/content_coding.h"
#include "service/net_library_win.h"

namespace {

// Owner of one handle of the HTTP client: closing a request handle also
// ends its connection.
class HttpHandle {
public:
    explicit HttpHandle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~HttpHandle() {
        if (handle_) net::library().closeHandle(handle_);
    }
    HttpHandle(const HttpHandle&) = delete;
    HttpHandle& operator=(const HttpHandle&) = delete;

    HINTERNET get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HINTERNET handle_;
};

// The time a download has left, counted from its start.
class Deadline {
public:
    Deadline(DWORD start, DWORD limitMs) : start_(start), limitMs_(limitMs) {}
    DWORD left() const {
        const DWORD elapsed = GetTickCount() - start_;
        return elapsed >= limitMs_ ? 0 : limitMs_ - elapsed;
    }
    bool passed() const { return left() == 0; }

private:
    DWORD start_;
    DWORD limitMs_;
};

// Gives every wait of `handle` that is still to come no more than the time
// that is left. (Zero would mean no limit: a download past its time never
// gets here.)
bool giveTheTimeLeft(HINTERNET handle, const Deadline& deadline) {
    const int left = static_cast<int>(std::min<DWORD>(std::max<DWORD>(deadline.left(), 1), 0x7FFFFFFF));
    const net::Library& http = net::library();
    if (!http.setTimeouts(handle, left, left, left, left)) return false;
    // The wait for the reply's head has a limit of its own on a request
    // (unlimited unless set); a session has none.
    DWORD forTheHead = static_cast<DWORD>(left);
    http.setOption(handle, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &forTheHead, sizeof forTheHead);
    return true;
}

// Why a step of the request failed: at the deadline, or for another reason.
DownloadOutcome failure(const Deadline& deadline) {
    const DWORD error = GetLastError();
    return error == ERROR_WINHTTP_TIMEOUT || deadline.passed() ? DownloadOutcome::timedOut
                                                               : DownloadOutcome::failed;
}

// The agent that the system's browser control names, so the service sees
// the launcher as before; the launcher's own name where there is none.
const std::wstring& userAgent() {
    static const std::wstring agent = [] {
        if (auto obtain = net::library().obtainUserAgentString) {
            char text[512] = {};
            DWORD size = sizeof text;
            if (SUCCEEDED(obtain(0, text, &size)) && text[0]) {
                text[sizeof text - 1] = '\0';
                return tarvo::ansiToWide(text);
            }
        }
        return std::wstring(L"TarvoLaunch");
    }();
    return agent;
}

// A session that goes through the proxy the player set up for the system's
// browser (a fixed one; automatic configuration is not looked at), or
// straight to the server.
HINTERNET openSession() {
    const net::Library& http = net::library();
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG proxy{};
    const bool haveProxy = http.ieProxyConfig && http.ieProxyConfig(&proxy) && proxy.lpszProxy && *proxy.lpszProxy;
    const HINTERNET session =
        haveProxy ? http.open(userAgent().c_str(), WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.lpszProxy,
                              proxy.lpszProxyBypass ? proxy.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0)
                  : http.open(userAgent().c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                              WINHTTP_NO_PROXY_BYPASS, 0);
    for (LPWSTR text : {proxy.lpszAutoConfigUrl, proxy.lpszProxy, proxy.lpszProxyBypass})
        if (text) GlobalFree(text);
    return session;
}

// A reply header's text; empty when the reply has none.
std::wstring replyHeader(HINTERNET request, DWORD which) {
    wchar_t text[256] = {};
    DWORD size = sizeof text - sizeof text[0];
    if (!net::library().queryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, text, &size,
                                     WINHTTP_NO_HEADER_INDEX))
        return {};
    return std::wstring(text, std::min<std::size_t>(size / sizeof text[0], 255));
}

// The length a Content-Length text announces: -1 when there is none that
// counts; lengths too large to hold count as the largest.
long long announcedLength(const std::wstring& text) {
    if (text.empty()) return -1;
    long long value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return -1;
        value = value > (0x7FFFFFFFFFFFFFFFLL - 9) / 10 ? 0x7FFFFFFFFFFFFFFFLL : value * 10 + (c - L'0');
    }
    return value;
}

// The address split for the HTTP client.
struct Target {
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring pathAndQuery;
    bool secure = false;
};

bool splitAddress(const std::string& address, Target& target) {
    const std::wstring url = tarvo::ansiToWide(address);
    if (url.empty()) return false;
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!net::library().crackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    if (!parts.lpszHostName || parts.dwHostNameLength == 0) return false;
    target.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (parts.lpszUrlPath) target.pathAndQuery.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) target.pathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    // A fragment names a place in the page; it is not sent.
    target.pathAndQuery = target.pathAndQuery.substr(0, target.pathAndQuery.find(L'#'));
    if (target.pathAndQuery.empty()) target.pathAndQuery = L"/";
    return true;
}

DownloadOutcome download(const std::string& address, std::string& bytes, const DownloadLimits& limits) {
    const Deadline deadline(GetTickCount(), limits.timeMs);
    const net::Library& http = net::library();
    if (!http.canRequest()) return DownloadOutcome::failed;
    Target target;
    if (!splitAddress(address, target)) return DownloadOutcome::failed;

    const HttpHandle session(openSession());
    if (!session || !giveTheTimeLeft(session.get(), deadline)) return DownloadOutcome::failed;
    const HttpHandle connection(http.connect(session.get(), target.host.c_str(), target.port, 0));
    if (!connection) return DownloadOutcome::failed;
    // Always fresh from the server, through any cache on the way.
    const DWORD flags = WINHTTP_FLAG_REFRESH | (target.secure ? WINHTTP_FLAG_SECURE : 0);
    const HttpHandle request(http.openRequest(connection.get(), L"GET", target.pathAndQuery.c_str(), nullptr,
                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!request) return DownloadOutcome::failed;
    // One request per connection: when the request goes, so does the
    // connection, whatever of the reply is still unread.
    DWORD noKeepAlive = WINHTTP_DISABLE_KEEP_ALIVE;
    http.setOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &noKeepAlive, sizeof noKeepAlive);
    http.addRequestHeaders(request.get(), L"Accept-Encoding: gzip, deflate", static_cast<DWORD>(-1),
                           WINHTTP_ADDREQ_FLAG_ADD);

    if (deadline.passed() || !giveTheTimeLeft(request.get(), deadline)) return DownloadOutcome::timedOut;
    if (!http.sendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return failure(deadline);
    if (deadline.passed() || !giveTheTimeLeft(request.get(), deadline)) return DownloadOutcome::timedOut;
    if (!http.receiveResponse(request.get(), nullptr)) return failure(deadline);

    // A length past the limit ends the download before any of the body is
    // read, whatever the encoding.
    const long long announced = announcedLength(replyHeader(request.get(), WINHTTP_QUERY_CONTENT_LENGTH));
    if (announced >= 0 && static_cast<unsigned long long>(announced) > limits.maxBytes)
        return DownloadOutcome::tooLarge;
    const std::wstring encoding = replyHeader(request.get(), WINHTTP_QUERY_CONTENT_ENCODING);
    std::string encodingName;  // the names of codings are ASCII
    for (wchar_t c : encoding) encodingName.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    const tarvo::ContentCoding coding = tarvo::contentCodingOf(encodingName);

    std::string body;
    char chunk[16 * 1024];
    for (;;) {
        if (deadline.passed() || !giveTheTimeLeft(request.get(), deadline)) return DownloadOutcome::timedOut;
        // Waits for some of the body (no longer than the time left), then
        // takes what has come, so that a reply that trickles in cannot hold
        // one read past the deadline.
        DWORD available = 0;
        if (!http.queryDataAvailable(request.get(), &available)) return failure(deadline);
        if (available == 0) break;  // the whole body is in
        DWORD read = 0;
        if (!http.readData(request.get(), chunk, std::min<DWORD>(available, sizeof chunk), &read))
            return failure(deadline);
        if (read == 0) break;
        if (read > sizeof chunk) return DownloadOutcome::failed;  // never trust an impossible count
        if (read > limits.maxBytes - std::min(limits.maxBytes, body.size())) return DownloadOutcome::tooLarge;
        body.append(chunk, read);
    }
    // The connection was closed part-way.
    if (announced >= 0 && static_cast<unsigned long long>(body.size()) < static_cast<unsigned long long>(announced))
        return DownloadOutcome::failed;

    if (coding == tarvo::ContentCoding::gzip || coding == tarvo::ContentCoding::deflate) {
        std::string decoded;
        switch (tarvo::decodeContent(body, coding, limits.maxBytes, decoded)) {
        case tarvo::DecodeResult::ok: break;
        case tarvo::DecodeResult::tooLarge: return DownloadOutcome::tooLarge;
        case tarvo::DecodeResult::malformed: return DownloadOutcome::failed;
        }
        body.swap(decoded);
    }
    // Any other coding is handed back as it came, as the browser would.
    bytes.swap(body);
    return DownloadOutcome::received;
}

}  // namespace

bool DownloadUrlBytes(const std::string& address, std::string& bytes, const DownloadLimits& limits,
                      DownloadOutcome* outcome) {
    bytes.clear();
    DownloadOutcome result = DownloadOutcome::failed;
    try {
        result = download(address, bytes, limits);
    } catch (...) {
        // Out of memory on the way (the reply itself is limited): a failed
        // download.
        result = DownloadOutcome::failed;
    }
    if (result != DownloadOutcome::received) bytes.clear();
    if (outcome) *outcome = result;
    return result == DownloadOutcome::received;
}

bool DownloadUrl(const std::string& address, std::string& reply) {
    reply.clear();
    std::string bytes;
    if (!DownloadUrlBytes(address, bytes)) return false;
    try {
        reply = tarvo::utf8ToAnsi(bytes);
    } catch (...) {
        reply.clear();
        return false;
    }
    return true;
}
