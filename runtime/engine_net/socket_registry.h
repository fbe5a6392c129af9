// The socket table: ids from 1, never reused; the one lock of the library; the start-up
// count; and the release of what dropped events own (buffers, accepted sockets).
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "net_socket.h"

namespace kuz {

class SocketRegistry {
public:
    std::recursive_mutex& Lock() { return lock_; }

    // NetStartup / NetCleanup. The last cleanup closes every socket and stops the IO thread.
    void Startup();
    void Cleanup();

    // Everything the first socket needs: the core binding and hooks, the trace file, network
    // emulation and the IO thread. Lock held. False when the core cannot be reached.
    bool PrepareSocketUse();

    int NextId() { return next_id_++; }
    void Insert(const std::shared_ptr<NetSocket>& socket) { sockets_[socket->Id()] = socket; }
    std::shared_ptr<NetSocket> Find(int id) const;
    template <class T>
    std::shared_ptr<T> FindAs(int id) const {
        return std::dynamic_pointer_cast<T>(Find(id));
    }
    // NetDestroySocket: closes when needed and releases the id. A flush goes on inside.
    bool Destroy(int id);

    int ConnectionCount() const;
    // NetFreeBuffer with the lock held: 1 freed, 0 not one of our buffers (null counts as freed).
    int FreeBufferLocked(void* data);

    // Hooks of the core, called without its lock.
    void ClearHandler(uint32_t target);
    void ReleaseDropped(const FrameworkMessage* messages, int count);
    void ReleaseDroppedLocked(const FrameworkMessage* messages, int count);

private:
    std::recursive_mutex lock_;
    std::map<int, std::shared_ptr<NetSocket>> sockets_;
    int next_id_ = 1;
    int startups_ = 0;
    bool prepared_ = false;
};

// Made on first use and never destroyed.
SocketRegistry& Registry();

}  // namespace kuz
