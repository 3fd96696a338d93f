// The network libraries (the HTTP client and the browser's user agent), loaded when the
// download first needs them rather than at process start, so that the
// launcher window does not wait for them. They come from the system
// directory only, never from the current or the launcher's directory.
#pragma once

#include <windows.h>
#include <winhttp.h>

namespace net {

struct Library {
    decltype(&::WinHttpOpen) open = nullptr;
    decltype(&::WinHttpConnect) connect = nullptr;
    decltype(&::WinHttpOpenRequest) openRequest = nullptr;
    decltype(&::WinHttpAddRequestHeaders) addRequestHeaders = nullptr;
    decltype(&::WinHttpSendRequest) sendRequest = nullptr;
    decltype(&::WinHttpReceiveResponse) receiveResponse = nullptr;
    decltype(&::WinHttpQueryHeaders) queryHeaders = nullptr;
    decltype(&::WinHttpQueryDataAvailable) queryDataAvailable = nullptr;
    decltype(&::WinHttpReadData) readData = nullptr;
    decltype(&::WinHttpSetTimeouts) setTimeouts = nullptr;
    decltype(&::WinHttpSetOption) setOption = nullptr;
    decltype(&::WinHttpCloseHandle) closeHandle = nullptr;
    decltype(&::WinHttpCrackUrl) crackUrl = nullptr;
    decltype(&::WinHttpGetIEProxyConfigForCurrentUser) ieProxyConfig = nullptr;  // optional
    // The user agent of the system's browser control (optional).
    HRESULT(WINAPI* obtainUserAgentString)(DWORD, LPSTR, DWORD*) = nullptr;

    // Whether the HTTP client's functions were all found.
    bool canRequest() const {
        return open && connect && openRequest && addRequestHeaders && sendRequest && receiveResponse &&
               queryHeaders && queryDataAvailable && readData && setTimeouts && setOption && closeHandle && crackUrl;
    }
};

// Loads the libraries on the first call (from any thread); later calls give
// the same functions. A function that could not be found stays null.
const Library& library();

} // namespace net
