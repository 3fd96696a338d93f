// Downloading one address over HTTP with the system's URL loader.
//
// Each download runs on a thread of its own, which initialises COM (a
// single-threaded apartment) and pumps its messages while the asynchronous
// binding runs. The calling thread waits for it and meanwhile dispatches its
// own messages, so a caller that owns windows keeps answering.
//
// A download lasts at most its time limit (60 s unless the caller passes
// another): then the binding is aborted and the download fails, so a service
// that accepts the connection but never answers, or answers one byte at a
// time, cannot block the caller forever. A reply body may be at most 1 MiB
// (the real replies are a few hundred bytes): a longer body, a longer
// announced length, or a compressed body that inflates past it aborts the
// binding as well. The loader gets 5 s more to confirm an abort. Should it
// not do so (Wine's loader goes on reading an aborted reply to its very end
// on the download's thread, which an endless reply never reaches), the
// caller no longer waits: it returns the failure and leaves the thread, with
// the callback, to the loader (a small leak) rather than destroying anything
// under it.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <atomic>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "framework/handles_win.h"

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
    failed,     // the loader failed, or the reply was cut short
    tooLarge,   // the reply is (or announced itself) longer than allowed
    timedOut,   // the time limit was reached
};

// The download callback: an IBindStatusCallback that is also the binding's
// IHttpNegotiate. The URL loader only borrows it (tarvo::OwnedComObject):
// AddRef and Release always return 1 and never free it; its owner destroys
// it once the binding has stopped. This base implements every operation; its data notification
// ignores the data.
class CBindStatusCallback : public IBindStatusCallback, public IHttpNegotiate, public tarvo::OwnedComObject {
public:
    // ASYNCHRONOUS | ASYNCSTORAGE | GETNEWESTVERSION | NOWRITECACHE |
    // PULLDATA | RESYNCHRONIZE. The callback pulls every notified byte from
    // the stream. Without PULLDATA, Wine's URL loader ignores NOWRITECACHE
    // and writes every reply to a cache file: an endless reply, which it
    // reads on after the abort, would fill the player's disk.
    static constexpr DWORD kDefaultBindFlags = 0x2B3;

    CBindStatusCallback();
    virtual ~CBindStatusCallback();

    CBindStatusCallback(const CBindStatusCallback&) = delete;
    CBindStatusCallback& operator=(const CBindStatusCallback&) = delete;

    // IUnknown, shared by both interfaces.
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IBindStatusCallback.
    STDMETHODIMP OnStartBinding(DWORD reserved, IBinding* binding) override;
    STDMETHODIMP GetPriority(LONG* priority) override;
    STDMETHODIMP OnLowResource(DWORD reserved) override;
    STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                            LPCWSTR statusText) override;
    STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR errorText) override;
    STDMETHODIMP GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) override;
    STDMETHODIMP OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                 STGMEDIUM* medium) override;
    STDMETHODIMP OnObjectAvailable(REFIID riid, IUnknown* object) override;

    // IHttpNegotiate.
    STDMETHODIMP BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                      LPWSTR* additionalHeaders) override;
    STDMETHODIMP OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                            LPWSTR* additionalRequestHeaders) override;

    // Adds (or replaces) a request header that BeginningTransaction hands
    // out. The download itself adds none.
    void setAdditionalHeader(const std::wstring& name, const std::wstring& value);

    // Addresses that the binding was redirected to, in order.
    const std::vector<std::wstring>& redirects() const { return redirects_; }

    HRESULT bindingResult() const { return bindingResult_; }
    bool bindingStopped() const { return bindingStopped_; }
    IBinding* binding() const { return binding_.get(); }
    DWORD bindFlags() const { return bindFlags_; }

protected:
    HRESULT bindingResult_ = S_OK;
    tarvo::ComPtr<IBinding> binding_;
    DWORD bindVerb_ = BINDVERB_GET;
    DWORD bindFlags_ = kDefaultBindFlags;
    LONG priority_ = 0;
    std::map<std::wstring, std::wstring> additionalHeaders_;
    bool bindingStopped_ = false;
    std::vector<std::wstring> redirects_;
};

