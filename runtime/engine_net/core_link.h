// The network library's own binding to the engine core: posting events, the engine log, and
// the private hooks. The core's table is filled at the first socket creation (never under
// the loader lock) from the core library this one is linked against.
#pragma once

#include <cstdint>

#include "outside_abi.h"

namespace kuz {

// Fills the core table once; false when the core library cannot be reached.
bool BindCore();
// 1 = queued; 0 = the queue is closed or the core is unbound (the caller keeps what the event owns).
int CorePost(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3, uint32_t p4);
void CoreLog(const char* text);
void CoreLogNumber(const char* format, int value);
// Gives the core our two hooks; called once, at the first socket creation.
void InstallCoreHooks();
// Takes back the undelivered events of one socket for one target into out; returns the count.
int TakeSocketEvents(uint32_t target, uint32_t socket, FrameworkMessage* out, int max);

}  // namespace kuz
