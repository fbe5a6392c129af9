#include <gtest/gtest.h>

#include <algorithm>

#include "fake_engine.h"
#include "io/core_timer.h"
#include "io/listen_socket.h"
#include "io/tcp_socket.h"
#include "message_ids.h"
#include "serving/stream_socket.h"

namespace {

using fake_engine::Message;

class RecordingOwner : public CTimerOwner {
public:
    void OnTimer(CCoreTimer* timer) override {
        ++expiries;
        running_when_told = timer->IsRunning();
        if (restart_from_expiry) restarted = timer->Start(250);
    }
    int expiries = 0;
    bool running_when_told = false;
    bool restart_from_expiry = false;
    bool restarted = false;
};

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override { fake_engine::Install(); }
};

TEST_F(TimerTest, StartSetsCoreTimerOnItselfAndRefusesWhileRunning) {
    CPeriodicTimer periodic;
    COneShotTimer one_shot;
    ASSERT_TRUE(periodic.Start(500));
    ASSERT_TRUE(one_shot.Start(4000));
    auto timers = fake_engine::LiveTimers();
    ASSERT_EQ(timers.size(), 2u);
    EXPECT_EQ(timers[0].ms, 500u);
    EXPECT_EQ(timers[0].repeat, 1u);
    EXPECT_EQ(timers[0].target, periodic.AsTarget());
    EXPECT_EQ(timers[0].sender, periodic.AsTarget());
    EXPECT_EQ(timers[0].id, static_cast<uint32_t>(MSG_TIMER));
    EXPECT_EQ(timers[1].repeat, 0u);

    const int32_t id = periodic.Id();
    EXPECT_FALSE(periodic.Start(100));
    EXPECT_EQ(periodic.Id(), id);
    EXPECT_EQ(fake_engine::LiveTimers().size(), 2u);
}

TEST_F(TimerTest, StopKillsOnlyARunningTimerAndTheDestructorStops) {
    auto* timer = new CPeriodicTimer();
    EXPECT_EQ(timer->Stop(), 0);
    timer->Start(1000);
    EXPECT_EQ(timer->Stop(), 1);
    EXPECT_FALSE(timer->IsRunning());
    EXPECT_EQ(timer->Id(), -1);
    timer->Start(1000);
    delete timer;
    EXPECT_TRUE(fake_engine::LiveTimers().empty());
}

TEST_F(TimerTest, PeriodicExpiryTellsTheOwnerWhileRunning) {
    RecordingOwner owner;
    CPeriodicTimer timer;
    timer.SetOwner(&owner);
    FrameworkMessage expiry = Message(MSG_TIMER);
    FrameworkMessage other = Message(MSG_NET_DATA);
    timer.OnMessage(&expiry);  // not running: a stale expiry is ignored
    timer.Start(1000);
    timer.OnMessage(&other);
    timer.OnMessage(&expiry);
    timer.OnMessage(&expiry);
    EXPECT_EQ(owner.expiries, 2);
    EXPECT_TRUE(owner.running_when_told);
}

TEST_F(TimerTest, OneShotIsStoppedBeforeItsOwnerHearsAndCanBeRestartedThere) {
    RecordingOwner owner;
    owner.restart_from_expiry = true;
    COneShotTimer timer;
    timer.SetOwner(&owner);
    timer.Start(4000);
    FrameworkMessage expiry = Message(MSG_TIMER);
    timer.OnMessage(&expiry);
    EXPECT_EQ(owner.expiries, 1);
    EXPECT_FALSE(owner.running_when_told);
    EXPECT_TRUE(owner.restarted);
    EXPECT_TRUE(timer.IsRunning());
}

TEST_F(TimerTest, WithoutAnOwnerTheNullOwnerTakesTheExpiry) {
    CPeriodicTimer timer;
    timer.SetOwner(nullptr);
    timer.Start(10);
    FrameworkMessage expiry = Message(MSG_TIMER);
    timer.OnMessage(&expiry);
    EXPECT_EQ(timer.Owner(), &CTimerOwner::Null());
}

