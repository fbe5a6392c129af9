// Fixture of the network library tests: binds the real engine core and network library,
// gives each test a message sink as socket handler and reads events with CoreGetMessage.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "asio_config.h"
#include "engine_tables.h"
#include "message_ids.h"
#include "message_object.h"

// A handler that only has to exist: the tests read its messages from the queue themselves.
class EventSink : public CMessageObject {};

// Sets (or with null, removes) an environment variable for the rest of the test.
void SetTestEnv(const char* name, const char* value);

NetSockAddr LoopbackAddress(uint16_t port);
uint16_t PortOf(const NetSockAddr& a);
uint32_t HostAddressOf(const NetSockAddr& a);
std::vector<uint8_t> Pattern(size_t length, uint32_t seed);
// Bytes of a frame on the wire: u32 little-endian length, then the payload.
std::vector<uint8_t> WireFrame(const std::vector<uint8_t>& payload);

inline uint8_t* BufferOf(const FrameworkMessage& m) {
    return FromWord<uint8_t>(m.p1);
}

class NetTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The next event, or false when none came within `ms`.
    bool Next(FrameworkMessage* m, uint32_t ms = 10000);
    // The next event must be `id` from `sender`.
    FrameworkMessage Expect(uint32_t id, int sender, uint32_t ms = 10000);
    // True when no event arrives within `ms` (used to show that something is held back).
    bool QuietFor(uint32_t ms);

    // Socket helpers; every socket made here is destroyed after the test.
    int Track(int socket);
    int Listen(int kind, uint16_t port = 0);
    uint16_t LocalPort(int socket);
    // A connected kind-2 pair: {client, accepted}, both handled by the sink.
    std::pair<int, int> ConnectedPair();
    // Waits (pumping events into `seen`) until `done` holds or ~20 s passed.
    template <class Pred>
    bool WaitUntil(Pred done, std::vector<FrameworkMessage>* seen = nullptr);

    void* Sink() { return &sink_; }
    // Sets an environment variable until the end of the test.
    void EnvForTest(const char* name, const char* value) {
        SetTestEnv(name, value);
        env_set_.push_back(name);
    }

    EventSink sink_;
    std::vector<int> sockets_;
    std::vector<std::string> env_set_;
};

template <class Pred>
bool NetTest::WaitUntil(Pred done, std::vector<FrameworkMessage>* seen) {
    for (int i = 0; i < 400; ++i) {
        if (done()) return true;
        FrameworkMessage m;
        if (Next(&m, 50) && seen) seen->push_back(m);
    }
    return done();
}

// A plain blocking socket peer outside the library (a player, a foreign client or server).
struct RawPeer {
    asio::io_context io;
    asio::ip::tcp::socket socket{io};

    // A receive buffer > 0 is set before connecting (a small one makes a slow reader).
    bool Connect(uint16_t port, const char* address = "127.0.0.1", int receive_buffer = 0);
    void Write(const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> ReadExactly(size_t n);
    std::vector<uint8_t> ReadToEnd();

private:
    void RunUntil(const bool& done, std::chrono::seconds limit);
};

// A plain listening socket on 127.0.0.1 (the far side of outgoing connections).
struct RawListener {
    asio::io_context io;
    asio::ip::tcp::acceptor acceptor{io};
    uint16_t port = 0;

    RawListener();
    void Accept(RawPeer* peer);
};
