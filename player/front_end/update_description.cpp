#include "update_description.h"

namespace zentavo {

bool IsUpdateDescription(const DescriptionSections& sections) {
    return sections.upgradeInfo || sections.serverDate || sections.servers;
}

ServerListVerdict JudgeServerList(const ServerList& remote) {
    if (remote.empty()) return ServerListVerdict::Empty;
    for (const auto& entry : remote)
        if (!IsWellFormedAddress(entry.second)) return ServerListVerdict::Damaged;
    return ServerListVerdict::Usable;
}

bool IsWellFormedAddress(const std::wstring& address) {
    for (wchar_t c : address)
        if (c <= L' ' || c == 0x7F) return false;
    std::wstring lower;
    for (wchar_t c : address.substr(0, 8)) lower += static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c + 32 : c);
    size_t hostStart;
    if (lower.rfind(L"http://", 0) == 0)
        hostStart = 7;
    else if (lower.rfind(L"https://", 0) == 0)
        hostStart = 8;
    else
        return false;
    const size_t authorityEnd = address.find_first_of(L"/?#", hostStart);
    const std::wstring authority = address.substr(hostStart, authorityEnd == std::wstring::npos ? std::wstring::npos
                                                                                                 : authorityEnd - hostStart);
    // The port's colon comes after the host, also after a bracketed IPv6 host.
    const size_t bracket = authority.rfind(L']');
    size_t colon = authority.rfind(L':');
    if (bracket != std::wstring::npos && colon != std::wstring::npos && colon < bracket) colon = std::wstring::npos;
    if (authority.substr(0, colon).empty()) return false;
    if (colon == std::wstring::npos) return true;
    const std::wstring port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5) return false;
    unsigned value = 0;
    for (wchar_t c : port) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    return value >= 1 && value <= 65535;
}

int NextServerIndex(int index, std::size_t count) {
    if (index < 0) return -1;
    std::size_t next = static_cast<std::size_t>(index) + 1;
    return next < count ? static_cast<int>(next) : -1;
}

}  // namespace zentavo
