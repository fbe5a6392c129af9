// Peer addresses that components asked the framework to refuse for 30 seconds.
#pragma once

#include <cstdint>
#include <cstddef>
#include <map>

class BlockList {
public:
    static constexpr uint32_t kBlockMs = 30000;

    // Inserts the address, or restarts its 30 seconds.
    void Block(uint32_t ipv4_be, uint32_t now);
    // True while the address was blocked less than 30 s ago; an older entry is dropped.
    // The difference is taken on the wrapping 32-bit clock, so the wrap and the first 30 s
    // after system start do not let a blocked address through.
    bool IsBlocked(uint32_t ipv4_be, uint32_t now);
    size_t Size() const { return m_entries.size(); }

private:
    std::map<uint32_t, uint32_t> m_entries;  // IPv4 (network order) -> tick when blocked
};
