// Conversions between the ANSI code page, UTF-8 and wide text.
#pragma once

#include <string>

// Converts text in `codePage` (UTF-8 by default) to the system's ANSI code
// page. The input is taken up to its first zero byte. Invalid input and
// characters the ANSI code page lacks become the platform's replacement
// characters; the conversion never fails (an unusable code page gives "").
std::string Utf8ToAnsi(const std::string& text, unsigned codePage = 65001);

// ANSI code page text to wide text and back, up to the first zero character.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
