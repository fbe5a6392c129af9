#include "uplink.h"

#include <algorithm>
#include <vector>

namespace sim {

void Uplink::Enqueue(int socket, Transmission transmission) {
    if (m_bytes_per_s == 0) {
        m_sent(std::move(transmission));
        return;
    }
    m_queues[socket].units.push_back(std::move(transmission));
    if (m_current == 0) SendNextSegment();
}

int Uplink::Pending(int socket) const {
    auto it = m_queues.find(socket);
    return it == m_queues.end() ? 0 : static_cast<int>(it->second.units.size());
}

void Uplink::SendNextSegment() {
    m_current = 0;
    if (m_queues.empty()) return;
    // The next socket after the one served last, in socket order, wrapping.
    auto next = m_queues.upper_bound(m_last_served);
    if (next == m_queues.end()) next = m_queues.begin();
    m_current = next->first;
    const Queue& queue = next->second;
    uint64_t queued = 0;
    for (const Transmission& unit : queue.units) {
        queued += unit.WireBytes();
        if (queued - queue.front_sent >= kSegmentBytes) break;
    }
    const uint64_t bytes = std::min(queued - queue.front_sent, kSegmentBytes);
    const SimTime duration = (bytes * kMicrosPerSecond + m_bytes_per_s - 1) / m_bytes_per_s;
    m_done = m_events.After(duration, [this, bytes] { SegmentSent(bytes); });
}

void Uplink::SegmentSent(uint64_t bytes) {
    auto it = m_queues.find(m_current);
    m_last_served = m_current;
    Queue& queue = it->second;
    std::vector<Transmission> done;  // units whose last byte was in this segment, in order
    while (!queue.units.empty()) {
        const uint64_t left = queue.units.front().WireBytes() - queue.front_sent;
        if (left > bytes) {
            queue.front_sent += bytes;
            break;
        }
        bytes -= left;
        done.push_back(std::move(queue.units.front()));
        queue.units.pop_front();
        queue.front_sent = 0;
    }
    if (queue.units.empty()) m_queues.erase(it);
    SendNextSegment();
    for (Transmission& transmission : done) m_sent(std::move(transmission));
}

void Uplink::Drop() {
    if (m_current) m_events.Cancel(m_done);
    m_current = 0;
    m_queues.clear();
}

}  // namespace sim
