#include "host_options.h"

#include <cstdlib>
#include <sstream>

#include "ipv4_text.h"

namespace {
constexpr size_t kMaxLinks = 16;
constexpr size_t kMaxSources = 64;
constexpr size_t kMaxText = 63;

std::vector<std::string> SplitColons(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ':')) parts.push_back(part);
    return parts;
}

bool ParseNumber(const std::string& text, long long& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    out = std::strtoll(text.c_str(), &end, 0);
    return end && *end == '\0';
}

bool ParsePort(const std::string& text, uint16_t& out) {
    long long v;
    if (!ParseNumber(text, v) || v < 0 || v > 65535) return false;
    out = static_cast<uint16_t>(v);
    return true;
}
}  // namespace

bool ParseLink(const std::string& text, LinkSpec& out) {
    const auto parts = SplitColons(text);
    if (parts.size() != 2 && parts.size() != 3 && parts.size() != 6) return false;
    out = LinkSpec{};
    if (!ParseIPv4(parts[0], out.ip_be) || !ParsePort(parts[1], out.port)) return false;
    if (parts.size() >= 3) {
        long long kind;
        if (!ParseNumber(parts[2], kind) || kind < 0 || kind > 255) return false;
        out.kind = static_cast<uint8_t>(kind);
    }
    if (parts.size() == 6) {
        if (!ParseIPv4(parts[3], out.announce_ip_be) || !ParsePort(parts[4], out.announce_tcp) ||
            !ParsePort(parts[5], out.announce_udp)) {
            return false;
        }
    }
    return true;
}

bool ParsePeer(const std::string& text, PeerSpec& out) {
    const auto parts = SplitColons(text);
    if (parts.size() != 2 && parts.size() != 3) return false;
    out = PeerSpec{};
    if (!ParseIPv4(parts[0], out.ip_be) || !ParsePort(parts[1], out.tcp)) return false;
    return parts.size() == 2 || ParsePort(parts[2], out.udp);
}

bool ApplyChannelSetting(const std::string& key, const std::string& value, ChannelSpec& channel, std::string& error) {
    long long number = 0;
    if (key == "type") {
        if (!ParseNumber(value, number)) return error = "bad type " + value, false;
        channel.type = static_cast<int32_t>(number);
    } else if (key == "port284") {
        if (!ParsePort(value, channel.port284)) return error = "bad port284 " + value, false;
    } else if (key == "text1") {
        channel.text1 = value;
    } else if (key == "text2") {
        channel.text2 = value;
    } else if (key == "tow") {
        if (!ParseNumber(value, number)) return error = "bad tow " + value, false;
        channel.tow = static_cast<uint32_t>(number);
    } else if (key == "link") {
        LinkSpec link;
        if (!ParseLink(value, link)) return error = "bad link " + value, false;
        channel.links.push_back(link);
    } else if (key == "source") {
        PeerSpec peer;
        if (!ParsePeer(value, peer)) return error = "bad source " + value, false;
        channel.sources.push_back(peer);
    } else if (key == "hostpeer") {
        PeerSpec peer;
        if (!ParsePeer(value, peer)) return error = "bad hostpeer " + value, false;
        channel.hostpeers.push_back(peer);
    } else {
        return error = "unknown setting " + key, false;
    }
    return true;
}

bool ChannelWithinLimits(const ChannelSpec& channel, std::string& error) {
    if (channel.links.size() > kMaxLinks) return error = "more than 16 links", false;
    if (channel.sources.size() > kMaxSources) return error = "more than 64 sources", false;
    if (channel.text1.size() > kMaxText || channel.text2.size() > kMaxText) return error = "text above 63 bytes", false;
    return true;
}

bool ParseHostOptions(int argc, char** argv, HostOptions& out, std::string& error) {
    auto need_value = [&](int& i) -> const char* {
        if (i + 1 >= argc) {
            error = std::string("missing value of ") + argv[i];
            return nullptr;
        }
        return argv[++i];
    };
    auto int_value = [&](int& i, int& target) {
        const char* v = need_value(i);
        long long n;
        if (!v || !ParseNumber(v, n)) {
            if (v) error = std::string("bad number ") + v;
            return false;
        }
        target = static_cast<int>(n);
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const char* v = nullptr;
        if (arg == "--tcp") {
            if (!int_value(i, out.tcp)) return false;
        } else if (arg == "--udp") {
            if (!int_value(i, out.udp)) return false;
        } else if (arg == "--module") {
            if (!(v = need_value(i))) return false;
            out.modules.push_back(v);
        } else if (arg == "--local-ip") {
            if (!(v = need_value(i))) return false;
            out.local_ip = v;
            uint32_t ip;
            if (out.local_ip != "keep" && !ParseIPv4(out.local_ip, ip)) return error = "bad --local-ip", false;
        } else if (arg == "--alt-tcp") {
            if (!int_value(i, out.alt_tcp)) return false;
        } else if (arg == "--alt-udp") {
            if (!int_value(i, out.alt_udp)) return false;
        } else if (arg == "--notify") {
            out.notify = true;
        } else if (arg == "--status-ms") {
            if (!int_value(i, out.status_ms)) return false;
        } else if (arg == "--peers") {
            out.peers = true;
        } else if (arg == "--seconds") {
            if (!int_value(i, out.seconds)) return false;
        } else if (arg == "--no-stdin") {
            out.no_stdin = true;
        } else if (arg == "--tag") {
            if (!(v = need_value(i))) return false;
            out.tag = v;
        } else if (arg == "--channel") {
            if (!(v = need_value(i))) return false;
            ChannelSpec channel;
            if (!ParseGuidText(v, channel.guid)) return error = std::string("bad GUID ") + v, false;
            out.channels.push_back(channel);
        } else if (arg.rfind("--", 0) == 0 && !out.channels.empty()) {
            if (!(v = need_value(i))) return false;
            if (!ApplyChannelSetting(arg.substr(2), v, out.channels.back(), error)) return false;
        } else {
            error = "unknown option " + arg;
            return false;
        }
    }
    for (const auto& channel : out.channels) {
        if (!ChannelWithinLimits(channel, error)) return false;
    }
    return true;
}
