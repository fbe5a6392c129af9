// A bound datagram socket of a party (link server, stream source) on the current node: it
// keeps one receive armed and hands each datagram to its callback, then frees the buffer.
#pragma once

#include <cstdint>
#include <functional>

#include "message_object.h"
#include "outside_abi.h"

namespace sim {

class DatagramEndpoint : public CMessageObject {
public:
    using Receive = std::function<void(const uint8_t* data, uint32_t length, const NetSockAddr& from)>;
    static constexpr uint32_t kReceiveSize = 0x8000;

    DatagramEndpoint(uint16_t port, Receive receive);
    ~DatagramEndpoint() override;

    bool IsOpen() const { return m_socket >= 0; }
    int Socket() const { return m_socket; }
    uint16_t Port() const { return m_port; }
    bool SendTo(const uint8_t* data, uint32_t length, const NetSockAddr& to);

    int OnMessage(FrameworkMessage* msg) override;

private:
    int m_socket = -1;
    uint16_t m_port = 0;
    Receive m_receive;
};

}  // namespace sim
