// Conversions between the ANSI code page, UTF-8 and wide (UTF-16) text: the
// one place where text changes its encoding.
//
// Invalid input and characters the target cannot hold become the
// platform's replacement characters; a conversion never fails (an unusable
// code page gives empty text).
#pragma once

#include <cstddef>
#include <string>

namespace tarvo {

// Text in `codePage` (UTF-8 by default) to the ANSI code page, up to the
// input's first zero byte.
std::string utf8ToAnsi(const std::string& text, unsigned codePage = 65001);

// ANSI code page text to wide text, all of it (zero bytes included).
std::wstring ansiToWide(const std::string& text);
// Wide text, up to its first zero character, to the ANSI code page.
std::string wideToAnsi(const std::wstring& text);

// The start of `length` wide characters in the ANSI code page, at most
// `maxBytes` long and cut before a character that would not fit whole (a
// two-byte character, or a surrogate pair, is never split). Only as much of
// the input is converted as can fit. Zero characters within `length` are
// converted like any other.
std::string wideToAnsiPrefix(const wchar_t* text, std::size_t length, std::size_t maxBytes);

} // namespace tarvo
