// What the stand-in programs share: reading their options from environment
// variables, appending records to the log file that tests read, the
// launcher's messages and window, and the safety net against stray
// processes.
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

// The current directory in UTF-8, whatever the system's code page.
inline std::string currentDirectory() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return std::string();
    std::vector<wchar_t> buf(n + 1);
    DWORD got = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
    if (got == 0 || got >= buf.size()) return std::string();
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, buf.data(), static_cast<int>(got), nullptr, 0, nullptr, nullptr);
    std::string text(bytes > 0 ? bytes : 0, '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, buf.data(), static_cast<int>(got), &text[0], bytes, nullptr, nullptr);
    return text;
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

// The record every started stand-in writes first: its exact command line (in
// the ANSI code page) and its current directory (UTF-8), one line each.
inline void logStart() {
    const char* commandLine = GetCommandLineA();
    appendLog(std::string(commandLine ? commandLine : "") + "\n" + currentDirectory() + "\n");
}

// How long a stand-in lives at most when nobody ends it: TARVO_STUB_MAX_LIFE_MS,
// or ten minutes when that is not a positive number.
inline DWORD maxLifeMs() {
    const long life = envInt("TARVO_STUB_MAX_LIFE_MS", 600000);
    return life > 0 ? static_cast<DWORD>(life) : 600000;
}

// Messages the game client sends to the launcher window.
constexpr UINT kWmGameReady = WM_USER + 0x63;   // the game is ready to be shown
constexpr UINT kWmGameWindow = WM_USER + 0x64;  // wParam = the game window

// The launcher window of any process: top-level, dialog class, titled
// "QuarrionOL"; null when there is none.
inline HWND findLauncherWindow() { return FindWindowA("#32770", "QuarrionOL"); }

} // namespace stub
