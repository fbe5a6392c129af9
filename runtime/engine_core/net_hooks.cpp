#include "net_hooks.h"

#include <atomic>

#include "queue_state.h"
#include "quib_net_hooks.h"
#include "socket_events.h"

namespace quib::net_hooks {

namespace {

std::atomic<QuibUnregisteredHook> g_unregistered{nullptr};
std::atomic<QuibReleaseHook> g_release{nullptr};

}  // namespace

void Unregistered(void* object) {
    if (QuibUnregisteredHook hook = g_unregistered.load()) hook(object);
}

void Release(const std::vector<FrameworkMessage>& messages) {
    QuibReleaseHook hook = g_release.load();
    if (hook && !messages.empty()) hook(messages.data(), static_cast<int>(messages.size()));
}

}  // namespace quib::net_hooks

using namespace quib;

extern "C" {

void ENGINE_CALL QuibSetNetHooks(QuibUnregisteredHook unregistered, QuibReleaseHook release) {
    net_hooks::g_unregistered.store(unregistered);
    net_hooks::g_release.store(release);
}

// Takes out at most max events and leaves the rest queued: the caller holds its own lock,
// so nothing taken here could be released on its behalf. It calls again while it gets max.
int ENGINE_CALL QuibTakeSocketEvents(uint32_t target, uint32_t socket, FrameworkMessage* out, int max) {
    if (!out || max <= 0) return 0;
    try {
        QueueState& q = Queue();
        std::lock_guard<std::mutex> lock(q.mutex);
        std::vector<FrameworkMessage> taken = RemoveQueued(
            q,
            [&](const QueuedMessage& m) {
                return m.timer_id == 0 && m.message.target == target && m.message.sender == socket &&
                       IsSocketEvent(m.message);
            },
            max);
        for (size_t i = 0; i < taken.size(); ++i) out[i] = taken[i];
        return static_cast<int>(taken.size());
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
