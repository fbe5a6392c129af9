#include "udp_socket.h"

#include <algorithm>
#include <cstring>

#include "core_link.h"
#include "error_codes.h"
#include "message_ids.h"
#include "net_buffer.h"
#include "net_log.h"
#include "sock_addr.h"

namespace kuz {

namespace {

constexpr size_t kLargestDatagram = 65536;

}  // namespace

UdpSocket::UdpSocket(int id, asio::io_context& io)
    : NetSocket(id, io), sock_(io), rx_(kLargestDatagram), pump_timer_(io) {}

int UdpSocket::Open(const asio::ip::address_v4& address, uint16_t port) {
    std::error_code ec;
    sock_.open(asio::ip::udp::v4(), ec);
    if (!ec) sock_.bind(asio::ip::udp::endpoint(address, port), ec);
    if (!ec) sock_.non_blocking(true, ec);
    if (!ec) return 0;
    Trace(Id(), "udp bind on port %u failed %u", port, WsaCodeOf(ec));
    std::error_code ignored;
    sock_.close(ignored);
    return BindFailureResult(ec);
}

int UdpSocket::PostReceive(uint32_t max_length) {
    if (IsClosing()) return 0;
    arms_.push_back(max_length);
    ReceiveNext();
    return 1;
}

void UdpSocket::ReceiveNext() {
    if (receiving_ || arms_.empty() || IsClosing()) return;
    receiving_ = true;
    sock_.async_receive_from(asio::buffer(rx_), from_, Guarded([this](const std::error_code& ec, size_t n) {
                                 receiving_ = false;
                                 OnReceived(ec, n);
                             }));
}

void UdpSocket::OnReceived(const std::error_code& ec, size_t n) {
    if (IsClosing() || ec == asio::error::operation_aborted) return;
    if (ec) {
        // An ICMP answer to an earlier send (reset or refused) says nothing about this socket.
        if (ec == asio::error::connection_reset || ec == asio::error::connection_refused ||
            ec == asio::error::message_size) {
            ReceiveNext();
            return;
        }
        Trace(Id(), "receive failed %u", WsaCodeOf(ec));
        return;
    }
    if (n > arms_.front()) {
        Trace(Id(), "datagram of %u bytes above %u dropped", static_cast<unsigned>(n), arms_.front());
    } else {
        DeliverDatagram(n);
    }
    ReceiveNext();
}

void UdpSocket::DeliverDatagram(size_t n) {
    uint32_t max = arms_.front();
    arms_.pop_front();
    uint8_t* buffer = AllocateBuffer(max + sizeof(NetSockAddr));
    if (!buffer) return;
    std::memcpy(buffer, rx_.data(), n);
    NetSockAddr sender{};
    if (from_.address().is_v4()) sender = ToSockAddr(from_.address(), from_.port());
    std::memcpy(buffer + max, &sender, sizeof(sender));
    if (!Post(MSG_NET_DATAGRAM, ToWord(buffer), static_cast<uint32_t>(n), ToWord(buffer + max), 0)) ReleaseBuffer(buffer);
}

int UdpSocket::SendTo(const void* data, uint32_t length, const NetSockAddr& to, bool loopback_only) {
    if (IsClosing() || to.family != kAddressFamilyInet || (length > 0 && !data)) return 0;
    uint32_t addr = HostOrderAddress(to);
    uint16_t port = HostOrderPort(to);
    if (RefusesAddress(loopback_only, addr, port)) return 0;
    asio::ip::udp::endpoint endpoint(asio::ip::address_v4(addr), port);
    const NetemRule* rule = NetemRuleFor(addr, port);
    if (rule && NetemDrops(*rule)) return 1;
    if ((rule && (rule->Delays() || rule->rate_bps)) || NetemUplink()) {
        Enqueue(data, length, endpoint, rule);
        return 1;
    }
    std::error_code ec;
    sock_.send_to(asio::buffer(data, length), endpoint, 0, ec);
    return ec ? 0 : 1;
}

void UdpSocket::Enqueue(const void* data, uint32_t length, const asio::ip::udp::endpoint& to,
                        const NetemRule* rule) {
    if (delayed_bytes_ + length > kUdpShaperQueueLimit) return;  // beyond the budget: lost
    if (rule && rule->rate_bps && !rate_.Limited()) rate_ = TokenBucket(rule->rate_bps);
    Delayed d;
    d.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    d.to = to;
    d.due = NetClock::now() + (rule ? NetemDelay(*rule) : NetClock::duration::zero());
    // Datagrams may be reordered by jitter, as on a real network: keep the queue in due order.
    auto at = std::upper_bound(delayed_.begin(), delayed_.end(), d.due,
                               [](NetClock::time_point due, const Delayed& x) { return due < x.due; });
    delayed_.insert(at, std::move(d));
    delayed_bytes_ += length;
    PumpDelayed();
}

void UdpSocket::PumpDelayed() {
    if (pump_waiting_ || IsClosing()) return;
    while (!delayed_.empty()) {
        Delayed& d = delayed_.front();
        NetClock::time_point now = NetClock::now();
        uint32_t n = static_cast<uint32_t>(std::min<size_t>(d.bytes.size(), kShaperBurst));
        NetClock::time_point ready = std::max(d.due, rate_.ReadyAt(n, now));
        if (TokenBucket* uplink = NetemUplink()) ready = std::max(ready, uplink->ReadyAt(n, now));
        if (ready > now) {
            pump_waiting_ = true;
            pump_timer_.expires_at(ready);
            pump_timer_.async_wait(Guarded([this](const std::error_code& ec) {
                pump_waiting_ = false;
                if (!ec) PumpDelayed();
            }));
            return;
        }
        rate_.Take(static_cast<uint32_t>(d.bytes.size()), now);
        if (TokenBucket* uplink = NetemUplink()) uplink->Take(static_cast<uint32_t>(d.bytes.size()), now);
        std::error_code ec;
        sock_.send_to(asio::buffer(d.bytes), d.to, 0, ec);
        delayed_bytes_ -= d.bytes.size();
        delayed_.pop_front();
    }
}

int UdpSocket::LocalAddress(NetSockAddr* out) {
    std::error_code ec;
    asio::ip::udp::endpoint endpoint;
    if (sock_.is_open()) endpoint = sock_.local_endpoint(ec);
    else ec = asio::error::not_connected;
    return WriteEndpoint(endpoint, ec, out, sizeof(NetSockAddr));
}

void UdpSocket::OnClose() {
    std::error_code ec;
    pump_timer_.cancel();
    sock_.close(ec);
    arms_.clear();
    delayed_.clear();
    delayed_bytes_ = 0;
}

}  // namespace kuz
