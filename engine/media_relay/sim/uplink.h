// A node's upload capacity. Every socket of the node queues its outgoing traffic here; the
// uplink sends at its byte rate one segment at a time, taking the sockets with something queued
// in turn, as a fair-queueing network interface does, so that a socket with little to send is
// not held up behind another's bulk. A segment carries up to 1460 bytes of its socket's queue,
// small units one after another in it as TCP coalesces queued writes. A unit counts as pending
// on its socket until its last byte has left. With no rate set, everything leaves at once.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "event_queue.h"
#include "transmission.h"

namespace sim {

class Uplink {
public:
    static constexpr uint64_t kSegmentBytes = 1460;
    using Sent = std::function<void(Transmission&&)>;

    Uplink(EventQueue& events, uint64_t bytes_per_s, Sent sent)
        : m_events(events), m_bytes_per_s(bytes_per_s), m_sent(std::move(sent)) {}
    ~Uplink() { Drop(); }
    Uplink(const Uplink&) = delete;
    Uplink& operator=(const Uplink&) = delete;

    void Enqueue(int socket, Transmission transmission);
    // Units of `socket` not yet fully sent, the one under way included.
    int Pending(int socket) const;
    // Everything queued is lost (the host went away).
    void Drop();

private:
    struct Queue {
        std::deque<Transmission> units;
        uint64_t front_sent = 0;  // wire bytes of the front unit already sent
    };

    void SendNextSegment();
    void SegmentSent(uint64_t bytes);

    EventQueue& m_events;
    uint64_t m_bytes_per_s;
    Sent m_sent;
    std::map<int, Queue> m_queues;  // by socket; served in turn
    int m_current = 0;              // the socket whose segment is under way, 0 when idle
    int m_last_served = 0;
    EventQueue::Key m_done{};
};

}  // namespace sim
