// A raw byte-stream connection accepted by a kind-4 listener (a local media player).
// NetStreamStartReceive starts continuous reading: chunks of up to 4096 bytes as
// MSG_STREAM_DATA, then one MSG_STREAM_CLOSED. Reading pauses while 8 delivered buffers
// are not yet freed.
#pragma once

#include <vector>

#include "tcp_connection.h"

namespace kuz {

constexpr size_t kStreamChunk = 4096;
constexpr int kStreamUnfreedLimit = 8;

class StreamConnection : public TcpConnection {
public:
    StreamConnection(int id, asio::io_context& io, asio::ip::tcp::socket&& accepted);

    int Send(const void* data, uint32_t length) { return QueueSend(nullptr, 0, data, length); }
    // NetStreamStartReceive: 1 reading, 0 when closing or after the stream ended.
    int StartReceive();
    void CreditBuffer() override;

protected:
    void OnOpened() override {}
    void ReadWhileClosing() override { ReadNext(); }
    void OnDescriptorClosed() override;

private:
    void ReadNext();
    void OnRead(const std::error_code& ec, size_t n);

    std::vector<uint8_t> rx_;
    bool started_ = false;
    bool reading_ = false;
    bool ended_ = false;
    int unfreed_ = 0;
};

}  // namespace kuz
