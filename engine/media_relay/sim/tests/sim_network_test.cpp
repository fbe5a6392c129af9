// The simulator's network as the relay sessions meet it: latency and the order it keeps, loss
// drawn from the seed, one uplink shared by a host's connections, connect outcomes, receive
// arming and the purge of what a closed socket or a gone object still had queued.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "engine_tables.h"
#include "message_ids.h"
#include "message_object.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address.h"
#include "sim_world.h"

namespace {

using sim::LinkEmulation;
using sim::Ms;
using sim::Node;
using sim::SimTime;
using sim::World;

// Every event a socket reports, with the time it was delivered and the bytes it carried.
class Recorder : public CMessageObject {
public:
    struct Event {
        SimTime at;
        uint32_t id, sender, p1;
        std::vector<uint8_t> bytes;
    };

    int OnMessage(FrameworkMessage* msg) override {
        Event event{World::Current()->Now(), msg->id, msg->sender, msg->p1, {}};
        if (msg->id == MSG_NET_DATA || msg->id == MSG_STREAM_DATA || msg->id == MSG_NET_DATAGRAM) {
            const auto* data = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(msg->p1));
            event.bytes.assign(data, data + msg->p2);
            NetFreeBuffer(const_cast<uint8_t*>(data));
            if (arm_again && msg->id == MSG_NET_DATA) NetStartReceive(static_cast<int>(msg->sender));
            if (msg->id == MSG_NET_DATAGRAM) NetPostReceiveFrom(static_cast<int>(msg->sender), 0x8000);
        }
        if (msg->id == MSG_NET_ACCEPT) accepted.push_back(static_cast<int>(msg->p1));
        events.push_back(std::move(event));
        return 0;
    }

    std::vector<Event> Of(uint32_t id) const {
        std::vector<Event> out;
        for (const Event& e : events)
            if (e.id == id) out.push_back(e);
        return out;
    }

    bool arm_again = true;
    std::vector<Event> events;
    std::vector<int> accepted;
};

// 10.0.0.d as the address word.
uint32_t IPv4(uint8_t d) {
    return 0x0000000Au | (static_cast<uint32_t>(d) << 24);
}

std::vector<uint8_t> Numbered(uint32_t n, size_t size = 8) {
    std::vector<uint8_t> bytes(size, 0);
    WriteU32(bytes.data(), n);
    return bytes;
}

class SimNetworkTest : public ::testing::Test {
protected:
    static constexpr uint16_t kPort = 9000;

    Node* Host(uint8_t last, const LinkEmulation& link = {}) {
        return world->AddNode("host" + std::to_string(last), IPv4(last), link);
    }
    Recorder& NewRecorder() {
        recorders.push_back(std::make_unique<Recorder>());
        return *recorders.back();
    }
    void Run(SimTime until) { world->RunUntil(until); }

    // A datagram socket of `node` on kPort that records what arrives.
    int Datagrams(Node* node, Recorder& recorder) {
        World::Scope scope(node);
        const int socket = NetCreateBoundSocket(kNetKindUdp, kPort);
        NetSetHandler(socket, &recorder);
        NetPostReceiveFrom(socket, 0x8000);
        return socket;
    }

    // A connection from `client` to a listener on `server`, set up in virtual time; the server
    // side records into `server_side` and is armed once.
    struct Connection {
        int client_socket, server_socket;
    };
    Connection Connect(Node* client, Node* server, Recorder& client_side, Recorder& server_side) {
        Recorder& listener = NewRecorder();
        {
            World::Scope scope(server);
            NetSetHandler(NetCreateBoundSocket(kNetKindTcp, kPort), &listener);
        }
        int client_socket;
        {
            World::Scope scope(client);
            client_socket = NetCreateSocket(kNetKindTcp);
            NetSetHandler(client_socket, &client_side);
            const NetSockAddr to = ToSocketAddress(server->IPv4(), kPort);
            EXPECT_EQ(NetConnect(client_socket, &to), 1);
        }
        Run(world->Now() + Ms(5000));
        EXPECT_EQ(listener.accepted.size(), 1u);
        const int server_socket = listener.accepted.empty() ? -1 : listener.accepted.front();
        World::Scope scope(server);
        NetSetHandler(server_socket, &server_side);
        NetStartReceive(server_socket);
        return {client_socket, server_socket};
    }

