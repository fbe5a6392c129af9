#include "fetch_target.h"

namespace ziv {
namespace {
// Dotted decimal only: four numbers 0-255.
bool ParseIpv4(const std::wstring& text, std::uint32_t& address) {
    std::uint32_t value = 0;
    int parts = 0;
    size_t i = 0;
    while (parts < 4) {
        if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return false;
        unsigned part = 0;
        size_t digits = 0;
        while (i < text.size() && text[i] >= L'0' && text[i] <= L'9' && digits < 4) {
            part = part * 10 + static_cast<unsigned>(text[i] - L'0');
            ++i;
            ++digits;
        }
        if (part > 255) return false;
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (i >= text.size() || text[i] != L'.') return false;
            ++i;
        }
    }
    if (i != text.size()) return false;
    address = value;
    return true;
}

void AppendUtf8Escaped(std::string& out, char32_t c) {
    auto escape = [&out](unsigned byte) {
        static const char kHex[] = "0123456789ABCDEF";
        out += '%';
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    };
    if (c < 0x80) {
        if (c > 0x20 && c < 0x7F) out += static_cast<char>(c);
        else escape(static_cast<unsigned>(c));
    } else if (c < 0x800) {
        escape(0xC0 | (c >> 6));
        escape(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        escape(0xE0 | (c >> 12));
        escape(0x80 | ((c >> 6) & 0x3F));
        escape(0x80 | (c & 0x3F));
    } else {
        escape(0xF0 | (c >> 18));
        escape(0x80 | ((c >> 12) & 0x3F));
        escape(0x80 | ((c >> 6) & 0x3F));
        escape(0x80 | (c & 0x3F));
    }
}
}  // namespace

FetchTarget ParseFetchUrl(const std::wstring& url) {
    FetchTarget target;
    if (url.compare(0, 7, L"http://") != 0) return target;
    const size_t pathStart = url.find_first_of(L"/?#", 7);
    const std::wstring authority = url.substr(7, pathStart == std::wstring::npos ? std::wstring::npos : pathStart - 7);
    const size_t colon = authority.find(L':');
    if (!ParseIpv4(authority.substr(0, colon), target.ipv4) || (target.ipv4 >> 24) != 127) return target;
    if (colon != std::wstring::npos) {
        const std::wstring port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5) return target;
        unsigned value = 0;
        for (wchar_t c : port) {
            if (c < L'0' || c > L'9') return target;
            value = value * 10 + static_cast<unsigned>(c - L'0');
        }
        if (value == 0 || value > 65535) return target;
        target.port = static_cast<std::uint16_t>(value);
    }
    std::wstring rest = pathStart == std::wstring::npos ? L"" : url.substr(pathStart);
    const size_t fragment = rest.find(L'#');
    if (fragment != std::wstring::npos) rest.resize(fragment);
    if (rest.empty() || rest[0] != L'/') rest.insert(0, L"/");
    for (size_t i = 0; i < rest.size(); ++i) {
        char32_t c = rest[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < rest.size()) c = 0x10000 + ((c - 0xD800) << 10) + (rest[++i] - 0xDC00);
        AppendUtf8Escaped(target.path, c);
    }
    target.hostHeader = std::to_string(target.ipv4 >> 24) + "." + std::to_string((target.ipv4 >> 16) & 255) + "." +
                        std::to_string((target.ipv4 >> 8) & 255) + "." + std::to_string(target.ipv4 & 255) + ":" +
                        std::to_string(target.port);
    target.allowed = true;
    return target;
}

std::string FetchRequest(const FetchTarget& target) {
    return "GET " + target.path + " HTTP/1.1\r\nHost: " + target.hostHeader + "\r\n\r\n";
}

}  // namespace ziv
