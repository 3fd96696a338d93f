// Text conversion for the tests and tools: the launcher's text is ANSI (the
// system code page); text read from other processes comes as wide text.
// Header only, so that the benchmark tools can use it without the test
// library.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

namespace tarvo_test {

// Wide text converted to the ANSI code page, up to its first NUL.
inline std::string ansiFromWide(const std::wstring& text) {
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &ansi[0], bytes, nullptr, nullptr);
    ansi.resize(std::strlen(ansi.c_str()));
    return ansi;
}

}  // namespace tarvo_test
