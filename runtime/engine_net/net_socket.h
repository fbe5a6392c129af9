// What every socket of the table shares: its id, its handler, event posting with the handler
// resolved at post time, and NetClose's first half (no more events, undelivered ones taken back).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "asio_config.h"
#include "outside_abi.h"

namespace kuz {


std::recursive_mutex& TableLock();

class NetSocket : public std::enable_shared_from_this<NetSocket> {
public:
    NetSocket(int id, asio::io_context& io) : io_(io), id_(id) {}
    virtual ~NetSocket() = default;
    NetSocket(const NetSocket&) = delete;
    NetSocket& operator=(const NetSocket&) = delete;

    int Id() const { return id_; }
    uint32_t Handler() const { return handler_; }
    void SetHandler(uint32_t handler) { handler_ = handler; }
    bool IsClosing() const { return closing_; }

    // NetClose: no event is posted any more, queued ones are taken back, then the kind closes.
    void Close();
    // Process clean-up: the descriptor goes at once, queued sends are dropped.
    virtual void CloseNow() = 0;

    virtual bool CountsAsConnection() const { return false; }
    virtual int LocalAddress(NetSockAddr*) { return -1; }
    virtual int PeerAddress(NetSockAddr*) { return -1; }
    virtual int PendingSends() const { return 0; }
    // A buffer this socket delivered was freed (stream sockets pause on unfreed buffers).
    virtual void CreditBuffer() {}

    // An accepted connection remembers the listener that announced it until its owner takes
    // it up (sets a handler or destroys it), so the listener can pace its accepts.
    void SetAnnouncer(const std::shared_ptr<NetSocket>& listener) { announcer_ = listener; }
    void TakenUp();
    // The listener's side: one announced connection was taken up.
    virtual void AnnouncedTakenUp() {}

protected:
    // Posts to the current handler. False when dropped (no handler, or the queue is closed):
    // the caller then still owns what the event carries.
    bool Post(uint32_t message, uint32_t p1 = 0, uint32_t p2 = 0, uint32_t p3 = 0, uint32_t p4 = 0);
    virtual void OnClose() = 0;
    // True, with the refusal logged, when the caller may reach only loopback and the address
    // (host order) is not.
    bool RefusesAddress(bool loopback_only, uint32_t addr, uint16_t port) const;

    // Wraps a completion so it runs under the table lock, keeps the socket alive until it ran,
    // and never lets an exception reach the IO loop.
    template <class F>
    auto Guarded(F f) {
        return [self = shared_from_this(), f = std::move(f)](auto&&... args) mutable {
            std::lock_guard<std::recursive_mutex> hold(TableLock());
            try {
                f(std::forward<decltype(args)>(args)...);
            } catch (...) {
                // The handler failed; the IO loop carries on with the next event.
            }
        };
    }

    asio::io_context& io_;

private:
    void TakeBackEvents();

    int id_;
    std::weak_ptr<NetSocket> announcer_;
    uint32_t handler_ = 0;
    bool closing_ = false;
    std::vector<uint32_t> targets_;  // every handler an event was posted to
};

}  // namespace kuz
