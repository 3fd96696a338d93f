// Text conversion for the tests and tools. Text read from windows (also of
// other processes) is asked as wide text and handed to the tests as UTF-8,
// so that what a test compares does not depend on the system's code page.
// Header only, so that the benchmark tools can use it without the test
// library.
#pragma once

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace tarvo_test {

// Wide text converted to UTF-8, up to its first NUL.
inline std::string utf8FromWide(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(std::strlen(utf8.c_str()));
    return utf8;
}

// UTF-8 text converted to wide text, up to its first NUL.
inline std::wstring wideFromUtf8(const std::string& text) {
    const int chars = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(chars > 0 ? chars : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], chars);
    wide.resize(std::wcslen(wide.c_str()));
    return wide;
}

}  // namespace tarvo_test
