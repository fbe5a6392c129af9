// Private exports of the engine core for the network library only (ordinals 2 and 3).
#pragma once

#include "outside_abi.h"

// unregistered(obj): clear every socket handler equal to obj. release(msgs, n): free what
// dropped socket events own (buffers, accepted sockets). Both are called without the core's lock.
using QuibUnregisteredHook = void(ENGINE_CALL*)(void* object);
using QuibReleaseHook = void(ENGINE_CALL*)(const FrameworkMessage* messages, int count);

extern "C" {
void ENGINE_CALL QuibSetNetHooks(QuibUnregisteredHook unregistered, QuibReleaseHook release);
// Removes undelivered events of one socket for one target (ids 1001-1006, 1007 with p4 0,
// 1013, 1014), copies up to max of them to out and returns the count.
int ENGINE_CALL QuibTakeSocketEvents(uint32_t target, uint32_t socket, FrameworkMessage* out, int max);
}
