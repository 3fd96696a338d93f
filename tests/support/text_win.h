// Text conversion for the tests and tools: text is read from windows as wide
// text and compared as UTF-8, the same on every system locale.
// Header only, so that the benchmark tools can use it without the test
// library.
#pragma once

#include <windows.h>

#include <string>

namespace tarvo_test {

// Wide text as UTF-8, all of it: what tests compare, whatever the system's
// code page.
inline std::string utf8FromWide(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int count = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), count, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

}  // namespace tarvo_test
