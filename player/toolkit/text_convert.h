// Text conversions that need no operating system: UTF-8 <-> UTF-16 (std::wstring holds UTF-16
// on Windows and UTF-32 natively; both are handled) and ASCII-only case folding for names and
// keys, which leaves GBK and other non-ASCII bytes alone.
#pragma once

#include <string>

namespace tk {

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

wchar_t AsciiLower(wchar_t c);
std::wstring AsciiLowerCase(std::wstring text);
std::wstring AsciiUpperCase(std::wstring text);
bool SameTextAscii(const std::wstring& a, const std::wstring& b);

}  // namespace tk