// The callback of one download: collects the reply bytes in arrival order,
// within the download's limits.
class CDownloadCallback : public CBindStatusCallback {
public:
    CDownloadCallback() = default;
    // Limits counted from `startTick` (GetTickCount).
    CDownloadCallback(const DownloadLimits& limits, DWORD startTick)
        : limits_(limits), startTick_(startTick) {}

    // Reads everything the stream has for now, in chunks of at most 1024
    // bytes, until the stream reports that it has no more (S_FALSE,
    // E_PENDING, a failure or zero bytes). The notification's size is not
    // used as a count, so it may be the total since the binding started or
    // the amount newly available. A reply that would grow past the byte
    // limit, or a read past the time limit, aborts the binding.
    STDMETHODIMP OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                                 STGMEDIUM* medium) override;

    // As the base; besides, once the reply's data begins, notes the length
    // that the reply's headers announce (Content-Length, when the body is
    // not content-encoded), so that a reply cut short can be told apart from
    // a whole one. A Content-Length above the byte limit aborts the binding,
    // whatever the encoding.
    STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                            LPCWSTR statusText) override;

    // As the base; an abort asked for before the binding started is carried
    // out as soon as it starts.
    STDMETHODIMP OnStartBinding(DWORD reserved, IBinding* binding) override;

    // Asks the loader to end the binding, once; the download then counts as
    // failed for `reason` (tooLarge, timedOut or failed).
    void abortBinding(DownloadOutcome reason);
    bool abortRequested() const { return abortReason_ != DownloadOutcome::received; }
    // Why the binding was aborted; `received` when it was not.
    DownloadOutcome abortReason() const { return abortReason_; }
    // From now on, an abort is also stored in `notice` as it is asked for,
    // for a thread that waits for this binding's thread.
    void reportAbortTo(std::atomic<DownloadOutcome>* notice) { abortNotice_ = notice; }

    const std::string& replyBytes() const { return reply_; }

    // The announced length, or -1 when the headers give none that counts.
    long long announcedLength() const { return announcedLength_; }
    // True when a length was announced and fewer bytes arrived.
    bool replyCutShort() const {
        return announcedLength_ >= 0 &&
               static_cast<unsigned long long>(reply_.size()) <
                   static_cast<unsigned long long>(announcedLength_);
    }

private:
    bool pastTimeLimit() const { return GetTickCount() - startTick_ >= limits_.timeMs; }

    DownloadLimits limits_;
    DWORD startTick_ = GetTickCount();
    DownloadOutcome abortReason_ = DownloadOutcome::received;
    std::atomic<DownloadOutcome>* abortNotice_ = nullptr;
    std::string reply_;
    long long announcedLength_ = -1;
};

// Fetches `address` (ANSI code page) with a GET request, always fresh from
// the server (the cache entry is removed first and nothing is written to the
// cache; should the loader write it there all the same, the entries of the
// address and of any redirect target are removed again afterwards). On
// success returns true with the reply body's bytes exactly as received
// (whatever the HTTP status, when the loader delivers the body). Returns
// false with `bytes` empty when the binding fails, passes one of the limits,
// or delivers fewer bytes than the reply's Content-Length announced (the
// connection was closed part-way). `outcome`, when given, tells which.
bool DownloadUrlBytes(const std::string& address, std::string& bytes,
                      const DownloadLimits& limits = DownloadLimits(),
                      DownloadOutcome* outcome = nullptr);

// As DownloadUrlBytes, with the body converted from UTF-8 to the ANSI code
// page (and so cut at its first zero byte).
bool DownloadUrl(const std::string& address, std::string& reply);

// How many download callbacks this process has left to the loader so far
// instead of freeing them: a callback is freed only once the loader has
// released every reference it took (one for each abandoned download, whose
// binding the loader never reported stopped).
unsigned downloadCallbacksLeftToTheLoader();
