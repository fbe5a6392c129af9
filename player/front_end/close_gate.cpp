#include "close_gate.h"

#include <atomic>
#include <mutex>

namespace zentavo {
namespace {
// Never destroyed: the player ends by terminating its process, with the update thread running.
std::mutex& Gate() {
    static auto* gate = new std::mutex;
    return *gate;
}
std::atomic<bool> g_closing{false};
}  // namespace

bool UnlessClosing(const std::function<void()>& change) {
    std::lock_guard<std::mutex> lock(Gate());
    if (g_closing) return false;
    change();
    return true;
}

bool PlayerClosing() { return g_closing; }

void CloseGate() {
    std::lock_guard<std::mutex> lock(Gate());
    g_closing = true;
}

}  // namespace zentavo
