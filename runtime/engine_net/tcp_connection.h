// A TCP connection of the table (framed or raw stream): the outgoing connect with its
// time-out, the copied send queue (shaped under network emulation), and the graceful close:
// flush for up to 10 s, shutdown of the sending side, then close.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "net_socket.h"
#include "netem.h"

namespace kuz {

constexpr size_t kSendQueueLimit = 32u * 1024 * 1024;

class TcpConnection : public NetSocket {
public:
    // An unconnected socket (NetCreateSocket).
    TcpConnection(int id, asio::io_context& io);
    // An accepted connection: open at once.
    TcpConnection(int id, asio::io_context& io, asio::ip::tcp::socket&& accepted);

    void SetConnectTimeout(uint32_t seconds) { connect_timeout_s_ = seconds; }
    // NetConnect. 1 = started (an event follows), 0 = not started.
    int Connect(const NetSockAddr& to, bool loopback_only, const std::string& source_address);
    // Copies `length` bytes after an optional 4-byte prefix and queues them. 1 = queued.
    int QueueSend(const uint8_t* prefix, uint32_t prefix_length, const void* data, uint32_t length);

    // Called by the listener once the accepted connection is in the table.
    void StartAccepted();

    int PendingSends() const override { return static_cast<int>(out_.size()); }
    int LocalAddress(NetSockAddr* out) override;
    int PeerAddress(NetSockAddr* out) override;
    void CloseNow() override;

protected:
    enum class Transport { Idle, Connecting, Open, Draining, Dead };

    void OnClose() override;
    // The connection became usable (accepted, or connected and announced).
    virtual void OnOpened() = 0;
    // During the graceful close the peer's data is read and dropped, so that closing does
    // not reset the connection (which would discard what was just sent).
    virtual void ReadWhileClosing() = 0;
    // The read side saw the end of the peer's data (or an error).
    void PeerFinished();
    // Closes the descriptor at once and drops pending sends; `code` is what the read side
    // reports for the end of the connection.
    void Abort(uint32_t code);
    void CloseDescriptor();
    // The descriptor was closed (a send failed, a deadline passed, or an abort): the read side
    // must still report the end when no read was under way to see it.
    virtual void OnDescriptorClosed() {}

    bool ConnectFailed() const { return connect_failed_; }
    bool Usable() const { return transport_ == Transport::Open || transport_ == Transport::Draining; }
    asio::ip::tcp::socket sock_;
    Transport transport_;
    uint32_t failure_code_ = 0;

private:
    struct OutItem {
        std::vector<uint8_t> bytes;
        size_t written = 0;
        NetClock::time_point due;
    };

    void ChooseNetemRule(uint32_t addr, uint16_t port);
    void OnConnectTimeout();
    void OnConnectDone(const std::error_code& ec);
    void FinishConnect(uint32_t failure_code);
    void PumpWrites();
    void WaitThenPump(NetClock::time_point when);
    void OnWritten(const std::error_code& ec, size_t n);
    void BeginShutdown();
    void ArmDeadline(NetClock::duration after, void (TcpConnection::*action)());

    std::deque<OutItem> out_;
    size_t out_bytes_ = 0;
    bool writing_ = false;
    bool peer_finished_ = false;
    bool connect_failed_ = false;
    bool connect_timed_out_ = false;
    uint32_t connect_timeout_s_ = 20;
    asio::steady_timer deadline_;     // connect time-out, flush deadline, linger
    uint32_t deadline_generation_ = 0;
    asio::steady_timer shaper_;       // emulated delay and rate
    const NetemRule* rule_ = nullptr;
    TokenBucket rate_;
    NetClock::time_point last_due_{};
};

}  // namespace kuz
