// Core timers. Each expiry is a queued message {target, sender, id, p1..p4} whose extra word
// is the timer id. Ids start at 1 and are never reused.
#pragma once

#include <cstdint>

namespace quib::timers {

// ms 0 is due at once. A periodic timer keeps at most one undelivered expiry: a late loop
// skips expiries rather than getting a burst. -1 while the queue is closed.
int Set(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2,
        uint32_t p3, uint32_t p4);
// Removes the timer and its queued, undelivered expiry. 1 = a timer was killed; -1 and
// unknown ids do nothing and give 0.
int Kill(int timer_id);

}  // namespace quib::timers
