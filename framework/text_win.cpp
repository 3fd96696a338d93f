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

}  // namespace

std::string utf8ToAnsi(const std::string& text, unsigned codePage) {
    // c_str() stops both conversions at the first zero byte.
    const std::wstring wide = toWide(text.c_str(), codePage);
    return toAnsi(wide.c_str());
}

std::wstring ansiToWide(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int size = static_cast<int>(std::min<std::size_t>(text.size(), 0x7FFFFFFF));
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
    return wide;
}

std::string wideToAnsi(const std::wstring& text) {
    return toAnsi(text.c_str());
}

std::string wideToAnsiPrefix(const wchar_t* text, std::size_t length, std::size_t maxBytes) {
    if (!text) return std::string();
    // Every character takes at least one byte.
    std::size_t count = std::min(length, maxBytes);
    if (count > 0 && count < length && IS_HIGH_SURROGATE(text[count - 1])) --count;
    if (count == 0) return std::string();
    const int wide = static_cast<int>(count);
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string result(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, wide, &result[0], bytes, nullptr, nullptr);

    // Walk whole characters (a lead byte and its trail byte count as one).
    std::size_t end = 0;
    while (end < result.size()) {
        const std::size_t size = ::IsDBCSLeadByte(static_cast<BYTE>(result[end])) ? 2 : 1;
        if (end + size > maxBytes || end + size > result.size()) break;
        end += size;
    }
    result.resize(end);
    return result;
}

} // namespace tarvo
