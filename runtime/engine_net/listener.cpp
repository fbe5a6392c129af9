#include "listener.h"

#include "error_codes.h"
#include "framed_connection.h"
#include "message_ids.h"
#include "net_log.h"
#include "sock_addr.h"
#include "socket_registry.h"
#include "stream_connection.h"

namespace kuz {

namespace {

constexpr auto kAcceptRetry = std::chrono::milliseconds(100);

}  // namespace

Listener::Listener(int id, asio::io_context& io, const ListenerOptions& options)
    : NetSocket(id, io), options_(options), acceptor_(io), retry_(io) {}

int Listener::Open(const asio::ip::address_v4& address, uint16_t port) {
    std::error_code ec;
    acceptor_.open(asio::ip::tcp::v4(), ec);
    if (!ec) acceptor_.bind(asio::ip::tcp::endpoint(address, port), ec);
    if (!ec) acceptor_.listen(asio::socket_base::max_listen_connections, ec);
    if (!ec) return 0;
    Trace(Id(), "listen on port %u failed %u", port, WsaCodeOf(ec));
    std::error_code ignored;
    acceptor_.close(ignored);
    return BindFailureResult(ec);
}

void Listener::AcceptNext() {
    if (IsClosing() || accepting_ || unclaimed_ >= kMaxUnclaimed) return;
    accepting_ = true;
    acceptor_.async_accept(Guarded([this](const std::error_code& ec, asio::ip::tcp::socket socket) {
        accepting_ = false;
        OnAccepted(ec, std::move(socket));
    }));
}

void Listener::AnnouncedTakenUp() {
    if (unclaimed_ > 0) --unclaimed_;
    AcceptNext();
}

void Listener::OnAccepted(const std::error_code& ec, asio::ip::tcp::socket socket) {
    if (IsClosing()) return;  // the accepted descriptor closes with `socket`
    if (!ec) {
        AdoptConnection(std::move(socket));
        AcceptNext();
        return;
    }
    if (ec == asio::error::operation_aborted) return;
    uint32_t code = WsaCodeOf(ec);
    Trace(Id(), "accept failed %u", code);
    if (options_.kind == kNetKindStream) Post(MSG_NET_LISTEN_EVENT, code);
    retry_.expires_after(kAcceptRetry);
    accepting_ = true;  // the retry starts the next accept
    retry_.async_wait(Guarded([this](const std::error_code& e) {
        accepting_ = false;
        if (!e) AcceptNext();
    }));
}

void Listener::AdoptConnection(asio::ip::tcp::socket socket) {
    std::error_code ec;
    socket.set_option(asio::ip::tcp::no_delay(true), ec);
    SocketRegistry& registry = Registry();
    int id = registry.NextId();
    std::shared_ptr<TcpConnection> connection;
    if (options_.kind == kNetKindStream) {
        socket.set_option(asio::socket_base::send_buffer_size(options_.stream_sndbuf), ec);
        connection = std::make_shared<StreamConnection>(id, io_, std::move(socket));
    } else {
        connection = std::make_shared<FramedConnection>(id, io_, std::move(socket), options_.max_frame);
    }
    registry.Insert(connection);
    connection->StartAccepted();
    Trace(Id(), "accept s=%d", id);
    connection->SetAnnouncer(shared_from_this());
    ++unclaimed_;
    if (!Post(MSG_NET_ACCEPT, static_cast<uint32_t>(id))) registry.Destroy(id);
}

int Listener::LocalAddress(NetSockAddr* out) {
    std::error_code ec;
    asio::ip::tcp::endpoint endpoint;
    if (acceptor_.is_open()) endpoint = acceptor_.local_endpoint(ec);
    else ec = asio::error::not_connected;
    return WriteEndpoint(endpoint, ec, out, sizeof(NetSockAddr));
}

void Listener::OnClose() {
    std::error_code ec;
    retry_.cancel();
    acceptor_.close(ec);
}

}  // namespace kuz
