// Messages dropped before delivery (by a purge or the shutdown) still own what the receiver
// would have freed: core blocks are freed here, network buffers and sockets go back to the
// network library through its release hook. Called without the queue lock.
#pragma once

#include <vector>

#include "outside_abi.h"

namespace quib {

void ReleaseDroppedMessages(const std::vector<FrameworkMessage>& dropped);

}  // namespace quib