    // Host 1 with `link` and a connection from it to each of hosts 2 and 3.
    struct Fanout {
        Node* a;
        Connection to_b, to_c;
        Recorder *at_b, *at_c;
    };
    Fanout TwoConnectionsFrom(const LinkEmulation& link) {
        Node* a = Host(1, link);
        Node* b = Host(2);
        Node* c = Host(3);
        Recorder& at_a = NewRecorder();
        Recorder& at_b = NewRecorder();
        Recorder& at_c = NewRecorder();
        const Connection to_b = Connect(a, b, at_a, at_b);
        const Connection to_c = Connect(a, c, at_a, at_c);
        return {a, to_b, to_c, &at_b, &at_c};
    }

    void SendFrame(Node* node, int socket, const std::vector<uint8_t>& bytes) {
        World::Scope scope(node);
        EXPECT_EQ(NetSend(socket, bytes.data(), static_cast<uint32_t>(bytes.size())), 1);
    }

    std::unique_ptr<World> world = std::make_unique<World>(42);
    std::vector<std::unique_ptr<Recorder>> recorders;

    void TearDown() override {
        recorders.clear();
        world.reset();
    }
};

// ---------------------------------------------------------------------------------------------
// Latency

TEST_F(SimNetworkTest, FramesArriveAfterTheSendersDelayAndInTheOrderSent) {
    struct Case {
        uint32_t delay_ms, jitter_ms;
    };
    for (const Case c : {Case{0, 0}, Case{30, 0}, Case{30, 20}, Case{5, 40}}) {
        SCOPED_TRACE(testing::Message() << "delay " << c.delay_ms << " jitter " << c.jitter_ms);
        TearDown();
        world = std::make_unique<World>(c.delay_ms * 100 + c.jitter_ms);
        Node* a = Host(1, LinkEmulation{c.delay_ms, c.jitter_ms, 0, 0});
        Node* b = Host(2);
        Recorder& at_a = NewRecorder();
        Recorder& at_b = NewRecorder();
        const Connection connection = Connect(a, b, at_a, at_b);
        const SimTime sent = world->Now();
        for (uint32_t n = 0; n < 50; ++n) SendFrame(a, connection.client_socket, Numbered(n));
        Run(sent + Ms(1000));

        const std::vector<Recorder::Event> frames = at_b.Of(MSG_NET_DATA);
        ASSERT_EQ(frames.size(), 50u);
        for (uint32_t n = 0; n < frames.size(); ++n) {
            EXPECT_EQ(ReadU32(frames[n].bytes.data()), n);
            const SimTime lowest = Ms(c.delay_ms > c.jitter_ms ? c.delay_ms - c.jitter_ms : 0);
            EXPECT_GE(frames[n].at - sent, lowest);
            EXPECT_LE(frames[n].at - sent, Ms(c.delay_ms + c.jitter_ms));
        }
    }
}

TEST_F(SimNetworkTest, TrafficToTheOwnAddressIsNotEmulated) {
    const LinkEmulation slow{200, 0, 50, 1000};
    Node* relay = world->AddNode("relay", IPv4(1), slow);
    Node* player = world->AddNode("player", IPv4(1));
    Recorder& at_player = NewRecorder();
    Recorder& at_relay = NewRecorder();
    const Connection connection = Connect(relay, player, at_relay, at_player);
    const SimTime sent = world->Now();
    for (uint32_t n = 0; n < 20; ++n) SendFrame(relay, connection.client_socket, Numbered(n, 1000));
    {
        World::Scope scope(relay);
        EXPECT_EQ(NetPendingSendCount(connection.client_socket), 0);
    }
    Run(sent);
    const std::vector<Recorder::Event> frames = at_player.Of(MSG_NET_DATA);
    ASSERT_EQ(frames.size(), 20u);
    EXPECT_EQ(frames.back().at, sent);
}

