#include "service/download_win.h"

#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "framework/barrier_win.h"
#include "service/net_library_win.h"
#include "framework/text_win.h"

namespace {

// Cache entries go through the cache library, loaded on first use.
void forgetCachedCopy(const char* address) {
    if (auto remove = net::library().deleteUrlCacheEntryA) remove(address);
}
void forgetCachedCopy(const wchar_t* address) {
    if (auto remove = net::library().deleteUrlCacheEntryW) remove(address);
}

} // namespace

// ---------------------------------------------------------------------------
// CBindStatusCallback

CBindStatusCallback::CBindStatusCallback() = default;

CBindStatusCallback::~CBindStatusCallback() = default;

STDMETHODIMP CBindStatusCallback::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
        *object = static_cast<IBindStatusCallback*>(this);
    } else if (IsEqualIID(riid, IID_IHttpNegotiate)) {
        *object = static_cast<IHttpNegotiate*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CBindStatusCallback::AddRef() { return addReference(); }

STDMETHODIMP_(ULONG) CBindStatusCallback::Release() { return releaseReference(); }

STDMETHODIMP CBindStatusCallback::OnStartBinding(DWORD, IBinding* binding) {
    if (binding) binding->AddRef();
    binding_.reset(binding);
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::GetPriority(LONG* priority) {
    if (!priority) return E_INVALIDARG;
    *priority = priority_;
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::OnLowResource(DWORD) { return S_OK; }

STDMETHODIMP CBindStatusCallback::OnProgress(ULONG, ULONG, ULONG statusCode,
                                             LPCWSTR statusText) {
    // A redirect goes to another address: make sure that one is fetched
    // fresh as well.
    if (statusCode == BINDSTATUS_REDIRECTING && statusText && *statusText) {
        if (bindFlags_ & BINDF_GETNEWESTVERSION) forgetCachedCopy(statusText);
        tarvo::comBarrier([&] {
            redirects_.emplace_back(statusText);
            return S_OK;
        });
    }
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::OnStopBinding(HRESULT result, LPCWSTR) {
    binding_.reset();
    bindingResult_ = result;
    bindingStopped_ = true;
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) {
    if (!bindFlags || !bindInfo || bindInfo->cbSize == 0) return E_INVALIDARG;
    *bindFlags = bindFlags_;
    const ULONG size = bindInfo->cbSize;
    std::memset(bindInfo, 0, size);
    bindInfo->cbSize = size;
    // The verb lies beyond a truncated structure's end: it is zero (GET)
    // already wherever it exists.
    if (size >= offsetof(BINDINFO, dwBindVerb) + sizeof(bindInfo->dwBindVerb))
        bindInfo->dwBindVerb = bindVerb_;
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) {
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::OnObjectAvailable(REFIID, IUnknown*) { return S_OK; }

STDMETHODIMP CBindStatusCallback::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD,
                                                       LPWSTR* additionalHeaders) {
    if (!additionalHeaders) return E_POINTER;
    *additionalHeaders = nullptr;
    if (additionalHeaders_.empty()) return S_OK;

    return tarvo::comBarrier([&] {
        std::wstring text;
        for (const auto& header : additionalHeaders_) {
            text += header.first;
            text += L": ";
            text += header.second;
            text += L"\r\n";
        }
        const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        auto* block = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
        if (!block) return E_OUTOFMEMORY;
        std::memcpy(block, text.c_str(), bytes);
        *additionalHeaders = block;
        return S_OK;
    });
}

STDMETHODIMP CBindStatusCallback::OnResponse(DWORD, LPCWSTR, LPCWSTR, LPWSTR*) {
    return E_NOTIMPL;
}

void CBindStatusCallback::setAdditionalHeader(const std::wstring& name,
                                              const std::wstring& value) {
    additionalHeaders_[name] = value;
}

// ---------------------------------------------------------------------------
// CDownloadCallback

void CDownloadCallback::abortBinding(DownloadOutcome reason) {
    if (abortRequested()) return;
    abortReason_ = reason == DownloadOutcome::received ? DownloadOutcome::failed : reason;
    if (abortNotice_) abortNotice_->store(abortReason_);
    // The loader may report the stop from inside Abort: keep the binding
    // alive until Abort has returned.
    const tarvo::ComPtr<IBinding> binding = binding_;
    if (binding) binding->Abort();
}

STDMETHODIMP CDownloadCallback::OnStartBinding(DWORD reserved, IBinding* binding) {
    const HRESULT result = CBindStatusCallback::OnStartBinding(reserved, binding);
    if (abortRequested() && binding_) binding_->Abort();
    return result;
}

STDMETHODIMP CDownloadCallback::OnDataAvailable(DWORD, DWORD size, FORMATETC*,
                                                STGMEDIUM* medium) {
    if (abortRequested()) {
        // An abort asked for before any data came (the announced length was
        // too large) is not always heeded by the loader until it is asked
        // again from here, where the data arrives.
        const tarvo::ComPtr<IBinding> binding = binding_;
        if (binding) binding->Abort();
        return S_OK;
    }
    if (size == 0) return S_OK;
    if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm) return S_OK;

    const HRESULT result = tarvo::comBarrier([&] {
        const tarvo::ComPtr<IStream> stream = tarvo::ComPtr<IStream>::borrow(medium->pstm);
        char chunk[1024];
        for (;;) {
            // A stream that always has a little more must still end on time.
            if (pastTimeLimit()) {
                abortBinding(DownloadOutcome::timedOut);
                break;
            }
            ULONG read = 0;
            const HRESULT hr = stream->Read(chunk, sizeof chunk, &read);
            if (read > sizeof chunk) read = 0;  // never trust an impossible count
            if (read > limits_.maxBytes - std::min(limits_.maxBytes, reply_.size())) {
                abortBinding(DownloadOutcome::tooLarge);
                break;
            }
            if (read > 0) reply_.append(chunk, read);
            if (hr != S_OK || read == 0) break;
        }
        return S_OK;
    });
    // Whatever went wrong, the reply is not whole: the download fails.
    if (FAILED(result)) abortBinding(DownloadOutcome::failed);
    return S_OK;
}

namespace {

// What the reply's headers say about its body's length.
struct AnnouncedLength {
    long long contentLength = -1;  // Content-Length, or -1 when there is none
    bool encoded = false;          // the body is content-encoded (compressed)
};

AnnouncedLength readAnnouncedLength(IBinding* binding) {
    AnnouncedLength announced;
    if (!binding) return announced;
    tarvo::ComPtr<IWinInetHttpInfo> info;
    if (FAILED(binding->QueryInterface(IID_IWinInetHttpInfo, reinterpret_cast<void**>(info.put()))) ||
        !info)
        return announced;

    char text[64] = {};
    DWORD size = sizeof text - 1;
    if (info->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr, nullptr) == S_OK) {
        text[std::min<DWORD>(size, sizeof text - 1)] = '\0';
        char* end = nullptr;
        const long long value = std::strtoll(text, &end, 10);  // LLONG_MAX when too long
        if (end != text && *end == '\0' && value >= 0) announced.contentLength = value;
    }
    char encoding[64] = {};
    size = sizeof encoding - 1;
    if (info->QueryInfo(HTTP_QUERY_CONTENT_ENCODING, encoding, &size, nullptr, nullptr) == S_OK) {
        encoding[std::min<DWORD>(size, sizeof encoding - 1)] = '\0';
        announced.encoded = encoding[0] != '\0' && lstrcmpiA(encoding, "identity") != 0;
    }
    return announced;
}

}  // namespace

STDMETHODIMP CDownloadCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                           LPCWSTR statusText) {
    if (statusCode == BINDSTATUS_BEGINDOWNLOADDATA) {
        const AnnouncedLength announced = readAnnouncedLength(binding_.get());
        // The length of an encoded body is not what arrives once decoded.
        announcedLength_ = announced.encoded ? -1 : announced.contentLength;
        if (announced.contentLength >= 0 &&
            static_cast<unsigned long long>(announced.contentLength) > limits_.maxBytes) {
            abortBinding(DownloadOutcome::tooLarge);
        }
    }
    if (pastTimeLimit()) abortBinding(DownloadOutcome::timedOut);
    return CBindStatusCallback::OnProgress(progress, progressMax, statusCode, statusText);
}

// ---------------------------------------------------------------------------
// The binding

namespace {

// After an abort, how long the loader gets to report the stop.
constexpr DWORD kAbortGraceMs = 5000;

// Dispatches this thread's queued messages during a wait. A WM_QUIT among
// them is held back and put back in the queue when the wait is over (when
// this object goes).
class WaitDispatcher {
public:
    WaitDispatcher() = default;
    WaitDispatcher(const WaitDispatcher&) = delete;
    WaitDispatcher& operator=(const WaitDispatcher&) = delete;
    ~WaitDispatcher() {
        if (sawQuit_) PostQuitMessage(static_cast<int>(quitCode_));
    }

    // Dispatches until the queue is empty or `done()` is true.
    template <typename Done>
    void dispatchQueued(Done done) {
        MSG msg;
        while (!done() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                sawQuit_ = true;
                quitCode_ = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }

private:
    bool sawQuit_ = false;
    WPARAM quitCode_ = 0;
};

// Dispatches this thread's messages until the callback reports the stop of
// the binding. At the time limit the binding is aborted. Once aborted (by
// the time limit or by the callback itself), if the loader does not report
// the stop within a grace period, gives up. A WM_QUIT taken from the queue
// on the way is put back afterwards.
void pumpUntilStopped(CDownloadCallback& callback, const DownloadLimits& limits, DWORD start) {
    WaitDispatcher dispatcher;
    bool graceStarted = false;
    DWORD graceStart = 0;

    while (!callback.bindingStopped()) {
        const DWORD now = GetTickCount();
        if (!callback.abortRequested() && now - start >= limits.timeMs)
            callback.abortBinding(DownloadOutcome::timedOut);
        if (callback.abortRequested() && !graceStarted) {
            graceStarted = true;
            graceStart = now;
        }
        if (callback.bindingStopped()) break;

        DWORD wait = 0;
        if (graceStarted) {
            const DWORD waited = now - graceStart;
            if (waited >= kAbortGraceMs) break;
            wait = kAbortGraceMs - waited;
        } else {
            wait = limits.timeMs - (now - start);
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        dispatcher.dispatchQueued([&] { return callback.bindingStopped(); });
    }
}

// Binds `address` to a stream with `callback` and waits until the binding
// has ended: creates the URL moniker and an asynchronous bind context that
// carries the callback, asks the moniker for the stream, then pumps messages
// until the callback has seen the stop. Returns a failure code when the
// binding could not start; `stillRunning` tells whether the loader may still
// call the callback afterwards.
HRESULT bindAndWait(const std::string& address, CDownloadCallback& callback,
                    const DownloadLimits& limits, DWORD start, bool& stillRunning) {
    stillRunning = false;
    const std::wstring url = tarvo::ansiToWide(address);
    tarvo::ComPtr<IMoniker> moniker;
    tarvo::ComPtr<IBindCtx> context;
    tarvo::ComPtr<IStream> stream;

    const net::Library& loader = net::library();
    if (!loader.canBind()) return E_NOTIMPL;
    HRESULT hr = loader.createUrlMonikerEx(nullptr, url.c_str(), moniker.put(), URL_MK_UNIFORM);
    if (SUCCEEDED(hr)) hr = loader.createAsyncBindCtx(0, &callback, nullptr, context.put());
    if (SUCCEEDED(hr)) {
        hr = moniker->BindToStorage(context.get(), nullptr, IID_IStream,
                                    reinterpret_cast<void**>(stream.put()));
        if (SUCCEEDED(hr)) {
            pumpUntilStopped(callback, limits, start);
            stillRunning = !callback.bindingStopped();
        }
    }

    stream.reset();
    if (context) loader.revokeBindStatusCallback(context.get(), &callback);
    context.reset();
    moniker.reset();
    return hr;
}

}  // namespace

namespace {

// Download callbacks that were not freed because the loader still held them.
std::atomic<unsigned> leftToTheLoader{0};

DownloadOutcome download(const std::string& address, std::string& bytes,
                         const DownloadLimits& limits, DWORD start,
                         std::atomic<DownloadOutcome>& abortNotice) {
    // The callback lives on the heap so that, should the loader never report
    // the stop of an aborted binding, it can be left to the loader instead
    // of being destroyed under it.
    auto callback = std::make_unique<CDownloadCallback>(limits, start);
    callback->reportAbortTo(&abortNotice);

    forgetCachedCopy(address.c_str());  // may not be cached: result not needed

    bool stillRunning = false;
    const HRESULT hr = bindAndWait(address, *callback, limits, start, stillRunning);
    // The callback is freed only once the loader holds no reference to it
    // (the owner's one is all that is left); otherwise it stays with the
    // loader, which may still call it.
    const auto leaveToTheLoader = [&] {
        leftToTheLoader.fetch_add(1);
        // The notice goes with this download's thread; the callback outlives both.
        callback->reportAbortTo(nullptr);
        callback.release();
    };
    if (stillRunning) {
        const DownloadOutcome reason = callback->abortReason();
        leaveToTheLoader();
        return reason == DownloadOutcome::received ? DownloadOutcome::failed : reason;
    }

    // Some loaders write the reply into the cache despite the bind flags.
    forgetCachedCopy(address.c_str());
    for (const auto& target : callback->redirects()) forgetCachedCopy(target.c_str());

    DownloadOutcome outcome = DownloadOutcome::received;
    if (callback->abortRequested()) {
        outcome = callback->abortReason();
    } else if (FAILED(hr) || FAILED(callback->bindingResult()) || callback->replyCutShort()) {
        outcome = DownloadOutcome::failed;
    } else {
        bytes = callback->replyBytes();
    }
    if (callback->references() != 1) leaveToTheLoader();
    return outcome;
}

// One download, shared by the thread that runs it and the caller that waits
// for it: whichever is done with it last frees it.
struct DownloadJob {
    std::string address;
    DownloadLimits limits;
    DWORD start = 0;
    std::atomic<DownloadOutcome> abortNotice{DownloadOutcome::received};
    tarvo::UniqueHandle finished{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    // Written by the download's thread before it sets `finished`.
    DownloadOutcome outcome = DownloadOutcome::failed;
    std::string bytes;
};

DWORD WINAPI downloadThread(LPVOID heapJob) {
    const std::unique_ptr<std::shared_ptr<DownloadJob>> handOver(
        static_cast<std::shared_ptr<DownloadJob>*>(heapJob));
    const std::shared_ptr<DownloadJob> job = *handOver;
    try {
        const tarvo::ScopedCom com;
        job->outcome = download(job->address, job->bytes, job->limits, job->start, job->abortNotice);
    } catch (...) {
        // Out of memory on the way (the reply itself is limited): a failed
        // download.
        job->bytes.clear();
        job->outcome = DownloadOutcome::failed;
    }
    SetEvent(job->finished.get());
    return 0;
}

// Waits until the download's thread is done, dispatching this thread's
// messages meanwhile (a WM_QUIT taken on the way is put back afterwards).
// Gives up where the download itself would, and then returns false: at the
// time limit, or once the download was aborted, after the loader's grace
// period. The loader may still hold the download's thread then.
bool waitForDownload(const DownloadJob& job) {
    // How often the abort notice is looked at.
    constexpr DWORD kNoticePollMs = 50;
    WaitDispatcher dispatcher;
    bool graceStarted = false;
    DWORD graceStart = 0;
    bool finished = false;
    HANDLE event = job.finished.get();

    for (;;) {
        if (WaitForSingleObject(event, 0) == WAIT_OBJECT_0) {
            finished = true;
            break;
        }
        const DWORD now = GetTickCount();
        if (!graceStarted && (job.abortNotice.load() != DownloadOutcome::received ||
                              now - job.start >= job.limits.timeMs)) {
            graceStarted = true;
            graceStart = now;
        }
        const DWORD left = graceStarted
                               ? kAbortGraceMs - std::min(kAbortGraceMs, now - graceStart)
                               : job.limits.timeMs - (now - job.start);
        if (left == 0) break;
        MsgWaitForMultipleObjectsEx(1, &event, std::min(left, kNoticePollMs), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        dispatcher.dispatchQueued([] { return false; });
    }
    return finished;
}

// Runs the download on a thread of its own and waits for it.
DownloadOutcome downloadOnItsOwnThread(const std::string& address, std::string& bytes,
                                       const DownloadLimits& limits) {
    auto job = std::make_shared<DownloadJob>();
    job->address = address;
    job->limits = limits;
    job->start = GetTickCount();
    if (!job->finished) return DownloadOutcome::failed;

    auto handOver = std::make_unique<std::shared_ptr<DownloadJob>>(job);
    const tarvo::UniqueHandle thread(CreateThread(nullptr, 0, downloadThread, handOver.get(), 0, nullptr));
    if (!thread) return DownloadOutcome::failed;
    handOver.release();  // the thread owns it now

    if (!waitForDownload(*job)) {
        // Left to the loader: of the job only the notice is read.
        const DownloadOutcome reason = job->abortNotice.load();
        return reason == DownloadOutcome::received ? DownloadOutcome::timedOut : reason;
    }
    bytes.swap(job->bytes);
    return job->outcome;
}

}  // namespace

bool DownloadUrlBytes(const std::string& address, std::string& bytes,
                      const DownloadLimits& limits, DownloadOutcome* outcome) {
    bytes.clear();
    DownloadOutcome result = DownloadOutcome::failed;
    try {
        result = downloadOnItsOwnThread(address, bytes, limits);
    } catch (...) {
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

unsigned downloadCallbacksLeftToTheLoader() {
    return leftToTheLoader.load();
}
