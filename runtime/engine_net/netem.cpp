#include "netem.h"

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>

#include "asio_config.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace kuz {

namespace {

struct NetemState {
    NetemConfig config;
    TokenBucket uplink;
    std::mt19937 random;
};
NetemState* g_netem = nullptr;  // never freed

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    std::string part;
    while (std::getline(in, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

bool ParseDestination(const std::string& value, NetemRule* rule) {
    std::string host = value;
    uint16_t port = 0;
    size_t colon = value.find(':');
    if (colon != std::string::npos) {
        host = value.substr(0, colon);
        port = static_cast<uint16_t>(std::strtoul(value.c_str() + colon + 1, nullptr, 10));
    }
    std::error_code ec;
    asio::ip::address_v4 address = asio::ip::make_address_v4(host, ec);
    if (ec) return false;
    rule->has_destination = true;
    rule->to_addr = address.to_uint();
    rule->to_port = port;
    return true;
}

uint32_t ProcessSeed() {
#if defined(_WIN32)
    return static_cast<uint32_t>(::GetCurrentProcessId());
#else
    return static_cast<uint32_t>(::getpid());
#endif
}

}  // namespace

NetemConfig ParseNetem(const std::string& text) {
    NetemConfig config;
    for (const std::string& set : Split(text, ';')) {
        NetemRule rule;
        for (const std::string& pair : Split(set, ',')) {
            size_t eq = pair.find('=');
            if (eq == std::string::npos) continue;
            std::string key = pair.substr(0, eq);
            std::string value = pair.substr(eq + 1);
            const char* v = value.c_str();
            if (key == "delay") rule.delay_ms = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
            else if (key == "jitter") rule.jitter_ms = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
            else if (key == "loss") rule.loss_pct = std::clamp(std::strtod(v, nullptr), 0.0, 100.0);
            else if (key == "rate") rule.rate_bps = std::strtoull(v, nullptr, 10);
            else if (key == "uplink") config.uplink_bps = std::strtoull(v, nullptr, 10);
            else if (key == "to") ParseDestination(value, &rule);
            else if (key == "seed") {
                config.seed = static_cast<uint32_t>(std::strtoul(v, nullptr, 10));
                config.seeded = true;
            }
        }
        config.rules.push_back(rule);
    }
    return config;
}

const NetemRule* ChooseRule(const NetemConfig& config, uint32_t addr, uint16_t port) {
    for (const NetemRule& rule : config.rules)
        if (rule.has_destination && rule.Matches(addr, port)) return &rule;
    for (const NetemRule& rule : config.rules)
        if (!rule.has_destination) return &rule;
    return nullptr;
}

TokenBucket::TokenBucket(uint64_t rate, uint32_t burst)
    : rate_(rate), burst_(burst), tokens_(burst), last_(NetClock::now()) {}

void TokenBucket::Refill(NetClock::time_point now) {
    if (now <= last_) return;
    double seconds = std::chrono::duration<double>(now - last_).count();
    tokens_ = std::min(burst_, tokens_ + seconds * static_cast<double>(rate_));
    last_ = now;
}

NetClock::time_point TokenBucket::ReadyAt(uint32_t bytes, NetClock::time_point now) {
    if (!Limited()) return now;
    Refill(now);
    double need = std::min<double>(bytes, burst_) - tokens_;
    if (need <= 0) return now;
    auto wait = std::chrono::duration<double>(need / static_cast<double>(rate_));
    return now + std::chrono::duration_cast<NetClock::duration>(wait) + std::chrono::milliseconds(1);
}

void TokenBucket::Take(uint32_t bytes, NetClock::time_point now) {
    if (!Limited()) return;
    Refill(now);
    tokens_ -= bytes;
}

void ConfigureNetem(const std::string& text) {
    if (g_netem || text.empty()) return;
    NetemConfig config = ParseNetem(text);
    uint32_t seed = config.seeded ? config.seed : ProcessSeed();
    uint64_t uplink = config.uplink_bps;
    g_netem = new NetemState{std::move(config), TokenBucket(uplink), std::mt19937(seed)};
}

bool NetemActive() {
    return g_netem != nullptr;
}

const NetemRule* NetemRuleFor(uint32_t addr, uint16_t port) {
    return g_netem ? ChooseRule(g_netem->config, addr, port) : nullptr;
}

TokenBucket* NetemUplink() {
    return (g_netem && g_netem->uplink.Limited()) ? &g_netem->uplink : nullptr;
}

NetClock::duration NetemDelay(const NetemRule& rule) {
    int64_t ms = rule.delay_ms;
    if (rule.jitter_ms > 0 && g_netem) {
        std::uniform_int_distribution<int64_t> jitter(-static_cast<int64_t>(rule.jitter_ms), rule.jitter_ms);
        ms += jitter(g_netem->random);
    }
    return std::chrono::milliseconds(std::max<int64_t>(ms, 0));
}

bool NetemDrops(const NetemRule& rule) {
    if (rule.loss_pct <= 0 || !g_netem) return false;
    std::uniform_real_distribution<double> roll(0.0, 100.0);
    return roll(g_netem->random) < rule.loss_pct;
}

}  // namespace kuz
