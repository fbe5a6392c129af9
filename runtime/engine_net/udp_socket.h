// A UDP socket (kind 5). NetPostReceiveFrom arms one receive; each armed receive delivers one
// MSG_NET_DATAGRAM whose buffer holds [header][max data bytes][16-byte sender address], so one
// NetFreeBuffer frees both. NetSendTo sends at once and never queues, except under emulation.
#pragma once

#include <deque>
#include <vector>

#include "net_socket.h"
#include "netem.h"

namespace kuz {

class UdpSocket : public NetSocket {
public:
    UdpSocket(int id, asio::io_context& io);

    int Open(const asio::ip::address_v4& address, uint16_t port);
    // 1 armed, 0 when closing.
    int PostReceive(uint32_t max_length);
    // 1 sent (or dropped by emulated loss), 0 on any error.
    int SendTo(const void* data, uint32_t length, const NetSockAddr& to, bool loopback_only);

    int LocalAddress(NetSockAddr* out) override;
    void CloseNow() override { Close(); }

protected:
    void OnClose() override;

private:
    struct Delayed {
        std::vector<uint8_t> bytes;
        asio::ip::udp::endpoint to;
        NetClock::time_point due;
    };

    void ReceiveNext();
    void OnReceived(const std::error_code& ec, size_t n);
    void DeliverDatagram(size_t n);
    void Enqueue(const void* data, uint32_t length, const asio::ip::udp::endpoint& to, const NetemRule* rule);
    void PumpDelayed();

    asio::ip::udp::socket sock_;
    std::deque<uint32_t> arms_;  // max length of each armed receive
    bool receiving_ = false;
    std::vector<uint8_t> rx_;
    asio::ip::udp::endpoint from_;
    std::deque<Delayed> delayed_;
    size_t delayed_bytes_ = 0;
    bool pump_waiting_ = false;
    asio::steady_timer pump_timer_;
    TokenBucket rate_;
};

}  // namespace kuz
