// The acceptor on a recording network table and a clock the test sets: blocked peers across
// the tick wrap, hand-over and refusal, and events of sockets it no longer owns.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "block_bytes.h"
#include "engine_tables.h"
#include "engine_tick.h"
#include "fake_core.h"
#include "framework_manager.h"
#include "message_ids.h"
#include "module_table.h"
#include "plain_test_module.h"
#include "take_queued.h"

namespace {

std::vector<std::string>* g_net_calls = new std::vector<std::string>;
uint32_t g_now = 0;
uint32_t g_peer_ip = 0;

uint32_t TestClock() {
    return g_now;
}

int ENGINE_CALL PeerAddress(int s, NetSockAddr* a, int) {
    std::memset(a, 0, sizeof(*a));
    a->family = 2;
    a->addr_be = g_peer_ip;
    g_net_calls->push_back("peer " + std::to_string(s));
    return 0;
}
int ENGINE_CALL Destroy(int s) {
    g_net_calls->push_back("destroy " + std::to_string(s));
    return 1;
}
int ENGINE_CALL Close(int s) {
    g_net_calls->push_back("close " + std::to_string(s));
    return 1;
}
int ENGINE_CALL Receive(int s) {
    g_net_calls->push_back("receive " + std::to_string(s));
    return 1;
}
int ENGINE_CALL Handler(int s, void*) {
    g_net_calls->push_back("handler " + std::to_string(s));
    return 1;
}
int ENGINE_CALL Send(int s, const void* data, uint32_t length) {
    const auto* b = static_cast<const uint8_t*>(data);
    std::string bytes;
    for (uint32_t i = 0; i < length; ++i) bytes += std::to_string(b[i]) + (i + 1 < length ? "," : "");
    g_net_calls->push_back("send " + std::to_string(s) + " " + bytes);
    return 1;
}
int ENGINE_CALL FreeBuffer(void* b) {
    g_net_calls->push_back("free");
    std::free(b);
    return 1;
}

template <class Fn>
void Put(int slot, Fn fn) {
    NetTable[slot] = ToWord(fn);
}

using plain_test_module::TestModule;

class AcceptorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        UnbindTablesForTest();
        FakeCore::Bind();
        Put(kNetGetPeerAddress, &PeerAddress);
        Put(kNetDestroySocket, &Destroy);
        Put(kNetClose, &Close);
        Put(kNetStartReceive, &Receive);
        Put(kNetSetHandler, &Handler);
        Put(kNetSend, &Send);
        Put(kNetFreeBuffer, &FreeBuffer);
        SetEngineTickSource(&TestClock);
        Modules().ResetForTest();
        manager = new CFrameworkManager;
        Modules().Register(nullptr, "TEST.DLL", &TestModule);
        ASSERT_EQ(manager->CreateAppItem(plain_test_module::CreateBlock(0xAB)), 1);
        component = manager->Components().Row(0).handle;
        g_net_calls->clear();
        g_peer_ip = 0x0302010A;
    }
    void TearDown() override {
        manager->DeleteAppComponent(0);
        delete manager;
        SetEngineTickSource(nullptr);
        Modules().ResetForTest();
        UnbindTablesForTest();
    }

    void Deliver(uint32_t id, uint32_t sender, uint32_t p1 = 0, uint32_t p2 = 0) {
        FrameworkMessage m{manager->TcpAcceptor().AsTarget(), sender, id, p1, p2, 0, 0, 0};
        manager->TcpAcceptor().OnMessage(&m);
    }
    // A network buffer of `length` bytes carrying `guid_byte` at offset 12 onwards.
    static uint32_t Buffer(uint32_t length, uint8_t guid_byte) {
        auto* b = static_cast<uint8_t*>(std::malloc(length ? length : 1));
        std::memset(b, guid_byte, length);
        std::memset(b, 0, length < 12 ? length : 12);
        return ToWord(b);
    }

    CFrameworkManager* manager = nullptr;
    uint32_t component = 0;
};

TEST_F(AcceptorFixture, ABlockedPeerIsRefusedForThirtySecondsAcrossTheTickWrap) {
    g_now = 0xFFFFB000u;
    manager->TcpAcceptor().BlockAddress(g_peer_ip);
    g_now += 29000;  // wrapped past zero
    Deliver(MSG_NET_ACCEPT, 1, 5);
    EXPECT_EQ(*g_net_calls, (std::vector<std::string>{"peer 5", "destroy 5"}));
    g_net_calls->clear();
    g_now += 2000;  // 31 s after the block
    Deliver(MSG_NET_ACCEPT, 1, 6);
    EXPECT_EQ(*g_net_calls, (std::vector<std::string>{"peer 6", "handler 6", "receive 6"}));
    EXPECT_EQ(manager->TcpAcceptor().Blocked().Size(), 0u);
}

TEST_F(AcceptorFixture, FirstDataIsHandedOverOrRefusedAndLaterEventsAreNotOurs) {
    Deliver(MSG_NET_ACCEPT, 1, 7);
    Deliver(MSG_NET_ACCEPT, 1, 8);
    g_net_calls->clear();

    const uint32_t routed = Buffer(28, 0xAB);
    Deliver(MSG_NET_DATA, 7, routed, 28);
    const FrameworkMessage handover = TakeQueued();
    EXPECT_EQ(handover.id, MSG_CONNECTION_HANDOVER);
    EXPECT_EQ(handover.target, component);
    EXPECT_EQ(handover.sender, 7u);
    EXPECT_EQ(handover.p1, 7u);
    EXPECT_EQ(handover.p2, routed);
    EXPECT_EQ(handover.p3, 28u);
    EXPECT_TRUE(g_net_calls->empty());

    // Socket 7 is the component's now: a second frame and its close do not reach it twice.
    Deliver(MSG_NET_DATA, 7, Buffer(28, 0xAB), 28);
    Deliver(MSG_NET_CLOSED, 7);
    EXPECT_EQ(*g_net_calls, std::vector<std::string>{"free"});
    EXPECT_EQ(TakeQueued().id, 0x7777u);
    g_net_calls->clear();

    Deliver(MSG_NET_DATA, 8, Buffer(27, 0xAB), 27);  // one byte short of a GUID
    EXPECT_EQ(*g_net_calls, (std::vector<std::string>{"free", "send 8 2,0,64,0,3,0,0,0", "close 8", "destroy 8"}));
    std::free(FromWord<void>(routed));
}

TEST_F(AcceptorFixture, SilentConnectionsAreClosedByTheSweep) {
    g_now = 1000;
    Deliver(MSG_NET_ACCEPT, 1, 9);
    g_now = 20000;
    Deliver(MSG_NET_ACCEPT, 1, 10);
    g_net_calls->clear();
    g_now = 31000;
    Deliver(MSG_FRAMEWORK_TIMER, manager->TcpAcceptor().AsTarget());
    EXPECT_EQ(*g_net_calls, (std::vector<std::string>{"close 9", "destroy 9"}));
}

}  // namespace
