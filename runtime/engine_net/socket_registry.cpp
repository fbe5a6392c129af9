#include "socket_registry.h"

#include "core_link.h"
#include "io_thread.h"
#include "message_ids.h"
#include "net_buffer.h"
#include "net_log.h"
#include "net_settings.h"
#include "netem.h"

namespace kuz {

SocketRegistry& Registry() {
    static SocketRegistry* registry = new SocketRegistry;
    return *registry;
}

std::recursive_mutex& TableLock() {
    return Registry().Lock();
}

void SocketRegistry::Startup() {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    if (startups_++ > 0) return;
#if defined(_WIN32)
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    // asio's own static start-up objects would call WSACleanup at process exit; this extra
    // count, never given back, keeps Winsock alone then.
    new asio::detail::winsock_init<>::manual;
#endif
}

void SocketRegistry::Cleanup() {
    {
        std::lock_guard<std::recursive_mutex> hold(lock_);
        if (startups_ == 0 || --startups_ > 0) return;
        for (auto& entry : sockets_) entry.second->CloseNow();
        sockets_.clear();
    }
    StopIoThread();
#if defined(_WIN32)
    ::WSACleanup();
#endif
}

bool SocketRegistry::PrepareSocketUse() {
    if (!prepared_) {
        if (!BindCore()) return false;
        ConfigureTrace(LogPath());
        ConfigureNetem(NetemText());
        InstallCoreHooks();
        prepared_ = true;
    }
    return StartIoThread();
}

std::shared_ptr<NetSocket> SocketRegistry::Find(int id) const {
    auto it = sockets_.find(id);
    return it == sockets_.end() ? nullptr : it->second;
}

bool SocketRegistry::Destroy(int id) {
    auto it = sockets_.find(id);
    if (it == sockets_.end()) return false;
    std::shared_ptr<NetSocket> socket = it->second;
    sockets_.erase(it);
    socket->TakenUp();
    socket->Close();
    Trace(id, "destroy");
    return true;
}

int SocketRegistry::ConnectionCount() const {
    int n = 0;
    for (const auto& entry : sockets_)
        if (entry.second->CountsAsConnection()) ++n;
    return n;
}

int SocketRegistry::FreeBufferLocked(void* data) {
    if (!data) return 1;
    BufferInfo info;
    if (!InspectBuffer(data, &info)) {
        Trace(0, "NetFreeBuffer: not a buffer %p", data);
        return 0;
    }
    ReleaseBuffer(data);
    if (info.owner_socket > 0)
        if (auto owner = Find(info.owner_socket)) owner->CreditBuffer();
    return 1;
}

void SocketRegistry::ClearHandler(uint32_t target) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    for (auto& entry : sockets_)
        if (entry.second->Handler() == target) entry.second->SetHandler(0);
}

void SocketRegistry::ReleaseDropped(const FrameworkMessage* messages, int count) {
    std::lock_guard<std::recursive_mutex> hold(lock_);
    ReleaseDroppedLocked(messages, count);
}

void SocketRegistry::ReleaseDroppedLocked(const FrameworkMessage* messages, int count) {
    for (int i = 0; i < count; ++i) {
        const FrameworkMessage& m = messages[i];
        void* p1 = FromWord<void>(m.p1);
        switch (m.id) {
        case MSG_NET_DATA:
        case MSG_STREAM_DATA:
            FreeBufferLocked(p1);
            break;
        case MSG_NET_DATAGRAM:
            if (m.p4 == 0) FreeBufferLocked(p1);
            break;
        case MSG_NET_ACCEPT:
            Destroy(static_cast<int>(m.p1));
            break;
        case MSG_CONNECTION_HANDOVER:
            Destroy(static_cast<int>(m.p1));
            FreeBufferLocked(FromWord<void>(m.p2));
            break;
        default:
            break;
        }
    }
}

}  // namespace kuz