// Records every event; optionally deletes the socket from inside the handler, as the player
// sessions do.
class RecordingSink : public CSocketEventSink {
public:
    int OnAccept(CListenSocket*, int socket_id, const NetSockAddr* peer) override {
        accepted.push_back(socket_id);
        peer_family = peer->family;
        return keep;
    }
    void OnListenEvent(CListenSocket*, uint32_t error) override { listen_error = error; }
    void OnConnected(CNetSocket*) override { ++connected; }
    void OnConnectFailed(CNetSocket*, uint32_t error) override { connect_error = error; }
    void OnData(CNetSocket* socket, const uint8_t* data, uint32_t length) override {
        received.append(reinterpret_cast<const char*>(data), length);
        ++data_calls;
        if (delete_on_data) delete socket;
    }
    void OnClosed(CNetSocket* socket, uint32_t error) override {
        closed_error = static_cast<int>(error);
        if (delete_on_close) delete socket;
    }
    std::vector<int> accepted;
    int keep = 1;
    uint16_t peer_family = 0;
    uint32_t listen_error = 0, connect_error = 0;
    int connected = 0, data_calls = 0, closed_error = -1;
    std::string received;
    bool delete_on_data = false, delete_on_close = false;
};

class SocketTest : public ::testing::Test {
protected:
    void SetUp() override { fake_engine::Install(); }
    static uint32_t Word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
    static size_t Freed(const void* buffer) {
        auto& freed = fake_engine::Get().freed_buffers;
        return static_cast<size_t>(std::count(freed.begin(), freed.end(), buffer));
    }
};

