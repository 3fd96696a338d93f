// The network libraries (URL loading, its cache and sockets), loaded when the
// download first needs them rather than at process start, so that the
// launcher window does not wait for them. They come from the system
// directory only, never from the current or the launcher's directory.
#pragma once

#include <windows.h>
#include <urlmon.h>

namespace net {

struct Library {
    decltype(&::CreateURLMonikerEx) createUrlMonikerEx = nullptr;
    decltype(&::CreateAsyncBindCtx) createAsyncBindCtx = nullptr;
    decltype(&::RevokeBindStatusCallback) revokeBindStatusCallback = nullptr;
    BOOL(WINAPI* deleteUrlCacheEntryA)(LPCSTR) = nullptr;
    BOOL(WINAPI* deleteUrlCacheEntryW)(LPCWSTR) = nullptr;
    HMODULE sockets = nullptr;

    // Whether the URL loader's functions were all found.
    bool canBind() const { return createUrlMonikerEx && createAsyncBindCtx && revokeBindStatusCallback; }
};

// Loads the libraries on the first call (from any thread); later calls give
// the same functions. A function that could not be found stays null.
const Library& library();

// Starts the sockets library for this thread (version 1.1) and ends it again;
// stopSockets only after a startSockets that returned true.
bool startSockets();
void stopSockets();

// The sockets library for this thread, ended again on scope exit when it
// started.
class ScopedSockets {
public:
    ScopedSockets() : started_(startSockets()) {}
    ~ScopedSockets() {
        if (started_) stopSockets();
    }
    ScopedSockets(const ScopedSockets&) = delete;
    ScopedSockets& operator=(const ScopedSockets&) = delete;
    bool ok() const { return started_; }

private:
    bool started_;
};

} // namespace net
