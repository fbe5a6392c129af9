// The engine core's queue, for every node at once: messages posted now wait in one FIFO until
// they are delivered, before the clock moves on; timers are events of the virtual clock that
// post their expiry when due. An object that unregisters takes its queued messages and timers
// with it, and a closed socket takes back its undelivered events, as the core's purge does;
// whatever a dropped message owned is handed to the release hook.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "event_queue.h"
#include "outside_abi.h"

namespace sim {

class Node;

struct PostedMessage {
    Node* node = nullptr;
    FrameworkMessage msg{};
    int timer = 0;  // the timer whose expiry this is, 0 for a posted message
    bool live = true;
};

class MessageDispatch {
public:
    using Release = std::function<void(Node*, const FrameworkMessage&)>;

    explicit MessageDispatch(EventQueue& events) : m_events(events) {}

    void SetRelease(Release release) { m_release = std::move(release); }

    void Post(Node* node, const FrameworkMessage& msg);
    // Ids from 1, never reused. A period of 0 is due at once; a repeating one then every 1 ms.
    int SetTimer(Node* node, uint32_t ms, bool repeat, const FrameworkMessage& msg);
    // Removes the timer and its undelivered expiry; false for an unknown id.
    bool KillTimer(int id);
    // The purge of an object: its queued messages and its timers.
    void Unregister(uint32_t target);
    // Undelivered events of `socket` (its connection, data, close and datagram messages).
    void TakeSocketEvents(Node* node, int socket);
    // Everything of a crashed node.
    void DropNode(Node* node);

    // The oldest live message, taken off the queue; false when none waits.
    bool PopNext(PostedMessage* out);
    bool Empty();

private:
    struct Timer {
        Node* node;
        SimTime period;
        bool repeat;
        FrameworkMessage msg;
        EventQueue::Key event;
    };
    void Fire(int id);
    void Drop(PostedMessage& posted);

    EventQueue& m_events;
    Release m_release;
    std::deque<PostedMessage> m_queue;
    std::map<int, Timer> m_timers;
    int m_next_timer = 1;
};

}  // namespace sim
