// A TCP listener (kind 2: accepted connections are message-framed; kind 4: raw streams).
// Every accepted connection gets a new id and is announced with MSG_NET_ACCEPT; it has no
// handler and nothing armed. Listening uses a backlog of SOMAXCONN and never SO_REUSEADDR.
// Accepting pauses while 8 announced connections wait for their owner to take them up: a
// flood of connects then waits in the kernel's backlog instead of in the owner's queue, where
// it would hold up everything else the owner has to do.
#pragma once

#include "net_socket.h"

namespace kuz {

struct ListenerOptions {
    int kind;
    uint32_t max_frame;  // framed connections
    int stream_sndbuf;   // stream connections
};

class Listener : public NetSocket {
public:
    Listener(int id, asio::io_context& io, const ListenerOptions& options);

    // Binds and listens. 0, or NetCreateBoundSocket's failure result.
    int Open(const asio::ip::address_v4& address, uint16_t port);
    void AcceptNext();

    int LocalAddress(NetSockAddr* out) override;
    void CloseNow() override { Close(); }
    void AnnouncedTakenUp() override;

    static constexpr int kMaxUnclaimed = 8;

protected:
    void OnClose() override;

private:
    void OnAccepted(const std::error_code& ec, asio::ip::tcp::socket socket);
    void AdoptConnection(asio::ip::tcp::socket socket);

    ListenerOptions options_;
    asio::ip::tcp::acceptor acceptor_;
    asio::steady_timer retry_;
    int unclaimed_ = 0;     // announced, not yet taken up
    bool accepting_ = false;  // an accept is under way
};

}  // namespace kuz
