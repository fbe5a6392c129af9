// The state behind the message queue and the timers. Both live under one lock, because
// timers are evaluated by the getter and a killed timer takes its queued expiry with it.
// The lock is held only while this state changes, never while anything outside is called.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <vector>

#include "outside_abi.h"

namespace quib {

struct QueuedMessage {
    FrameworkMessage message;
    int timer_id;  // the timer whose expiry this is; 0 for a posted message
};

struct CoreTimer {
    FrameworkMessage words;  // posted on each expiry, extra = the timer id
    uint32_t period_ms;
    bool periodic;
    uint64_t due_ms;
    bool expiry_queued;  // an expiry waits in the queue: a late loop gets no second one
};

struct QueueState {
    std::mutex mutex;
    std::condition_variable wake;  // a post, a new timer or the shutdown
    std::deque<QueuedMessage> messages;
    std::map<int, CoreTimer> timers;
    bool closed = false;
    uint32_t shutdowns = 0;  // a getter waiting across a shutdown returns 0 even if reopened
    uint32_t next_sequence = 1;
    int next_timer_id = 1;
    uint32_t net_message_base = 0;
    std::vector<uint32_t> message_bases;
};

// Created at first use and deliberately never destroyed.
QueueState& Queue();

// Milliseconds on a monotonic 64-bit clock; the engine's tick offset does not apply.
uint64_t MonotonicMs();

// ---- timers.cpp, all called with the lock held ----
// Appends the expiries of every due timer, in due order.
void AppendDueTimers(QueueState& q, uint64_t now);
// Earliest due time of a timer that can still expire; false when there is none.
bool NextTimerDue(const QueueState& q, uint64_t* due);
// Bookkeeping once an expiry has left the queue.
void NoteExpiryDelivered(QueueState& q, int timer_id);

// ---- called with the lock held ----
// Removes the queued messages that match (at most max of them when max >= 0), keeping the
// order of the rest; returns the posted ones among them, since timer expiries own nothing.
template <class Match>
std::vector<FrameworkMessage> RemoveQueued(QueueState& q, Match match, int max = -1) {
    std::vector<FrameworkMessage> posted;
    auto first = std::find_if(q.messages.begin(), q.messages.end(), match);
    if (first == q.messages.end() || max == 0) return posted;
    std::deque<QueuedMessage> kept(q.messages.begin(), first);
    int removed = 0;
    for (auto it = first; it != q.messages.end(); ++it) {
        if ((max < 0 || removed < max) && match(*it)) {
            if (it->timer_id == 0) posted.push_back(it->message);
            ++removed;
        } else {
            kept.push_back(*it);
        }
    }
    q.messages.swap(kept);
    return posted;
}

}  // namespace quib