// ---------------------------------------------------------------------------------------------
// Loss

// The numbers of the datagrams that got from a sender with `loss` percent to a receiver.
std::vector<uint32_t> Delivered(uint64_t seed, double loss, uint32_t count) {
    World world(seed);
    Node* a = world.AddNode("a", IPv4(1), LinkEmulation{0, 0, loss, 0});
    Node* b = world.AddNode("b", IPv4(2));
    Recorder recorder;
    int socket;
    {
        World::Scope scope(b);
        socket = NetCreateBoundSocket(kNetKindUdp, 9000);
        NetSetHandler(socket, &recorder);
        NetPostReceiveFrom(socket, 0x8000);
    }
    {
        World::Scope scope(a);
        socket = NetCreateBoundSocket(kNetKindUdp, 9000);
        const NetSockAddr to = ToSocketAddress(b->IPv4(), 9000);
        for (uint32_t n = 0; n < count; ++n) {
            const std::vector<uint8_t> bytes = Numbered(n);
            NetSendTo(socket, bytes.data(), static_cast<uint32_t>(bytes.size()), &to);
            if (n % 100 == 99) world.RunUntil(world.Now() + Ms(1));  // the receiver keeps up
        }
    }
    world.RunUntil(world.Now() + Ms(10));
    std::vector<uint32_t> numbers;
    for (const Recorder::Event& e : recorder.Of(MSG_NET_DATAGRAM)) numbers.push_back(ReadU32(e.bytes.data()));
    return numbers;
}

TEST(SimNetworkLoss, DatagramsAreLostAtTheSendersRateAsTheSeedDraws) {
    const std::vector<uint32_t> first = Delivered(5, 10, 2000);
    // 10 % of 2000 lost, within five standard deviations (about 67).
    EXPECT_NEAR(static_cast<double>(first.size()), 1800.0, 70.0);
    EXPECT_EQ(Delivered(5, 10, 2000), first);
    EXPECT_NE(Delivered(6, 10, 2000), first);
    EXPECT_EQ(Delivered(5, 0, 2000).size(), 2000u);
}

TEST_F(SimNetworkTest, LostSegmentsDelayAConnectionButLoseNothing) {
    Node* a = Host(1, LinkEmulation{10, 0, 20, 0});
    Node* b = Host(2);
    Recorder& at_a = NewRecorder();
    Recorder& at_b = NewRecorder();
    const Connection connection = Connect(a, b, at_a, at_b);
    const SimTime sent = world->Now();
    for (uint32_t n = 0; n < 100; ++n) SendFrame(a, connection.client_socket, Numbered(n, 8000));
    Run(sent + Ms(60000));
    const std::vector<Recorder::Event> frames = at_b.Of(MSG_NET_DATA);
    ASSERT_EQ(frames.size(), 100u);
    for (uint32_t n = 0; n < frames.size(); ++n) EXPECT_EQ(ReadU32(frames[n].bytes.data()), n);
    // Six segments each, one in five lost: some frame waited for a retransmission.
    EXPECT_GT(frames.back().at - sent, Ms(10 + 200));
    EXPECT_GT(a->Traffic().segments_retransmitted, 0u);
}

// ---------------------------------------------------------------------------------------------
// Bandwidth

