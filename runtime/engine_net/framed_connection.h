// A message-framed TCP connection (kind 2): each NetSend travels as a u32 little-endian length
// and the payload, and each frame is delivered as one MSG_NET_DATA. Delivery is one-shot:
// every NetStartReceive arms exactly one MSG_NET_DATA or MSG_NET_CLOSED. Frames read ahead
// wait in a queue; a close with nothing armed waits for the next arm.
#pragma once

#include <deque>
#include <vector>

#include "tcp_connection.h"

namespace kuz {

constexpr size_t kReadAheadFrames = 64;
constexpr size_t kReadAheadBytes = 1024 * 1024;

class FramedConnection : public TcpConnection {
public:
    FramedConnection(int id, asio::io_context& io, uint32_t max_frame);
    FramedConnection(int id, asio::io_context& io, asio::ip::tcp::socket&& accepted, uint32_t max_frame);
    ~FramedConnection() override;

    int Send(const void* data, uint32_t length);
    // NetStartReceive: 1 armed, 0 when closing or after the close was delivered.
    int StartReceive();
    bool CountsAsConnection() const override;

protected:
    void OnOpened() override;
    void ReadWhileClosing() override;
    void OnClose() override;
    void OnDescriptorClosed() override;

private:
    struct Frame {
        uint8_t* data;
        uint32_t length;
    };

    void ReadMore();
    void OnRead(const std::error_code& ec, size_t n);
    // False when a frame announces more than the maximum.
    bool Parse(const uint8_t* bytes, size_t n);
    bool CompleteFrameIfFull();
    bool InsideFrame() const { return header_have_ > 0 || partial_; }
    void ScheduleDelivery();
    void Deliver();
    void DropReadAhead();

    uint32_t max_frame_;
    std::vector<uint8_t> rx_;
    uint8_t header_[4] = {};
    uint32_t header_have_ = 0;
    uint8_t* partial_ = nullptr;
    uint32_t partial_length_ = 0;
    uint32_t partial_have_ = 0;
    std::deque<Frame> ready_;
    size_t ready_bytes_ = 0;
    bool reading_ = false;
    bool read_done_ = false;      // no more frames will come
    uint32_t close_code_ = 0;     // valid once read_done_
    int arms_ = 0;
    bool close_delivered_ = false;
    bool delivery_scheduled_ = false;
};

}  // namespace kuz
