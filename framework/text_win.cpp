#include "framework/text_win.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace tarvo {

namespace {

// Each converts `size` units of `text` in one call, zero units included;
// no units give empty text.
std::wstring multiByteToWide(UINT codePage, const char* text, std::size_t size) {
    if (size == 0) return std::wstring();
    const int count = static_cast<int>(std::min<std::size_t>(size, 0x7FFFFFFF));
    const int length = MultiByteToWideChar(codePage, 0, text, count, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text, count, &wide[0], length);
    return wide;
}

std::string wideToMultiByte(UINT codePage, const wchar_t* text, std::size_t size) {
    if (size == 0) return std::string();
    const int count = static_cast<int>(std::min<std::size_t>(size, 0x7FFFFFFF));
    const int length = WideCharToMultiByte(codePage, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return std::string();
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(codePage, 0, text, count, &bytes[0], length, nullptr, nullptr);
    return bytes;
}

}  // namespace

std::wstring utf8ToWide(const std::string& text) {
    return multiByteToWide(CP_UTF8, text.data(), text.size());
}

std::string wideToUtf8(const std::wstring& text) {
    return wideToMultiByte(CP_UTF8, text.data(), text.size());
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
    // Up to the first zero byte; the wide text then holds no zero either.
    const std::wstring wide = multiByteToWide(codePage, text.c_str(), std::strlen(text.c_str()));
    return wideToMultiByte(CP_ACP, wide.data(), wide.size());
}

std::wstring ansiToWide(const std::string& text) {
    return multiByteToWide(CP_ACP, text.data(), text.size());
}

} // namespace tarvo
