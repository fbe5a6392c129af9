// What a peer transfer still has queued in the network library. The library only tells how
// many sends are pending; as they leave in order, those are the last ones made, so keeping the
// lengths of recent sends gives the bytes still held. A peer that asks for much and reads
// little is answered "not available" once the backlog is full, so the memory one connection
// holds stays bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

class CSendBacklog {
public:
    static constexpr uint32_t kMaxBytes = 1024 * 1024;
    static constexpr uint32_t kMaxSends = 1000;

    // Forgets the sends that have left: `pending` is the library's count of queued sends.
    void Sync(int pending);
    void Add(uint32_t length);
    void Clear();

    uint32_t Bytes() const { return m_bytes; }
    size_t Sends() const { return m_lengths.size(); }
    // True when one more send of `length` bytes stays within both bounds.
    bool Takes(uint32_t length) const;

private:
    std::deque<uint32_t> m_lengths;  // oldest first
    uint32_t m_bytes = 0;
};
