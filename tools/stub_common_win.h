// What the stand-in programs share: reading their options from environment
// variables and appending records to the log file that tests read.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace stub {

inline std::string envString(const char* name) {
    DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
    if (n == 0) return std::string();
    std::vector<char> buf(n + 1);
    DWORD got = GetEnvironmentVariableA(name, buf.data(), static_cast<DWORD>(buf.size()));
    return std::string(buf.data(), got < buf.size() ? got : 0);
}

inline long envInt(const char* name, long fallback) {
    std::string v = envString(name);
    if (v.empty()) return fallback;
    char* end = nullptr;
    long r = std::strtol(v.c_str(), &end, 10);
    return (end && *end == '\0') ? r : fallback;
}

inline bool envFlag(const char* name) { return envString(name) == "1"; }

inline std::string currentDirectory() {
    DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return std::string();
    std::vector<char> buf(n + 1);
    DWORD got = GetCurrentDirectoryA(static_cast<DWORD>(buf.size()), buf.data());
    return std::string(buf.data(), got < buf.size() ? got : 0);
}

// Appends the text to the file named by TARVO_STUB_LOG in one write, so that
// several processes logging to the same file never interleave within a record.
inline void appendLog(const std::string& text) {
    std::string path = envString("TARVO_STUB_LOG");
    if (path.empty()) return;
    HANDLE f = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(f);
}

} // namespace stub
