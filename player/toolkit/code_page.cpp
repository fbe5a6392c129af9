#include "code_page.h"

#include <windows.h>

namespace tk {

std::string WideToCodePage(const std::wstring& text, unsigned codePage) {
    if (text.empty()) return std::string();
    int length = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::wstring CodePageToWide(const std::string& bytes, unsigned codePage) {
    if (bytes.empty()) return std::wstring();
    int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

}  // namespace tk
