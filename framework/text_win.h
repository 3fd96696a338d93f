// Conversions between UTF-8, wide (UTF-16) and ANSI code page text: the one
// place where text changes its encoding.
//
// The launcher holds its texts as UTF-8 and hands them to Windows as wide
// text, so that they read right whatever the system's ANSI code page. Only
// what other programs take as bytes (the client's command line, the settings
// file, request addresses) stays in the ANSI code page.
//
// Invalid input and characters the target cannot hold become the
// platform's replacement characters; a conversion never fails (an unusable
// code page gives empty text).
#pragma once

#include <cstddef>
#include <string>

namespace tarvo {

// UTF-8 to wide text, all of it (zero bytes included).
std::wstring utf8ToWide(const std::string& text);
// Wide text to UTF-8, all of it (zero characters included). A lone
// surrogate becomes U+FFFD.
std::string wideToUtf8(const std::wstring& text);

// The start of `length` wide characters that fits in `maxColumns` columns,
// where an ASCII character takes one column and any other character two (as
// wide as it is drawn, and as many bytes as the Chinese code page gives it).
// A surrogate pair is never split. Only the start of the input is read.
std::wstring widePrefixInColumns(const wchar_t* text, std::size_t length, std::size_t maxColumns);

// Text in `codePage` (UTF-8 by default) to the ANSI code page, up to the
// input's first zero byte.
std::string utf8ToAnsi(const std::string& text, unsigned codePage = 65001);

// ANSI code page text to wide text, all of it (zero bytes included).
std::wstring ansiToWide(const std::string& text);

} // namespace tarvo
