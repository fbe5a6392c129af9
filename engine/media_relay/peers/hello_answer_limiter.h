// Bounds how many hellos the peer exchange answers. A hello is 57 bytes from an address nobody
// verified and its answer can be some 4 KB, so answering all of them would let anyone use this
// host to flood a third party. Answers are counted per source IPv4 and in total over a window
// of one second; hellos beyond either count go unanswered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>

class CHelloAnswerLimiter {
public:
    static constexpr uint32_t kWindowMs = 1000;
    static constexpr uint32_t kPerSourceLimit = 2;
    static constexpr uint32_t kTotalLimit = 50;

    explicit CHelloAnswerLimiter(uint32_t per_source_limit = kPerSourceLimit, uint32_t total_limit = kTotalLimit,
                                 uint32_t window_ms = kWindowMs);

    // True when a hello from `source_ipv4` may be answered at tick `now`; counts the answer.
    bool Admit(uint32_t source_ipv4, uint32_t now);
    // Sources counted in the current windows (bounded by twice the total limit).
    size_t TrackedSources() const { return m_sources.size(); }

private:
    struct Window {
        uint32_t start = 0;
        uint32_t count = 0;
    };

    bool Expired(const Window& window, uint32_t now) const;
    void StartTotalWindow(uint32_t now);

    uint32_t m_per_source_limit;
    uint32_t m_total_limit;
    uint32_t m_window_ms;
    bool m_started = false;
    Window m_total;
    std::map<uint32_t, Window> m_sources;
};
