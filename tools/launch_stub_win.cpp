// Stand-in for Launch.exe, the program that the launcher starts when the
// player leaves through the exit panel.
//
// It appends its exact command line and its current directory (two lines) to
// the file named by TARVO_STUB_LOG, if set, then waits TARVO_STUB_LINGER_MS
// milliseconds (default 0) and exits with TARVO_STUB_EXIT_CODE (default 0).

#include <windows.h>

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

long envInt(const char* name, long fallback) {
    std::string v = envString(name);
    if (v.empty()) return fallback;
    char* end = nullptr;
    long r = std::strtol(v.c_str(), &end, 10);
    return (end && *end == '\0') ? r : fallback;
}

std::string currentDirectory() {
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return std::string();
    std::vector<char> buf(n + 1);
    DWORD got = GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
    return std::string(buf.data(), got < buf.size() ? got : 0);
}

// One write per record, so concurrent writers never interleave.
void appendLog(const std::string& text) {
    std::string path = envString("TARVO_STUB_LOG");
    if (path.empty()) return;
    HANDLE f = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* cmdLine = GetCommandLineA();
    appendLog(std::string(cmdLine ? cmdLine : "") + "\n" + currentDirectory() + "\n");
    long linger = envInt("TARVO_STUB_LINGER_MS", 0);
    if (linger > 0) Sleep(static_cast<DWORD>(linger));
    return static_cast<int>(envInt("TARVO_STUB_EXIT_CODE", 0));
}
