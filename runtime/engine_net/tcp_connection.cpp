#include "tcp_connection.h"

#include <algorithm>
#include <cstring>

#include "core_link.h"
#include "error_codes.h"
#include "message_ids.h"
#include "net_log.h"
#include "sock_addr.h"

namespace kuz {

namespace {

constexpr auto kFlushLimit = std::chrono::seconds(10);
// After our FIN the peer's remaining data is read and dropped for at most this long.
constexpr auto kLinger = std::chrono::seconds(1);

}  // namespace

TcpConnection::TcpConnection(int id, asio::io_context& io)
    : NetSocket(id, io), sock_(io), transport_(Transport::Idle), deadline_(io), shaper_(io) {}

TcpConnection::TcpConnection(int id, asio::io_context& io, asio::ip::tcp::socket&& accepted)
    : NetSocket(id, io), sock_(std::move(accepted)), transport_(Transport::Open), deadline_(io), shaper_(io) {}

void TcpConnection::StartAccepted() {
    std::error_code ec;
    asio::ip::tcp::endpoint peer = sock_.remote_endpoint(ec);
    if (!ec) ChooseNetemRule(peer.address().to_v4().to_uint(), peer.port());
    OnOpened();
}

void TcpConnection::ChooseNetemRule(uint32_t addr, uint16_t port) {
    rule_ = NetemRuleFor(addr, port);
    rate_ = TokenBucket(rule_ ? rule_->rate_bps : 0);
}

int TcpConnection::Connect(const NetSockAddr& to, bool loopback_only, const std::string& source_address) {
    if (IsClosing() || transport_ != Transport::Idle || to.family != kAddressFamilyInet) return 0;
    uint32_t addr = HostOrderAddress(to);
    uint16_t port = HostOrderPort(to);
    if (RefusesAddress(loopback_only, addr, port)) return 0;
    std::error_code ec;
    sock_.open(asio::ip::tcp::v4(), ec);
    if (ec) return 0;
    sock_.set_option(asio::ip::tcp::no_delay(true), ec);
    transport_ = Transport::Connecting;
    ChooseNetemRule(addr, port);
    Trace(Id(), "connect %u.%u.%u.%u:%u", addr >> 24, (addr >> 16) & 255, (addr >> 8) & 255, addr & 255, port);

    if (!source_address.empty()) {
        asio::ip::address_v4 source = asio::ip::make_address_v4(source_address, ec);
        if (!ec) sock_.bind(asio::ip::tcp::endpoint(source, 0), ec);
        if (ec) {
            // The outcome is still an event, never a result of this call.
            uint32_t code = WsaCodeOf(ec);
            asio::post(io_, Guarded([this, code] {
                if (transport_ == Transport::Connecting) FinishConnect(code);
            }));
            return 1;
        }
    }
    sock_.async_connect(asio::ip::tcp::endpoint(asio::ip::address_v4(addr), port),
                        Guarded([this](const std::error_code& e) { OnConnectDone(e); }));
    ArmDeadline(std::chrono::seconds(connect_timeout_s_), &TcpConnection::OnConnectTimeout);
    return 1;
}

void TcpConnection::OnConnectTimeout() {
    if (transport_ != Transport::Connecting) return;
    connect_timed_out_ = true;
    std::error_code ec;
    sock_.close(ec);  // the connect completes as aborted and is reported as a time-out
}

void TcpConnection::OnConnectDone(const std::error_code& ec) {
    if (transport_ != Transport::Connecting) return;
    ++deadline_generation_;
    std::error_code ignored;
    deadline_.cancel();
    uint32_t code = 0;
    if (ec) code = connect_timed_out_ ? kWsaTimedOut : WsaCodeOf(ec);
    if (rule_ && rule_->Delays()) {
        shaper_.expires_after(NetemDelay(*rule_));
        shaper_.async_wait(Guarded([this, code](const std::error_code&) {
            if (transport_ == Transport::Connecting) FinishConnect(code);
        }));
        return;
    }
    FinishConnect(code);
}

void TcpConnection::FinishConnect(uint32_t failure_code) {
    if (failure_code != 0) {
        connect_failed_ = true;
        CloseDescriptor();
        Trace(Id(), "connect failed %u", failure_code);
        Post(MSG_NET_CONNECT_FAILED, failure_code);
        return;
    }
    transport_ = Transport::Open;
    Post(MSG_NET_CONNECTED);
    OnOpened();
    PumpWrites();
}

int TcpConnection::QueueSend(const uint8_t* prefix, uint32_t prefix_length, const void* data, uint32_t length) {
    if (IsClosing() || transport_ != Transport::Open) return 0;
    if (length > 0 && !data) return 0;
    size_t total = size_t{prefix_length} + length;
    if (out_bytes_ + total > kSendQueueLimit) return 0;
    OutItem item;
    item.bytes.resize(total);
    if (prefix_length) std::memcpy(item.bytes.data(), prefix, prefix_length);
    if (length) std::memcpy(item.bytes.data() + prefix_length, data, length);
    if (rule_ && rule_->Delays()) {
        // Jitter never reorders the messages of one socket.
        item.due = std::max(NetClock::now() + NetemDelay(*rule_), last_due_);
        last_due_ = item.due;
    }
    out_.push_back(std::move(item));
    out_bytes_ += total;
    PumpWrites();
    return 1;
}

void TcpConnection::PumpWrites() {
    if (writing_ || out_.empty()) return;
    if (transport_ != Transport::Open && transport_ != Transport::Draining) return;
    OutItem& item = out_.front();
    size_t chunk = item.bytes.size() - item.written;
    TokenBucket* uplink = NetemUplink();
    if (rule_ || uplink) {
        NetClock::time_point now = NetClock::now();
        if (item.due > now) return WaitThenPump(item.due);
        if (rate_.Limited() || uplink) {
            chunk = std::min<size_t>(chunk, kShaperBurst);
            uint32_t n = static_cast<uint32_t>(chunk);
            NetClock::time_point ready = rate_.ReadyAt(n, now);
            if (uplink) ready = std::max(ready, uplink->ReadyAt(n, now));
            if (ready > now) return WaitThenPump(ready);
            rate_.Take(n, now);
            if (uplink) uplink->Take(n, now);
        }
    }
    writing_ = true;
    asio::async_write(sock_, asio::buffer(item.bytes.data() + item.written, chunk),
                      Guarded([this](const std::error_code& ec, size_t n) {
                          writing_ = false;
                          OnWritten(ec, n);
                      }));
}

void TcpConnection::WaitThenPump(NetClock::time_point when) {
    writing_ = true;  // nothing else may start a write meanwhile
    shaper_.expires_at(when);
    shaper_.async_wait(Guarded([this](const std::error_code& ec) {
        writing_ = false;
        if (!ec) PumpWrites();
    }));
}

void TcpConnection::OnWritten(const std::error_code& ec, size_t n) {
    if (transport_ == Transport::Dead) return;
    if (ec) {
        Trace(Id(), "send failed %u", WsaCodeOf(ec));
        Abort(WsaCodeOf(ec));
        return;
    }
    OutItem& item = out_.front();
    item.written += n;
    if (item.written >= item.bytes.size()) {
        out_bytes_ -= item.bytes.size();
        out_.pop_front();
    }
    if (out_.empty() && IsClosing() && transport_ == Transport::Open) {
        BeginShutdown();
        return;
    }
    PumpWrites();
}

void TcpConnection::OnClose() {
    switch (transport_) {
    case Transport::Idle:
        transport_ = Transport::Dead;
        return;
    case Transport::Connecting:
        Abort(0);
        return;
    case Transport::Open:
        ArmDeadline(kFlushLimit, &TcpConnection::CloseDescriptor);
        ReadWhileClosing();
        if (!writing_ && out_.empty()) BeginShutdown();
        return;
    default:
        return;
    }
}

void TcpConnection::BeginShutdown() {
    transport_ = Transport::Draining;
    std::error_code ec;
    sock_.shutdown(asio::ip::tcp::socket::shutdown_send, ec);
    Trace(Id(), "flushed, shutdown");
    if (peer_finished_) {
        CloseDescriptor();
        return;
    }
    ArmDeadline(kLinger, &TcpConnection::CloseDescriptor);
}

void TcpConnection::PeerFinished() {
    peer_finished_ = true;
    if (transport_ == Transport::Draining) CloseDescriptor();
}

void TcpConnection::ArmDeadline(NetClock::duration after, void (TcpConnection::*action)()) {
    uint32_t generation = ++deadline_generation_;
    deadline_.expires_after(after);
    deadline_.async_wait(Guarded([this, generation, action](const std::error_code& ec) {
        if (!ec && generation == deadline_generation_) (this->*action)();
    }));
}

void TcpConnection::Abort(uint32_t code) {
    if (failure_code_ == 0) failure_code_ = code;
    CloseDescriptor();
}

void TcpConnection::CloseDescriptor() {
    if (transport_ == Transport::Dead && !sock_.is_open()) return;
    transport_ = Transport::Dead;
    ++deadline_generation_;
    std::error_code ec;
    deadline_.cancel();
    shaper_.cancel();
    sock_.close(ec);
    out_.clear();
    out_bytes_ = 0;
    Trace(Id(), "closed");
    OnDescriptorClosed();
}

void TcpConnection::CloseNow() {
    Close();
    CloseDescriptor();
}

int TcpConnection::LocalAddress(NetSockAddr* out) {
    std::error_code ec;
    asio::ip::tcp::endpoint endpoint;
    if (sock_.is_open()) endpoint = sock_.local_endpoint(ec);
    else ec = asio::error::not_connected;
    return WriteEndpoint(endpoint, ec, out, sizeof(NetSockAddr));
}

int TcpConnection::PeerAddress(NetSockAddr* out) {
    std::error_code ec;
    asio::ip::tcp::endpoint endpoint;
    if (sock_.is_open()) endpoint = sock_.remote_endpoint(ec);
    else ec = asio::error::not_connected;
    return WriteEndpoint(endpoint, ec, out, sizeof(NetSockAddr));
}

}  // namespace kuz
