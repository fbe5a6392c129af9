// The process's one message queue: first in, first out across all posting threads, one
// consumer (the framework's loop thread). It is closed by a shutdown and opened again by
// the next registration of the network message base.
#pragma once

#include <cstdint>

#include "outside_abi.h"

namespace quib::message_queue {

// 1 = queued (extra = a process-wide sequence number); 0 while closed.
int Post(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3, uint32_t p4);
// Blocks for the next message, due timers first appended; 0 once the queue is closed.
int Get(FrameworkMessage* out);
// Closes the queue, wakes the getter, drops every message and timer and releases what the
// dropped messages own.
int Shutdown();
// Records the base and opens a closed queue again.
int RegisterNetMessageBase(uint32_t base);
int RegisterMessageBase(uint32_t base);

}  // namespace quib::message_queue
