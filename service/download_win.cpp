#include "service/download_win.h"

#include <wininet.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "service/net_library_win.h"
#include "service/text_convert_win.h"

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

CBindStatusCallback::~CBindStatusCallback() {
    if (binding_) binding_->Release();
}

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

STDMETHODIMP_(ULONG) CBindStatusCallback::AddRef() { return 1; }

STDMETHODIMP_(ULONG) CBindStatusCallback::Release() { return 1; }

STDMETHODIMP CBindStatusCallback::OnStartBinding(DWORD, IBinding* binding) {
    if (binding) binding->AddRef();
    if (binding_) binding_->Release();
    binding_ = binding;
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
        redirects_.emplace_back(statusText);
        if (bindFlags_ & BINDF_GETNEWESTVERSION) forgetCachedCopy(statusText);
    }
    return S_OK;
}

STDMETHODIMP CBindStatusCallback::OnStopBinding(HRESULT result, LPCWSTR) {
    if (binding_) {
        binding_->Release();
        binding_ = nullptr;
    }
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

STDMETHODIMP CDownloadCallback::OnDataAvailable(DWORD, DWORD size, FORMATETC*,
                                                STGMEDIUM* medium) {
    if (size == 0) return S_OK;
    if (!medium || medium->tymed != TYMED_ISTREAM || !medium->pstm) return S_OK;

    IStream* stream = medium->pstm;
    char chunk[1024];
    for (;;) {
        ULONG read = 0;
        const HRESULT hr = stream->Read(chunk, sizeof chunk, &read);
        if (read > sizeof chunk) read = 0;  // never trust an impossible count
        if (read > 0) reply_.append(chunk, read);
        if (hr != S_OK || read == 0) break;
    }
    return S_OK;
}

namespace {

// The body length that the reply's headers announce, or -1: none, or the
// body is content-encoded (the announced length is then not what arrives).
long long announcedBodyLength(IBinding* binding) {
    if (!binding) return -1;
    IWinInetHttpInfo* info = nullptr;
    if (FAILED(binding->QueryInterface(IID_IWinInetHttpInfo, reinterpret_cast<void**>(&info))) ||
        !info)
        return -1;

    long long length = -1;
    char text[64] = {};
    DWORD size = sizeof text - 1;
    if (info->QueryInfo(HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr, nullptr) == S_OK) {
        text[std::min<DWORD>(size, sizeof text - 1)] = '\0';
        char* end = nullptr;
        const long long value = std::strtoll(text, &end, 10);
        if (end != text && *end == '\0' && value >= 0) length = value;
    }
    char encoding[64] = {};
    size = sizeof encoding - 1;
    if (info->QueryInfo(HTTP_QUERY_CONTENT_ENCODING, encoding, &size, nullptr, nullptr) == S_OK) {
        encoding[std::min<DWORD>(size, sizeof encoding - 1)] = '\0';
        if (encoding[0] != '\0' && lstrcmpiA(encoding, "identity") != 0) length = -1;
    }
    info->Release();
    return length;
}

}  // namespace

STDMETHODIMP CDownloadCallback::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                           LPCWSTR statusText) {
    if (statusCode == BINDSTATUS_BEGINDOWNLOADDATA) announcedLength_ = announcedBodyLength(binding_);
    return CBindStatusCallback::OnProgress(progress, progressMax, statusCode, statusText);
}

// ---------------------------------------------------------------------------
// The binding

namespace {

// After an abort, how long the loader gets to report the stop.
constexpr DWORD kAbortGraceMs = 5000;

template <typename T>
void releaseAndClear(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// Dispatches this thread's messages until the callback reports the stop of
// the binding. At the time limit the binding is aborted; if the loader does
// not report the stop within a grace period after that, gives up. Returns
// false when the limit was reached. A WM_QUIT taken from the queue on the
// way is put back afterwards.
bool pumpUntilStopped(CBindStatusCallback& callback, DWORD timeLimitMs) {
    const DWORD start = GetTickCount();
    bool aborted = false;
    bool sawQuit = false;
    WPARAM quitCode = 0;

    while (!callback.bindingStopped()) {
        const DWORD elapsed = GetTickCount() - start;
        const DWORD limit = !aborted ? timeLimitMs
                            : timeLimitMs > MAXDWORD - kAbortGraceMs ? MAXDWORD
                                                                     : timeLimitMs + kAbortGraceMs;
        if (elapsed >= limit) {
            if (aborted) break;
            aborted = true;
            if (IBinding* binding = callback.binding()) binding->Abort();
            continue;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, limit - elapsed, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                sawQuit = true;
                quitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    if (sawQuit) PostQuitMessage(static_cast<int>(quitCode));
    return !aborted;
}

// Binds `address` to a stream with `callback` and waits until the binding
// has ended: creates the URL moniker and an asynchronous bind context that
// carries the callback, asks the moniker for the stream, then pumps messages
// until the callback has seen the stop. Returns a failure code when the
// binding could not start or reached the time limit; `stillRunning` tells
// whether the loader may still call the callback afterwards.
HRESULT bindAndWait(const std::string& address, CBindStatusCallback& callback,
                    DWORD timeLimitMs, bool& stillRunning) {
    stillRunning = false;
    const std::wstring url = AnsiToWide(address);
    IMoniker* moniker = nullptr;
    IBindCtx* context = nullptr;
    IStream* stream = nullptr;

    const net::Library& loader = net::library();
    if (!loader.canBind()) return E_NOTIMPL;
    HRESULT hr = loader.createUrlMonikerEx(nullptr, url.c_str(), &moniker, URL_MK_UNIFORM);
    if (SUCCEEDED(hr)) hr = loader.createAsyncBindCtx(0, &callback, nullptr, &context);
    if (SUCCEEDED(hr)) {
        hr = moniker->BindToStorage(context, nullptr, IID_IStream,
                                    reinterpret_cast<void**>(&stream));
        if (SUCCEEDED(hr)) {
            if (!pumpUntilStopped(callback, timeLimitMs)) hr = E_ABORT;
            stillRunning = !callback.bindingStopped();
        }
    }

    releaseAndClear(stream);
    if (context) loader.revokeBindStatusCallback(context, &callback);
    releaseAndClear(context);
    releaseAndClear(moniker);
    return hr;
}

}  // namespace

bool DownloadUrlBytes(const std::string& address, std::string& bytes, DWORD timeLimitMs) {
    bytes.clear();

    // The callback lives on the heap so that, should the loader never report
    // the stop of an aborted binding, it can be left to the loader instead
    // of being destroyed under it.
    auto callback = std::make_unique<CDownloadCallback>();

    forgetCachedCopy(address.c_str());  // may not be cached: result not needed

    bool stillRunning = false;
    const HRESULT hr = bindAndWait(address, *callback, timeLimitMs, stillRunning);
    if (stillRunning) {
        callback.release();  // still in the loader's hands
        return false;
    }

    // Some loaders write the reply into the cache despite the bind flags.
    forgetCachedCopy(address.c_str());
    for (const auto& target : callback->redirects()) forgetCachedCopy(target.c_str());

    if (FAILED(hr) || FAILED(callback->bindingResult()) || callback->replyCutShort()) return false;

    bytes = callback->replyBytes();
    return true;
}

bool DownloadUrl(const std::string& address, std::string& reply) {
    reply.clear();
    std::string bytes;
    if (!DownloadUrlBytes(address, bytes)) return false;
    reply = Utf8ToAnsi(bytes, 65001);
    return true;
}
