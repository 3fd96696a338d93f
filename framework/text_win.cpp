#include "framework/text_win.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace tarvo {

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

// Converts `size` units of `text` in one call; 0 units gives empty text.
std::wstring multiByteToWide(UINT codePage, const char* text, std::size_t size) {
    if (size == 0) return std::wstring();
    const int count = static_cast<int>(std::min<std::size_t>(size, 0x7FFFFFFF));
    const int length = MultiByteToWideChar(codePage, 0, text, count, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text, count, &wide[0], length);
    return wide;
}

}  // namespace

std::wstring utf8ToWide(const std::string& text) {
    return multiByteToWide(CP_UTF8, text.data(), text.size());
}

std::string wideToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int count = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), count, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

std::wstring widePrefixInColumns(const wchar_t* text, std::size_t length, std::size_t maxColumns) {
    if (!text) return std::wstring();
    std::size_t end = 0;
    std::size_t columns = 0;
    while (end < length) {
        const bool pair = IS_HIGH_SURROGATE(text[end]) && end + 1 < length && IS_LOW_SURROGATE(text[end + 1]);
        const std::size_t width = text[end] < 0x80 ? 1 : 2;
        if (columns + width > maxColumns) break;
        columns += width;
        end += pair ? 2 : 1;
    }
    return std::wstring(text, end);
}

std::string utf8ToAnsi(const std::string& text, unsigned codePage) {
    // c_str() stops both conversions at the first zero byte.
    const std::wstring wide = toWide(text.c_str(), codePage);
    return toAnsi(wide.c_str());
}

std::wstring ansiToWide(const std::string& text) {
    return multiByteToWide(CP_ACP, text.data(), text.size());
}

} // namespace tarvo
