// The two hooks the network library installs (QuibSetNetHooks). Both are always called
// without the queue lock: the network library takes its own lock inside them, and its lock
// comes first (it posts while holding it).
#pragma once

#include <vector>

#include "outside_abi.h"

namespace quib::net_hooks {

// Clears the socket handlers equal to object; nothing when no hook is installed.
void Unregistered(void* object);
// Frees the buffers and sockets that dropped socket events own.
void Release(const std::vector<FrameworkMessage>& messages);

}  // namespace quib::net_hooks