TEST_F(SimNetworkTest, OneUplinkServesAHostsConnectionsInTurnAtItsRate) {
    // 146000 B/s: a segment of 1460 bytes, here one 1456-byte frame with its length, takes 10 ms.
    const auto [a, to_b, to_c, at_b, at_c] = TwoConnectionsFrom(LinkEmulation{0, 0, 0, 146000});
    const SimTime sent = world->Now();
    for (uint32_t n = 0; n < 5; ++n) SendFrame(a, to_b.client_socket, Numbered(n, 1456));
    for (uint32_t n = 0; n < 5; ++n) SendFrame(a, to_c.client_socket, Numbered(n, 1456));
    auto pending = [&](int socket) {
        World::Scope scope(a);
        return NetPendingSendCount(socket);
    };
    EXPECT_EQ(pending(to_b.client_socket), 5);
    EXPECT_EQ(pending(to_c.client_socket), 5);
    Run(sent + Ms(35));
    EXPECT_EQ(pending(to_b.client_socket), 3);
    EXPECT_EQ(pending(to_c.client_socket), 4);
    Run(sent + Ms(200));
    EXPECT_EQ(pending(to_b.client_socket), 0);

    // Taken in turn: b's frames leave at 10, 30, 50 ... ms and c's at 20, 40, 60 ... ms.
    const std::vector<Recorder::Event> at_b_frames = at_b->Of(MSG_NET_DATA);
    const std::vector<Recorder::Event> at_c_frames = at_c->Of(MSG_NET_DATA);
    ASSERT_EQ(at_b_frames.size(), 5u);
    ASSERT_EQ(at_c_frames.size(), 5u);
    for (uint32_t n = 0; n < 5; ++n) {
        EXPECT_EQ(at_b_frames[n].at - sent, Ms(10 + 20 * n));
        EXPECT_EQ(at_c_frames[n].at - sent, Ms(20 + 20 * n));
    }
}

TEST_F(SimNetworkTest, SmallFramesBehindABulkTransferLeaveInOneTurn) {
    const auto [a, bulk, requests, at_b, at_c] = TwoConnectionsFrom(LinkEmulation{0, 0, 0, 146000});
    const SimTime sent = world->Now();
    for (uint32_t n = 0; n < 20; ++n) SendFrame(a, bulk.client_socket, Numbered(n, 8000));
    // Ten requests of 96 bytes (100 with their lengths) share one segment: they all leave in
    // the request socket's first turn, right behind the bulk transfer's first segment.
    for (uint32_t n = 0; n < 10; ++n) SendFrame(a, requests.client_socket, Numbered(n, 96));
    {
        World::Scope scope(a);
        NetClose(requests.client_socket);  // its end queues behind the requests
    }
    Run(sent + Ms(100));
    const std::vector<Recorder::Event> arrived = at_c->Of(MSG_NET_DATA);
    ASSERT_EQ(arrived.size(), 10u);
    for (const Recorder::Event& e : arrived) EXPECT_EQ(e.at - sent, Ms(10) + (1000 * 1000000 + 145999) / 146000);
    ASSERT_EQ(at_c->Of(MSG_NET_CLOSED).size(), 1u);
    EXPECT_EQ(at_c->events.back().id, static_cast<uint32_t>(MSG_NET_CLOSED));
}

// ---------------------------------------------------------------------------------------------
// Connecting, arming, closing

