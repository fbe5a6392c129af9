#include "framed_connection.h"

#include <cstring>

#include "error_codes.h"
#include "message_ids.h"
#include "net_buffer.h"
#include "net_log.h"

namespace kuz {

namespace {

// A connection starts with a small read buffer (most send a hello and little else, and a flood
// of connections must not cost 64 KiB each) and grows it once a read fills it.
constexpr size_t kFirstReadChunk = 4096;
constexpr size_t kReadChunk = 65536;

uint32_t ReadLe32(const uint8_t* b) {
    return uint32_t{b[0]} | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

}  // namespace

FramedConnection::FramedConnection(int id, asio::io_context& io, uint32_t max_frame)
    : TcpConnection(id, io), max_frame_(max_frame), rx_(kFirstReadChunk) {}

FramedConnection::FramedConnection(int id, asio::io_context& io, asio::ip::tcp::socket&& accepted,
                                   uint32_t max_frame)
    : TcpConnection(id, io, std::move(accepted)), max_frame_(max_frame), rx_(kFirstReadChunk) {}

FramedConnection::~FramedConnection() {
    DropReadAhead();
}

int FramedConnection::Send(const void* data, uint32_t length) {
    uint8_t prefix[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                         static_cast<uint8_t>(length >> 16), static_cast<uint8_t>(length >> 24)};
    return QueueSend(prefix, sizeof(prefix), data, length);
}

int FramedConnection::StartReceive() {
    if (IsClosing() || close_delivered_ || ConnectFailed()) return 0;
    ++arms_;
    ScheduleDelivery();
    return 1;
}

bool FramedConnection::CountsAsConnection() const {
    return !IsClosing() && !ConnectFailed() && !close_delivered_;
}

void FramedConnection::OnOpened() {
    ReadMore();
}

void FramedConnection::ReadWhileClosing() {
    ReadMore();
}

void FramedConnection::OnClose() {
    DropReadAhead();
    arms_ = 0;
    TcpConnection::OnClose();
}

// Reading pauses while frames wait for their owner. A connection that dies meanwhile (its
// sends fail once the peer reset it) has no read under way to notice: its end is reported here,
// after the frames already read, so the owner does not keep a connection that is gone.
void FramedConnection::OnDescriptorClosed() {
    if (reading_ || read_done_ || IsClosing()) return;
    read_done_ = true;
    close_code_ = failure_code_ ? failure_code_ : kWsaConnReset;
    Trace(Id(), "closed while reading was paused %u", close_code_);
    Deliver();
}

void FramedConnection::ReadMore() {
    if (reading_ || read_done_ || !Usable()) return;
    if (!IsClosing() && (ready_.size() >= kReadAheadFrames || ready_bytes_ >= kReadAheadBytes)) return;
    reading_ = true;
    sock_.async_read_some(asio::buffer(rx_), Guarded([this](const std::error_code& ec, size_t n) {
                              reading_ = false;
                              OnRead(ec, n);
                          }));
}

void FramedConnection::OnRead(const std::error_code& ec, size_t n) {
    if (IsClosing()) {
        // Closing: the peer's data is dropped until it ends its side.
        if (ec) {
            read_done_ = true;
            PeerFinished();
        } else {
            ReadMore();
        }
        return;
    }
    if (ec) {
        read_done_ = true;
        if (ec == asio::error::eof) close_code_ = InsideFrame() ? kWsaConnReset : 0;
        else if (ec == asio::error::operation_aborted && failure_code_) close_code_ = failure_code_;
        else close_code_ = WsaCodeOf(ec);
        Trace(Id(), "peer closed %u", close_code_);
        PeerFinished();
        Deliver();
        return;
    }
    if (!Parse(rx_.data(), n)) {
        read_done_ = true;
        close_code_ = kWsaMsgSize;
        Trace(Id(), "frame above %u, closing", max_frame_);
        Abort(kWsaMsgSize);
    }
    if (n == rx_.size() && rx_.size() < kReadChunk) rx_.resize(kReadChunk);
    Deliver();
    ReadMore();
}

bool FramedConnection::Parse(const uint8_t* bytes, size_t n) {
    size_t i = 0;
    for (;;) {
        if (!partial_) {
            if (i == n) return true;
            size_t take = std::min<size_t>(4 - header_have_, n - i);
            std::memcpy(header_ + header_have_, bytes + i, take);
            header_have_ += static_cast<uint32_t>(take);
            i += take;
            if (header_have_ < 4) return true;
            uint32_t length = ReadLe32(header_);
            if (length > max_frame_) return false;
            partial_ = AllocateBuffer(length);
            if (!partial_) return false;
            partial_length_ = length;
            partial_have_ = 0;
        }
        size_t take = std::min<size_t>(partial_length_ - partial_have_, n - i);
        if (take) std::memcpy(partial_ + partial_have_, bytes + i, take);
        partial_have_ += static_cast<uint32_t>(take);
        i += take;
        if (!CompleteFrameIfFull()) return true;
    }
}

bool FramedConnection::CompleteFrameIfFull() {
    if (partial_have_ < partial_length_) return false;
    ready_.push_back(Frame{partial_, partial_length_});
    ready_bytes_ += partial_length_;
    partial_ = nullptr;
    header_have_ = 0;
    return true;
}

void FramedConnection::ScheduleDelivery() {
    if (delivery_scheduled_) return;
    delivery_scheduled_ = true;
    // Delivery runs on the IO thread: an API call only starts work.
    asio::post(io_, Guarded([this] {
        delivery_scheduled_ = false;
        Deliver();
    }));
}

void FramedConnection::Deliver() {
    while (arms_ > 0 && !IsClosing()) {
        if (!ready_.empty()) {
            Frame frame = ready_.front();
            ready_.pop_front();
            ready_bytes_ -= frame.length;
            --arms_;
            if (!Post(MSG_NET_DATA, ToWord(frame.data), frame.length)) ReleaseBuffer(frame.data);
            continue;
        }
        if (read_done_) {
            arms_ = 0;
            close_delivered_ = true;
            Post(MSG_NET_CLOSED, close_code_);
        }
        break;
    }
    ReadMore();
}

void FramedConnection::DropReadAhead() {
    for (const Frame& frame : ready_) ReleaseBuffer(frame.data);
    ready_.clear();
    ready_bytes_ = 0;
    if (partial_) ReleaseBuffer(partial_);
    partial_ = nullptr;
    header_have_ = 0;
}

}  // namespace kuz
