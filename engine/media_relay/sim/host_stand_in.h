// What an engine host's framework does for the relay component of one simulated host: it owns
// the host's datagram socket and peer listener, routes each datagram whose channel GUID (at
// offset 12, 28 bytes at least) is the component's to it, hands each accepted connection over
// with its first frame when that frame names the component's GUID and refuses any other with
// the framework's 8-byte refusal, and offers the CreateNetRequest factory of the creation block.
#pragma once

#include <cstdint>
#include <set>

#include "message_object.h"
#include "outside_abi.h"

namespace sim {

class HostStandIn : public CMessageObject {
public:
    static constexpr uint32_t kReceiveSize = 0x8000;

    // Opens the sockets on the current node.
    HostStandIn(uint16_t tcp_port, uint16_t udp_port);
    ~HostStandIn() override;

    bool IsOpen() const { return m_udp >= 0 && m_listener >= 0; }
    int UdpSocket() const { return m_udp; }
    uint16_t TcpPort() const { return m_tcp_port; }
    uint16_t UdpPort() const { return m_udp_port; }

    // The component traffic is routed to; a handle of 0 routes nothing.
    void SetComponent(const uint8_t* guid, uint32_t handle);

    int OnMessage(FrameworkMessage* msg) override;

    // The factory the creation block names. The simulated links are datagram links, so no
    // exchange is ever made: every request fails at once, as an unreachable server would.
    static CreateNetRequestFn RequestFactory();

private:
    bool NamesComponent(const uint8_t* data, uint32_t length) const;
    void RouteDatagram(const FrameworkMessage& msg);
    void Accept(int socket);
    void FirstFrame(const FrameworkMessage& msg);
    void Closed(int socket);

    int m_udp = -1;
    int m_listener = -1;
    uint16_t m_tcp_port = 0;
    uint16_t m_udp_port = 0;
    uint8_t m_guid[16] = {};
    uint32_t m_component = 0;
    std::set<int> m_waiting;  // accepted, first frame not yet here
};

}  // namespace sim
