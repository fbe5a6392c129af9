#include "message_queue.h"

#include <chrono>

#include "dropped_messages.h"
#include "engine_log.h"
#include "queue_state.h"

namespace quib {

QueueState& Queue() {
    static QueueState* state = new QueueState;
    return *state;
}

uint64_t MonotonicMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

namespace message_queue {

int Post(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3, uint32_t p4) {
    QueueState& q = Queue();
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        if (q.closed) return 0;
        q.messages.push_back({{target, sender, id, p1, p2, p3, p4, q.next_sequence++}, 0});
    }
    q.wake.notify_all();
    return 1;
}

int Get(FrameworkMessage* out) {
    if (!out) return 0;
    QueueState& q = Queue();
    std::unique_lock<std::mutex> lock(q.mutex);
    const uint32_t shutdowns = q.shutdowns;
    for (;;) {
        if (q.closed || q.shutdowns != shutdowns) return 0;
        const uint64_t now = MonotonicMs();
        AppendDueTimers(q, now);
        if (!q.messages.empty()) {
            const QueuedMessage next = q.messages.front();
            q.messages.pop_front();
            if (next.timer_id != 0) NoteExpiryDelivered(q, next.timer_id);
            *out = next.message;
            return 1;
        }
        uint64_t due;
        if (NextTimerDue(q, &due)) {
            q.wake.wait_for(lock, std::chrono::milliseconds(due - now));
        } else {
            q.wake.wait(lock);
        }
    }
}

int Shutdown() {
    QueueState& q = Queue();
    std::vector<FrameworkMessage> dropped;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        q.closed = true;
        ++q.shutdowns;
        dropped = RemoveQueued(q, [](const QueuedMessage&) { return true; });
        q.timers.clear();
    }
    q.wake.notify_all();
    ReleaseDroppedMessages(dropped);
    return 1;
}

int RegisterNetMessageBase(uint32_t base) {
    QueueState& q = Queue();
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        q.net_message_base = base;
        q.closed = false;
    }
    engine_log::Printf("register net base %u", static_cast<unsigned>(base));
    return 1;
}

int RegisterMessageBase(uint32_t base) {
    QueueState& q = Queue();
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        q.message_bases.push_back(base);
    }
    engine_log::Printf("register base %u", static_cast<unsigned>(base));
    return 1;
}

}  // namespace message_queue
}  // namespace quib
