// Network emulation of this process's outgoing traffic (KUZ_NETEM): delay with jitter, UDP
// loss, a per-socket byte rate and a process-wide uplink, per destination rule set.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kuz {

using NetClock = std::chrono::steady_clock;

constexpr uint32_t kShaperBurst = 16384;
constexpr size_t kUdpShaperQueueLimit = 256 * 1024;

struct NetemRule {
    uint32_t delay_ms = 0;
    uint32_t jitter_ms = 0;
    double loss_pct = 0;
    uint64_t rate_bps = 0;
    bool has_destination = false;
    uint32_t to_addr = 0;  // host order
    uint16_t to_port = 0;  // 0 = any port

    bool Delays() const { return delay_ms > 0 || jitter_ms > 0; }
    bool Matches(uint32_t addr, uint16_t port) const {
        return !has_destination || (to_addr == addr && (to_port == 0 || to_port == port));
    }
};

struct NetemConfig {
    std::vector<NetemRule> rules;
    uint64_t uplink_bps = 0;
    uint32_t seed = 0;
    bool seeded = false;
};

// Parses a KUZ_NETEM value. Unknown keys and malformed pairs are ignored.
NetemConfig ParseNetem(const std::string& text);
// The rule set for a destination: the first set with a matching to=, else the first set
// without to=, else null.
const NetemRule* ChooseRule(const NetemConfig& config, uint32_t addr, uint16_t port);

// Token bucket: `rate` bytes per second, at most `burst` bytes saved up.
class TokenBucket {
public:
    explicit TokenBucket(uint64_t rate = 0, uint32_t burst = kShaperBurst);
    bool Limited() const { return rate_ > 0; }
    // When `bytes` (at most the burst) may go; now or in the past when they may go at once.
    NetClock::time_point ReadyAt(uint32_t bytes, NetClock::time_point now);
    void Take(uint32_t bytes, NetClock::time_point now);

private:
    void Refill(NetClock::time_point now);
    uint64_t rate_;
    double burst_;
    double tokens_;
    NetClock::time_point last_;
};

// The process-wide configuration, read at the first socket creation.
void ConfigureNetem(const std::string& text);
bool NetemActive();
const NetemRule* NetemRuleFor(uint32_t addr, uint16_t port);
// The uplink bucket, or null without an uplink.
TokenBucket* NetemUplink();
// delay ± jitter, never below 0.
NetClock::duration NetemDelay(const NetemRule& rule);
bool NetemDrops(const NetemRule& rule);

}  // namespace kuz
