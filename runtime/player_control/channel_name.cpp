#include "channel_name.h"

#include <string>

namespace ziv {
namespace {
int HexValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Percent-escapes are UTF-8 bytes; '+' is a space. Malformed escapes stay as they are.
std::wstring DecodeQueryValue(const std::wstring& text) {
    std::string bytes;
    std::wstring out;
    auto flush = [&] {
        size_t i = 0;
        while (i < bytes.size()) {
            unsigned char lead = static_cast<unsigned char>(bytes[i]);
            int extra = lead < 0x80 ? 0 : (lead >> 5) == 6 ? 1 : (lead >> 4) == 14 ? 2 : (lead >> 3) == 30 ? 3 : -1;
            if (extra < 0 || i + static_cast<size_t>(extra) >= bytes.size() + (extra == 0 ? 1 : 0)) {
                out += static_cast<wchar_t>(0xFFFD);
                ++i;
                continue;
            }
            char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
            for (int k = 1; k <= extra; ++k) c = (c << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
            if (sizeof(wchar_t) == 2 && c >= 0x10000) {
                c -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (c >> 10));
                out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
            } else {
                out += static_cast<wchar_t>(c);
            }
            i += static_cast<size_t>(extra) + 1;
        }
        bytes.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
            bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
            continue;
        }
        flush();
        out += text[i] == L'+' ? L' ' : text[i];
    }
    flush();
    return out;
}
}  // namespace

std::wstring ChannelNameFromUrl(const std::wstring& url) {
    std::wstring rest = url;
    size_t scheme = rest.find(L"://");
    if (scheme != std::wstring::npos) rest = rest.substr(scheme + 3);
    size_t fragment = rest.find(L'#');
    if (fragment != std::wstring::npos) rest.resize(fragment);
    std::wstring query;
    size_t question = rest.find(L'?');
    if (question != std::wstring::npos) {
        query = rest.substr(question + 1);
        rest.resize(question);
    }
    for (size_t start = 0; start <= query.size();) {
        size_t end = query.find(L'&', start);
        if (end == std::wstring::npos) end = query.size();
        std::wstring pair = query.substr(start, end - start);
        if (pair.compare(0, 5, L"name=") == 0 && pair.size() > 5) return DecodeQueryValue(pair.substr(5));
        start = end + 1;
    }
    size_t slash = rest.find(L'/');
    std::wstring authority = slash == std::wstring::npos ? rest : rest.substr(0, slash);
    std::wstring path = slash == std::wstring::npos ? std::wstring() : rest.substr(slash);
    while (!path.empty() && path.back() == L'/') path.pop_back();
    size_t last = path.find_last_of(L'/');
    if (last != std::wstring::npos && last + 1 < path.size()) return DecodeQueryValue(path.substr(last + 1));
    size_t at = authority.find_last_of(L'@');
    return at == std::wstring::npos ? authority : authority.substr(at + 1);
}

std::wstring ChannelNameFromFile(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace ziv
