// Stand-in for the auto-patcher process, TarvoRiftOnlineAutoPatch.exe, that
// the launcher stops at start-up.
//
// It opens no window and only waits until it is terminated. If TARVO_STUB_LOG
// is set, it appends its process id (decimal, one line) to that file first.
// As a safety net against stray processes it ends by itself after
// TARVO_STUB_MAX_LIFE_MS milliseconds (default 600000).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string envString(const char* name) {
    DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
    if (n == 0) return std::string();
    std::vector<char> buf(n + 1);
    DWORD got = GetEnvironmentVariableA(name, buf.data(), static_cast<DWORD>(buf.size()));
    return std::string(buf.data(), got < buf.size() ? got : 0);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string path = envString("TARVO_STUB_LOG");
    if (!path.empty()) {
        char line[32];
        int len = std::snprintf(line, sizeof line, "%lu\n", static_cast<unsigned long>(GetCurrentProcessId()));
        HANDLE f = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(f, line, static_cast<DWORD>(len), &written, nullptr);
            CloseHandle(f);
        }
    }
    std::string lifeText = envString("TARVO_STUB_MAX_LIFE_MS");
    long life = lifeText.empty() ? 600000 : std::strtol(lifeText.c_str(), nullptr, 10);
    if (life <= 0) life = 600000;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(life)) Sleep(200);
    return 0;
}
