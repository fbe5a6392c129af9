// UTF-16 <-> a fixed Windows code page (936 for the GBK forms that files and A calls need).
#pragma once

#include <string>

namespace tk {

constexpr unsigned kGbkCodePage = 936;

std::string WideToCodePage(const std::wstring& text, unsigned codePage);
std::wstring CodePageToWide(const std::string& bytes, unsigned codePage);

}  // namespace tk