TEST_F(SimNetworkTest, AConnectIsAnsweredAsTheFarAddressAllows) {
    Node* a = Host(1, LinkEmulation{25, 0, 0, 0});
    Node* up = Host(2, LinkEmulation{15, 0, 0, 0});
    Recorder& listener = NewRecorder();
    {
        World::Scope scope(up);
        NetSetHandler(NetCreateBoundSocket(kNetKindTcp, kPort), &listener);
    }
    struct Case {
        const char* what;
        uint32_t ipv4;
        uint16_t port;
        uint32_t event, code;
        SimTime after;
    };
    const Case cases[] = {
        {"listener", up->IPv4(), kPort, MSG_NET_CONNECTED, 0, Ms(25 + 15)},
        {"host up, no listener", up->IPv4(), kPort + 1, MSG_NET_CONNECT_FAILED, 10061, Ms(25 + 15)},
        {"nobody there", IPv4(99), kPort, MSG_NET_CONNECT_FAILED, 10060, Ms(7000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Recorder& client = NewRecorder();
        const SimTime started = world->Now();
        {
            World::Scope scope(a);
            const int socket = NetCreateSocket(kNetKindTcp);
            NetSetHandler(socket, &client);
            NetSetSocketValue(socket, 7);
            const NetSockAddr to = ToSocketAddress(c.ipv4, c.port);
            ASSERT_EQ(NetConnect(socket, &to), 1);
        }
        Run(started + Ms(20000));
        ASSERT_EQ(client.events.size(), 1u);
        EXPECT_EQ(client.events[0].id, c.event);
        EXPECT_EQ(client.events[0].p1, c.code);
        EXPECT_EQ(client.events[0].at - started, c.after);
    }
    EXPECT_EQ(listener.accepted.size(), 1u);
}

TEST_F(SimNetworkTest, EachArmLetsOneFrameThroughAndAHeldCloseComesLast) {
    Node* a = Host(1);
    Node* b = Host(2);
    Recorder& at_a = NewRecorder();
    Recorder& at_b = NewRecorder();
    at_b.arm_again = false;
    const Connection connection = Connect(a, b, at_a, at_b);
    for (uint32_t n = 0; n < 3; ++n) SendFrame(a, connection.client_socket, Numbered(n));
    {
        World::Scope scope(a);
        NetClose(connection.client_socket);  // graceful: the frames still go first
    }
    Run(world->Now() + Ms(100));
    EXPECT_EQ(at_b.Of(MSG_NET_DATA).size(), 1u);  // armed once by the fixture
    World::Scope scope(b);
    for (int arm = 0; arm < 3; ++arm) {
        EXPECT_EQ(NetStartReceive(connection.server_socket), 1);
        world->RunUntil(world->Now() + Ms(1));
    }
    ASSERT_EQ(at_b.Of(MSG_NET_DATA).size(), 3u);
    ASSERT_EQ(at_b.Of(MSG_NET_CLOSED).size(), 1u);
    EXPECT_EQ(at_b.events.back().id, static_cast<uint32_t>(MSG_NET_CLOSED));
    EXPECT_EQ(NetStartReceive(connection.server_socket), 0);
}

TEST_F(SimNetworkTest, WhatAGoneObjectOrAClosedSocketHadQueuedIsDroppedAndFreed) {
    Node* a = Host(1);
    Node* b = Host(2);
    Recorder& at_a = NewRecorder();
    auto doomed = std::make_unique<Recorder>();
    const Connection connection = Connect(a, b, at_a, *doomed);
    Recorder& other = NewRecorder();
    const int datagrams = Datagrams(b, other);
    SendFrame(a, connection.client_socket, Numbered(1, 500));
    {
        World::Scope scope(a);
        const int socket = NetCreateBoundSocket(kNetKindUdp, kPort);
        const NetSockAddr to = ToSocketAddress(b->IPv4(), kPort);
        NetSendTo(socket, Numbered(2).data(), 8, &to);
    }
    // Both arrive and wait in the queue, then their receivers go before delivery.
    world->Events().RunNext(world->Now());
    world->Events().RunNext(world->Now());
    EXPECT_GT(b->HeldBytes(), 0u);
    {
        World::Scope scope(b);
        doomed.reset();
        NetClose(datagrams);
    }
    Run(world->Now() + Ms(10));
    EXPECT_EQ(b->HeldBytes(), 0u);
    EXPECT_TRUE(other.events.empty());
    EXPECT_EQ(world->StrayMessages(), 0u);
}

TEST_F(SimNetworkTest, ACrashedHostResetsItsConnections) {
    Node* a = Host(1, LinkEmulation{20, 0, 0, 0});
    Node* b = Host(2);
    Recorder& at_a = NewRecorder();
    Recorder& at_b = NewRecorder();
    Connect(a, b, at_a, at_b);
    const SimTime crashed = world->Now();
    world->CrashNode(a);
    Run(crashed + Ms(100));
    const std::vector<Recorder::Event> closed = at_b.Of(MSG_NET_CLOSED);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].p1, 10054u);
    EXPECT_EQ(closed[0].at - crashed, Ms(20));
}

}  // namespace
