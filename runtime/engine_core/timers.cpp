#include "timers.h"

#include <algorithm>

#include "queue_state.h"

namespace quib {

namespace {

struct DueTimer {
    uint64_t due_ms;
    int id;
    bool operator<(const DueTimer& other) const {
        return due_ms != other.due_ms ? due_ms < other.due_ms : id < other.id;
    }
};

// The first period boundary after now: missed expiries are skipped, not made up.
uint64_t NextDue(const CoreTimer& timer, uint64_t now) {
    uint64_t due = timer.due_ms + timer.period_ms;
    return due > now ? due : now + timer.period_ms;
}

}  // namespace

void AppendDueTimers(QueueState& q, uint64_t now) {
    std::vector<DueTimer> due;
    for (auto& [id, timer] : q.timers) {
        if (timer.due_ms > now) continue;
        if (timer.expiry_queued) {
            if (timer.periodic) timer.due_ms = NextDue(timer, now);  // still undelivered: skip this one
            continue;
        }
        due.push_back({timer.due_ms, id});
    }
    std::sort(due.begin(), due.end());
    for (const DueTimer& d : due) {
        CoreTimer& timer = q.timers.at(d.id);
        FrameworkMessage expiry = timer.words;
        expiry.extra = static_cast<uint32_t>(d.id);
        q.messages.push_back({expiry, d.id});
        timer.expiry_queued = true;
        if (timer.periodic) timer.due_ms = NextDue(timer, now);
    }
}

bool NextTimerDue(const QueueState& q, uint64_t* due) {
    bool any = false;
    for (const auto& [id, timer] : q.timers) {
        if (timer.expiry_queued) continue;  // it can expire again only after delivery
        if (!any || timer.due_ms < *due) *due = timer.due_ms;
        any = true;
    }
    return any;
}

void NoteExpiryDelivered(QueueState& q, int timer_id) {
    auto it = q.timers.find(timer_id);
    if (it == q.timers.end()) return;
    if (it->second.periodic) {
        it->second.expiry_queued = false;
    } else {
        q.timers.erase(it);  // a one-shot timer ends with its delivered expiry
    }
}

namespace timers {

int Set(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2,
        uint32_t p3, uint32_t p4) {
    QueueState& q = Queue();
    int timer_id;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        if (q.closed) return -1;
        timer_id = q.next_timer_id++;
        CoreTimer timer{{target, sender, id, p1, p2, p3, p4, 0}, ms, repeat != 0, MonotonicMs() + ms, false};
        q.timers.emplace(timer_id, timer);
    }
    q.wake.notify_all();  // the getter may have to wake earlier now
    return timer_id;
}

int Kill(int timer_id) {
    if (timer_id <= 0) return 0;
    QueueState& q = Queue();
    std::lock_guard<std::mutex> lock(q.mutex);
    if (q.timers.erase(timer_id) == 0) return 0;
    RemoveQueued(q, [timer_id](const QueuedMessage& m) { return m.timer_id == timer_id; });
    return 1;
}

}  // namespace timers
}  // namespace quib
