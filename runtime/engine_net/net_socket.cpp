#include "net_socket.h"

#include <algorithm>

#include "core_link.h"
#include "net_log.h"
#include "sock_addr.h"
#include "socket_registry.h"

namespace kuz {

bool NetSocket::RefusesAddress(bool loopback_only, uint32_t addr, uint16_t port) const {
    if (!loopback_only || IsLoopback(addr)) return false;
    CoreLog("refused non-loopback");
    Trace(id_, "refused non-loopback %u.%u.%u.%u:%u", addr >> 24, (addr >> 16) & 255, (addr >> 8) & 255, addr & 255,
          port);
    return true;
}

bool NetSocket::Post(uint32_t message, uint32_t p1, uint32_t p2, uint32_t p3, uint32_t p4) {
    if (closing_ || handler_ == 0) {
        Trace(id_, "drop %u (no handler)", message);
        return false;
    }
    if (!CorePost(handler_, static_cast<uint32_t>(id_), message, p1, p2, p3, p4)) {
        Trace(id_, "drop %u (queue closed)", message);
        return false;
    }
    if (std::find(targets_.begin(), targets_.end(), handler_) == targets_.end()) targets_.push_back(handler_);
    Trace(id_, "post %u p1=%u p2=%u", message, p1, p2);
    return true;
}

void NetSocket::TakenUp() {
    std::shared_ptr<NetSocket> listener = announcer_.lock();
    announcer_.reset();
    if (listener) listener->AnnouncedTakenUp();
}

void NetSocket::Close() {
    if (closing_) return;
    closing_ = true;
    handler_ = 0;
    TakeBackEvents();
    Trace(id_, "close");
    OnClose();
}

void NetSocket::TakeBackEvents() {
    constexpr int kBatch = 32;
    FrameworkMessage taken[kBatch];
    for (uint32_t target : targets_) {
        int n = 0;
        do {
            n = TakeSocketEvents(target, static_cast<uint32_t>(id_), taken, kBatch);
            Registry().ReleaseDroppedLocked(taken, n);
        } while (n == kBatch);
    }
    targets_.clear();
}

}  // namespace kuz
