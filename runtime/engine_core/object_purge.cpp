#include "object_purge.h"

#include <cstdint>

#include "dropped_messages.h"
#include "net_hooks.h"
#include "queue_state.h"

namespace quib::object_purge {

namespace {

// Drops the object's queued messages and timers (with their queued expiries).
void PurgeQueue(uint32_t target) {
    QueueState& q = Queue();
    std::vector<FrameworkMessage> dropped;
    {
        std::lock_guard<std::mutex> lock(q.mutex);
        dropped = RemoveQueued(q, [target](const QueuedMessage& m) { return m.message.target == target; });
        for (auto it = q.timers.begin(); it != q.timers.end();) {
            it = it->second.words.target == target ? q.timers.erase(it) : std::next(it);
        }
    }
    ReleaseDroppedMessages(dropped);
}

}  // namespace

int Unregister(void* object) {
    // Target 0 addresses the framework manager; a null object is no object at all.
    if (!object) return 1;
    const auto target = ToWord(object);
    PurgeQueue(target);
    // The network library clears its handlers equal to the object and resolves handlers at
    // post time under its own lock, so once it returns nothing new can be posted for the
    // object; the second purge takes what it posted while the first one ran.
    net_hooks::Unregistered(object);
    PurgeQueue(target);
    return 1;
}

}  // namespace quib::object_purge
