#include "net_entries.h"

#include <mutex>

#include "framed_connection.h"
#include "io_thread.h"
#include "listener.h"
#include "net_log.h"
#include "net_settings.h"
#include "sock_addr.h"
#include "socket_registry.h"
#include "stream_connection.h"
#include "udp_socket.h"

namespace kuz {

namespace {

template <class F>
int Locked(int failure, F body) {
    try {
        std::lock_guard<std::recursive_mutex> hold(TableLock());
        return body(Registry());
    } catch (...) {
        return failure;
    }
}

bool ParseAddress(const std::string& text, asio::ip::address_v4* out) {
    std::error_code ec;
    *out = asio::ip::make_address_v4(text, ec);
    return !ec;
}

int MakeListener(SocketRegistry& registry, int kind, const asio::ip::address_v4& address, uint16_t port) {
    ListenerOptions options{kind, MaxFrame(), StreamSndBuf()};
    auto listener = std::make_shared<Listener>(registry.NextId(), IoContext(), options);
    int failure = listener->Open(address, port);
    if (failure) return failure;
    registry.Insert(listener);
    listener->AcceptNext();
    Trace(listener->Id(), "listen kind %d port %u", kind, port);
    return listener->Id();
}

int MakeUdpSocket(SocketRegistry& registry, const asio::ip::address_v4& address, uint16_t port) {
    auto udp = std::make_shared<UdpSocket>(registry.NextId(), IoContext());
    int failure = udp->Open(address, port);
    if (failure) return failure;
    registry.Insert(udp);
    Trace(udp->Id(), "udp port %u", port);
    return udp->Id();
}

}  // namespace

int ENGINE_CALL NetStartup(uint32_t, uint32_t) {
    try {
        Registry().Startup();
    } catch (...) {
        // No exception may cross a table entry.
    }
    return 1;
}

int ENGINE_CALL NetCleanup() {
    try {
        Registry().Cleanup();
    } catch (...) {
        // No exception may cross a table entry.
    }
    return 1;
}

int ENGINE_CALL NetCreateBoundSocket(int kind, int port, uint32_t) {
    if (kind != kNetKindTcp && kind != kNetKindStream && kind != kNetKindUdp) return -1;
    if (port < 0 || port > 65535) return -1;
    return Locked(-1, [&](SocketRegistry& registry) {
        if (int forced = ForcedBindResult(port)) return forced;
        if (!registry.PrepareSocketUse()) return -1;
        std::string text = kind == kNetKindStream ? StreamBindAddress() : BindAddress();
        asio::ip::address_v4 address;
        if (!ParseAddress(text.empty() ? "0.0.0.0" : text, &address)) return -1;
        uint16_t p = static_cast<uint16_t>(port);
        return kind == kNetKindUdp ? MakeUdpSocket(registry, address, p) : MakeListener(registry, kind, address, p);
    });
}

int ENGINE_CALL NetCreateSocket(int kind, int, uint32_t) {
    if (kind != kNetKindTcp) return -1;
    return Locked(-1, [&](SocketRegistry& registry) {
        if (!registry.PrepareSocketUse()) return -1;
        auto connection = std::make_shared<FramedConnection>(registry.NextId(), IoContext(), MaxFrame());
        connection->SetConnectTimeout(ConnectTimeoutS());
        registry.Insert(connection);
        return connection->Id();
    });
}

int ENGINE_CALL NetConnect(int socket, const NetSockAddr* to) {
    if (!to) return 0;
    return Locked(0, [&](SocketRegistry& registry) {
        auto connection = registry.FindAs<FramedConnection>(socket);
        return connection ? connection->Connect(*to, LoopbackOnly(), BindAddress()) : 0;
    });
}

int ENGINE_CALL NetSetHandler(int socket, void* handler) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto s = registry.Find(socket);
        if (!s) return 0;
        if (!s->IsClosing()) s->SetHandler(ToWord(handler));  // a closing socket posts nothing anyway
        s->TakenUp();
        return 1;
    });
}

int ENGINE_CALL NetClose(int socket) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto s = registry.Find(socket);
        if (!s) return 0;
        s->Close();
        return 1;
    });
}

int ENGINE_CALL NetSend(int socket, const void* data, uint32_t length) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto connection = registry.FindAs<FramedConnection>(socket);
        return connection ? connection->Send(data, length) : 0;
    });
}

int ENGINE_CALL NetStartReceive(int socket) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto connection = registry.FindAs<FramedConnection>(socket);
        return connection ? connection->StartReceive() : 0;
    });
}

int ENGINE_CALL NetStreamStartReceive(int socket) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto connection = registry.FindAs<StreamConnection>(socket);
        return connection ? connection->StartReceive() : 0;
    });
}

int ENGINE_CALL NetSendTo(int socket, const void* data, uint32_t length, const NetSockAddr* to) {
    if (!to) return 0;
    return Locked(0, [&](SocketRegistry& registry) {
        auto udp = registry.FindAs<UdpSocket>(socket);
        return udp ? udp->SendTo(data, length, *to, LoopbackOnly()) : 0;
    });
}

int ENGINE_CALL NetPostReceiveFrom(int socket, uint32_t max_length) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto udp = registry.FindAs<UdpSocket>(socket);
        return udp ? udp->PostReceive(max_length) : 0;
    });
}

int ENGINE_CALL NetFreeBuffer(void* buffer) {
    return Locked(0, [&](SocketRegistry& registry) { return registry.FreeBufferLocked(buffer); });
}

int ENGINE_CALL NetDestroySocket(int socket) {
    return Locked(0, [&](SocketRegistry& registry) { return registry.Destroy(socket) ? 1 : 0; });
}

int ENGINE_CALL NetConnectionCount() {
    return Locked(0, [&](SocketRegistry& registry) { return registry.ConnectionCount(); });
}

int ENGINE_CALL NetGetPeerAddress(int socket, NetSockAddr* address, int length) {
    ZeroAddress(address, length);
    if (!address || length < static_cast<int>(sizeof(NetSockAddr))) return -1;
    return Locked(-1, [&](SocketRegistry& registry) {
        auto s = registry.Find(socket);
        return s ? s->PeerAddress(address) : -1;
    });
}

int ENGINE_CALL NetGetLocalAddress(int socket, NetSockAddr* address, int length) {
    ZeroAddress(address, length);
    if (!address || length < static_cast<int>(sizeof(NetSockAddr))) return -1;
    return Locked(-1, [&](SocketRegistry& registry) {
        auto s = registry.Find(socket);
        return s ? s->LocalAddress(address) : -1;
    });
}

int ENGINE_CALL NetPendingSendCount(int socket) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto s = registry.Find(socket);
        return s ? s->PendingSends() : 0;
    });
}

int ENGINE_CALL NetStreamSend(int socket, const void* data, uint32_t length) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto connection = registry.FindAs<StreamConnection>(socket);
        return connection ? connection->Send(data, length) : 0;
    });
}

int ENGINE_CALL NetSetSocketValue(int socket, int value) {
    return Locked(0, [&](SocketRegistry& registry) {
        auto connection = registry.FindAs<FramedConnection>(socket);
        if (!connection) return registry.Find(socket) ? 1 : 0;
        if (value > 0) connection->SetConnectTimeout(static_cast<uint32_t>(value));
        return 1;
    });
}

}  // namespace kuz
