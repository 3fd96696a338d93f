#include "service/text_convert_win.h"

#include <windows.h>

#include <vector>

namespace {

// Multibyte text in `codePage`, up to its first zero byte, to wide text.
std::wstring toWide(const char* text, UINT codePage) {
    const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    MultiByteToWideChar(codePage, 0, text, -1, buffer.data(), length);
    return std::wstring(buffer.data());
}

// Wide text, up to its first zero character, to the ANSI code page.
std::string toAnsi(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), length, nullptr, nullptr);
    return std::string(buffer.data());
}

}  // namespace

std::string Utf8ToAnsi(const std::string& text, unsigned codePage) {
    // c_str() stops both conversions at the first zero byte.
    const std::wstring wide = toWide(text.c_str(), codePage);
    return toAnsi(wide.c_str());
}

std::wstring AnsiToWide(const std::string& text) {
    return toWide(text.c_str(), CP_ACP);
}

std::string WideToAnsi(const std::wstring& text) {
    return toAnsi(text.c_str());
}
