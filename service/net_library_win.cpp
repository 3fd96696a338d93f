#include "service/net_library_win.h"

#include <string>

namespace net {

namespace {

HMODULE loadSystemLibrary(const wchar_t* name) {
    std::wstring directory(MAX_PATH, L'\0');
    UINT length = ::GetSystemDirectoryW(&directory[0], static_cast<UINT>(directory.size()));
    if (length >= directory.size()) {  // too small: the length asked for includes the terminator
        directory.resize(length);
        length = ::GetSystemDirectoryW(&directory[0], static_cast<UINT>(directory.size()));
    }
    if (length == 0 || length >= directory.size()) return nullptr;
    directory.resize(length);
    return ::LoadLibraryW((directory + L"\\" + name).c_str());
}

template <typename Function>
void find(HMODULE module, const char* name, Function& function) {
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

Library loadLibrary() {
    // Kept for the life of the process, like the libraries linked at start.
    const HMODULE http = loadSystemLibrary(L"winhttp.dll");
    const HMODULE urlmon = loadSystemLibrary(L"urlmon.dll");
    Library library;
    find(http, "WinHttpOpen", library.open);
    find(http, "WinHttpConnect", library.connect);
    find(http, "WinHttpOpenRequest", library.openRequest);
    find(http, "WinHttpAddRequestHeaders", library.addRequestHeaders);
    find(http, "WinHttpSendRequest", library.sendRequest);
    find(http, "WinHttpReceiveResponse", library.receiveResponse);
    find(http, "WinHttpQueryHeaders", library.queryHeaders);
    find(http, "WinHttpQueryDataAvailable", library.queryDataAvailable);
    find(http, "WinHttpReadData", library.readData);
    find(http, "WinHttpSetTimeouts", library.setTimeouts);
    find(http, "WinHttpSetOption", library.setOption);
    find(http, "WinHttpCloseHandle", library.closeHandle);
    find(http, "WinHttpCrackUrl", library.crackUrl);
    find(http, "WinHttpGetIEProxyConfigForCurrentUser", library.ieProxyConfig);
    find(urlmon, "ObtainUserAgentString", library.obtainUserAgentString);
    return library;
}

} // namespace

const Library& library() {
    static const Library loaded = loadLibrary();
    return loaded;
}

} // namespace net