TEST_F(SocketTest, TcpDataReachesTheSinkOnlyWithABufferAndALengthButIsAlwaysFreed) {
    RecordingSink sink;
    CTcpSocket socket;
    socket.SetSink(&sink);
    char bytes[] = "frame";
    struct Case {
        const char* name;
        void* buffer;
        uint32_t length;
        int data_calls;
    } cases[] = {
        {"empty frame", bytes, 0, 0},
        {"no buffer", nullptr, 5, 0},
        {"frame", bytes, 5, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink.data_calls = 0;
        fake_engine::Get().freed_buffers.clear();
        FrameworkMessage msg = Message(MSG_NET_DATA, Word(c.buffer), c.length);
        socket.OnMessage(&msg);
        EXPECT_EQ(sink.data_calls, c.data_calls);
        ASSERT_EQ(fake_engine::Get().freed_buffers.size(), 1u);
        EXPECT_EQ(fake_engine::Get().freed_buffers[0], c.buffer);
    }
    EXPECT_EQ(sink.received, "frame");
}

TEST_F(SocketTest, ConnectionEventsReachTheSink) {
    RecordingSink sink;
    CTcpSocket tcp;
    CStreamSocket stream(fake_engine::detail::NewSocket());
    for (CNetSocket* socket : {static_cast<CNetSocket*>(&tcp), static_cast<CNetSocket*>(&stream)}) {
        socket->SetSink(&sink);
        FrameworkMessage connected = Message(MSG_NET_CONNECTED);
        FrameworkMessage failed = Message(MSG_NET_CONNECT_FAILED, 10061);
        socket->OnMessage(&connected);
        socket->OnMessage(&failed);
    }
    FrameworkMessage tcp_closed = Message(MSG_NET_CLOSED, 10054);
    tcp.OnMessage(&tcp_closed);
    EXPECT_EQ(sink.closed_error, 10054);
    FrameworkMessage stream_closed = Message(MSG_STREAM_CLOSED, 0);
    stream.OnMessage(&stream_closed);
    EXPECT_EQ(sink.closed_error, 0);
    EXPECT_EQ(sink.connected, 2);
    EXPECT_EQ(sink.connect_error, 10061u);
}

TEST_F(SocketTest, ASocketDeletedByItsSinkInsideAnEventIsNotTouchedAfterwards) {
    RecordingSink sink;
    sink.delete_on_data = true;
    sink.delete_on_close = true;
    char bytes[] = "GET / HTTP/1.1\r\n\r\n";
    auto* stream = new CStreamSocket(fake_engine::detail::NewSocket());
    stream->SetSink(&sink);
    FrameworkMessage data = Message(MSG_STREAM_DATA, Word(bytes), 18);
    stream->OnMessage(&data);  // deleted inside; the buffer is still freed
    EXPECT_EQ(Freed(bytes), 1u);

    auto* tcp = new CTcpSocket();
    tcp->SetSink(&sink);
    FrameworkMessage tcp_data = Message(MSG_NET_DATA, Word(bytes), 18);
    tcp->OnMessage(&tcp_data);
    EXPECT_EQ(Freed(bytes), 2u);

    auto* closing = new CStreamSocket(fake_engine::detail::NewSocket());
    closing->SetSink(&sink);
    FrameworkMessage closed = Message(MSG_STREAM_CLOSED, 0);
    closing->OnMessage(&closed);
    EXPECT_EQ(sink.data_calls, 2);
}

TEST_F(SocketTest, ListenerOffersAcceptedConnectionsAndClosesRefusedOnes) {
    RecordingSink sink;
    CListenSocket listener;
    listener.SetSink(&sink);
    ASSERT_GE(listener.Open(8888), 0);
    EXPECT_EQ(fake_engine::Get().bound_ports.back(), 8888);
    EXPECT_EQ(fake_engine::Get().sockets[listener.Id()].handler, &listener);

    const int kept = fake_engine::detail::NewSocket();
    FrameworkMessage accept = Message(MSG_NET_ACCEPT, static_cast<uint32_t>(kept));
    listener.OnMessage(&accept);
    EXPECT_FALSE(fake_engine::Get().sockets[kept].closed);

    sink.keep = 0;
    const int refused = fake_engine::detail::NewSocket();
    FrameworkMessage refuse = Message(MSG_NET_ACCEPT, static_cast<uint32_t>(refused));
    listener.OnMessage(&refuse);
    EXPECT_TRUE(fake_engine::Get().sockets[refused].closed);
    EXPECT_TRUE(fake_engine::Get().sockets[refused].destroyed);

    FrameworkMessage event = Message(MSG_NET_LISTEN_EVENT, 10053);
    listener.OnMessage(&event);
    EXPECT_EQ(sink.accepted, (std::vector<int>{kept, refused}));
    EXPECT_EQ(sink.peer_family, 2);
    EXPECT_EQ(sink.listen_error, 10053u);
}

TEST_F(SocketTest, AFailedOpenKeepsItsCodeAndIsNeitherOpenNorClosed) {
    fake_engine::Get().bind_results[8888] = kNetPortInUse;
    {
        CListenSocket listener;
        EXPECT_EQ(listener.Open(8888 + 0x10000), kNetPortInUse);  // only the low 16 bits are the port
        EXPECT_EQ(fake_engine::Get().bound_ports.back(), 8888);
        EXPECT_EQ(listener.Id(), kNetPortInUse);
        EXPECT_FALSE(listener.IsOpen());
    }
    for (auto& [id, socket] : fake_engine::Get().sockets) EXPECT_FALSE(socket.closed) << id;
}

TEST_F(SocketTest, CloseDetachAndTheDestructor) {
    int id;
    {
        CTcpSocket socket;
        id = socket.Id();
        ASSERT_GE(id, 0);
        EXPECT_EQ(fake_engine::Get().sockets[id].handler, &socket);
        socket.Close();
        EXPECT_TRUE(fake_engine::Get().sockets[id].destroyed);
        EXPECT_FALSE(socket.IsOpen());
        socket.Close();
    }
    CTcpSocket kept;
    const int kept_id = kept.Id();
    EXPECT_EQ(kept.Detach(), kept_id);
    EXPECT_EQ(kept.Id(), -1);
    { CTcpSocket closing(fake_engine::detail::NewSocket()); id = closing.Id(); }
    EXPECT_TRUE(fake_engine::Get().sockets[id].closed);
    EXPECT_FALSE(fake_engine::Get().sockets[kept_id].closed);
}

TEST_F(SocketTest, ANewTcpSocketWhoseCreateFailedHoldsNone) {
    fake_engine::Get().create_socket_result = -1;
    CTcpSocket socket;
    EXPECT_EQ(socket.Id(), -1);
    EXPECT_FALSE(socket.IsOpen());
}

TEST_F(SocketTest, ConnectByAddressAndPortUsesNetworkOrder) {
    CTcpSocket socket;
    EXPECT_TRUE(socket.Connect(0x0100007F, 9000));
    const NetSockAddr& to = fake_engine::Get().last_connect;
    EXPECT_EQ(to.family, 2);
    EXPECT_EQ(to.port_be, 0x2823);  // 9000 = 0x2328
    EXPECT_EQ(to.addr_be, 0x0100007Fu);
}

TEST_F(SocketTest, SendsAndReceivesGoToTheirOwnLibraryCalls) {
    CStreamSocket stream(fake_engine::detail::NewSocket());
    EXPECT_TRUE(stream.Send("abc", 3));
    EXPECT_TRUE(stream.StartReceive());
    fake_engine::Get().sockets[stream.Id()].refuse_sends = true;
    fake_engine::Get().sockets[stream.Id()].refuse_receive = true;
    EXPECT_FALSE(stream.Send("d", 1));
    EXPECT_FALSE(stream.StartReceive());
    EXPECT_EQ(fake_engine::Get().sockets[stream.Id()].sent, "abc");
}

}  // namespace
