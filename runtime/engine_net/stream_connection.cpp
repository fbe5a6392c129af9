#include "stream_connection.h"

#include <cstring>

#include "error_codes.h"
#include "message_ids.h"
#include "net_buffer.h"
#include "net_log.h"

namespace kuz {

StreamConnection::StreamConnection(int id, asio::io_context& io, asio::ip::tcp::socket&& accepted)
    : TcpConnection(id, io, std::move(accepted)), rx_(kStreamChunk) {}

int StreamConnection::StartReceive() {
    if (IsClosing() || ended_) return 0;
    if (!started_) {
        started_ = true;
        asio::post(io_, Guarded([this] { ReadNext(); }));
    }
    return 1;
}

void StreamConnection::CreditBuffer() {
    if (unfreed_ > 0) --unfreed_;
    ReadNext();
}

// Paused on unfreed buffers when the descriptor went (a failed send): no read is under way to
// see the end, so it is reported here, after the chunks already delivered.
void StreamConnection::OnDescriptorClosed() {
    if (reading_ || ended_ || IsClosing() || !started_) return;
    ended_ = true;
    const uint32_t code = failure_code_ ? failure_code_ : kWsaConnReset;
    Trace(Id(), "stream ended while paused %u", code);
    Post(MSG_STREAM_CLOSED, code);
}

void StreamConnection::ReadNext() {
    if (reading_ || ended_ || !Usable()) return;
    if (!IsClosing() && (!started_ || unfreed_ >= kStreamUnfreedLimit)) return;
    reading_ = true;
    sock_.async_read_some(asio::buffer(rx_), Guarded([this](const std::error_code& ec, size_t n) {
                              reading_ = false;
                              OnRead(ec, n);
                          }));
}

void StreamConnection::OnRead(const std::error_code& ec, size_t n) {
    if (IsClosing()) {
        if (ec) {
            ended_ = true;
            PeerFinished();
        } else {
            ReadNext();
        }
        return;
    }
    if (ec) {
        ended_ = true;
        uint32_t code = 0;
        if (ec == asio::error::operation_aborted && failure_code_) code = failure_code_;
        else if (ec != asio::error::eof) code = WsaCodeOf(ec);
        Trace(Id(), "stream ended %u", code);
        PeerFinished();
        Post(MSG_STREAM_CLOSED, code);
        return;
    }
    uint8_t* buffer = AllocateBuffer(static_cast<uint32_t>(n), Id());
    if (buffer) {
        std::memcpy(buffer, rx_.data(), n);
        if (Post(MSG_STREAM_DATA, ToWord(buffer), static_cast<uint32_t>(n))) ++unfreed_;
        else ReleaseBuffer(buffer);
    }
    ReadNext();
}

}  // namespace kuz
