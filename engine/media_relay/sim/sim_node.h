// One simulated host: an engine host process with its relay session, or a party such as the
// stream source, the link server or a player. Every message, timer, socket, heap block and
// named shared block belongs to the node that was current when it was made; the node keeps
// what belongs to it apart from every other node's, and counts what it holds and sends.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace sim {

// How a node's outgoing traffic is treated on its way to another host (loopback traffic to
// the same IPv4 is never delayed, lost or throttled).
struct LinkEmulation {
    uint32_t delay_ms = 0;       // one-way latency added to every datagram, frame and connect
    uint32_t jitter_ms = 0;      // uniform +- on each delay; frames of one connection keep order
    double loss_percent = 0;     // datagrams dropped; TCP segments retransmitted (delayed)
    uint64_t uplink_bytes_per_s = 0;  // shared by all of the node's sockets; 0 = unlimited
};

// Bytes a node sent and received, by what they carried.
struct TrafficCounters {
    uint64_t piece_sent = 0;       // 'F' frames on peer connections
    uint64_t control_sent = 0;     // every other peer-connection frame and every datagram
    uint64_t piece_received = 0;
    uint64_t control_received = 0;
    uint64_t stream_sent = 0;      // raw bytes to local players
    uint64_t stream_received = 0;
    uint64_t datagrams_lost = 0;   // dropped on the way out
    uint64_t segments_retransmitted = 0;
};

class Node {
public:
    Node(int id, std::string name, uint32_t ipv4, uint32_t tick_offset, const LinkEmulation& link)
        : m_id(id), m_name(std::move(name)), m_ipv4(ipv4), m_tick_offset(tick_offset), m_link(link) {}
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    int Id() const { return m_id; }
    const std::string& Name() const { return m_name; }
    // Network order, as in a socket address, read as a little-endian word.
    uint32_t IPv4() const { return m_ipv4; }
    // This host's tick count: its own offset plus the virtual milliseconds, wrapping.
    uint32_t Tick(uint64_t now_ms) const { return m_tick_offset + static_cast<uint32_t>(now_ms); }
    const LinkEmulation& Link() const { return m_link; }

    // A crashed node makes no more calls reach the network or the queue.
    bool Alive() const { return m_alive; }
    void MarkDead() { m_alive = false; }

    // --- what the node holds ---
    void HeapAllocated(uint32_t size) { Hold(m_heap_bytes += size); }
    void HeapFreed(uint32_t size) { m_heap_bytes -= size; }
    void BufferHeld(uint32_t size) { Hold(m_buffer_bytes += size); }
    void BufferFreed(uint32_t size) { m_buffer_bytes -= size; }
    uint64_t HeldBytes() const { return m_heap_bytes + m_buffer_bytes + m_block_bytes; }
    uint64_t PeakHeldBytes() const { return m_peak_held; }
    uint64_t BadFrees() const { return m_bad_frees; }
    void CountBadFree() { ++m_bad_frees; }

    // --- named shared blocks, each name once per node ---
    // Creating a name that exists maps the same bytes, zero-filled again.
    uint8_t* CreateBlock(const std::string& name, uint32_t size, uint32_t* mapped);
    uint8_t* OpenBlock(const std::string& name, uint32_t* mapped);
    // The last close of a block's holders removes it.
    void CloseBlock(const void* address);

    // --- window notifications the node's sessions posted, by message ---
    void CountNotice(uint32_t message) { ++m_notices[message]; }
    uint64_t Notices(uint32_t message) const;

    TrafficCounters& Traffic() { return m_traffic; }
    const TrafficCounters& Traffic() const { return m_traffic; }

    // Runs after every message delivered to one of the node's objects (start-up probes).
    void SetAfterDelivery(std::function<void()> probe) { m_after_delivery = std::move(probe); }
    void AfterDelivery() {
        if (m_after_delivery) m_after_delivery();
    }

private:
    struct Block {
        std::vector<uint8_t> bytes;
        int holders = 0;
    };
    void Hold(uint64_t) {
        if (HeldBytes() > m_peak_held) m_peak_held = HeldBytes();
    }

    int m_id;
    std::string m_name;
    uint32_t m_ipv4;
    uint32_t m_tick_offset;
    LinkEmulation m_link;
    bool m_alive = true;
    uint64_t m_heap_bytes = 0;
    uint64_t m_buffer_bytes = 0;
    uint64_t m_block_bytes = 0;
    uint64_t m_peak_held = 0;
    uint64_t m_bad_frees = 0;
    std::map<std::string, Block> m_blocks;
    std::map<uint32_t, uint64_t> m_notices;
    TrafficCounters m_traffic;
    std::function<void()> m_after_delivery;
};

}  // namespace sim
