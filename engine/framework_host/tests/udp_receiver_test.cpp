// The UDP receiver on a recording network table: routing by the GUID at offset 12 and the
// 500 ms retry when a receive cannot be armed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "block_bytes.h"
#include "engine_tables.h"
#include "fake_core.h"
#include "framework_manager.h"
#include "message_ids.h"
#include "module_table.h"
#include "plain_test_module.h"
#include "take_queued.h"

namespace {

std::vector<std::string>* g_calls = new std::vector<std::string>;
int g_arm_result = 1;

int ENGINE_CALL Arm(int, uint32_t max) {
    g_calls->push_back("arm " + std::to_string(max));
    return g_arm_result;
}
int ENGINE_CALL FreeBuffer(void* b) {
    g_calls->push_back("free buffer");
    std::free(b);
    return 1;
}
int ENGINE_CALL SetTimer(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender, uint32_t id, uint32_t,
                         uint32_t, uint32_t, uint32_t) {
    g_calls->push_back("timer " + std::to_string(ms) + " " + std::to_string(repeat) + " " + std::to_string(id) +
                       (target == sender ? " self" : " other"));
    return 5;
}

using plain_test_module::TestModule;

class ReceiverFixture : public ::testing::Test {
protected:
    void SetUp() override {
        UnbindTablesForTest();
        FakeCore::Bind();
        NetTable[kNetPostReceiveFrom] = ToWord(&Arm);
        NetTable[kNetFreeBuffer] = ToWord(&FreeBuffer);
        Modules().ResetForTest();
        manager = new CFrameworkManager;
        CoreTable[kCoreSetTimer] = ToWord(&SetTimer);
        Modules().Register(nullptr, "TEST.DLL", &TestModule);
        ASSERT_EQ(manager->CreateAppItem(plain_test_module::CreateBlock(0xAB)), 1);
        component = manager->Components().Row(0).handle;
        g_calls->clear();
        g_arm_result = 1;
    }
    void TearDown() override {
        manager->DeleteAppComponent(0);
        delete manager;
        Modules().ResetForTest();
        UnbindTablesForTest();
    }

    void Deliver(uint32_t id, uint32_t p1 = 0, uint32_t p2 = 0, uint32_t p4 = 0) {
        FrameworkMessage m{manager->UdpReceiver().AsTarget(), 3, id, p1, p2, 0x1234, p4, 0};
        manager->UdpReceiver().OnMessage(&m);
    }
    static uint32_t Datagram(uint32_t length) {
        auto* b = static_cast<uint8_t*>(std::calloc(1, length));
        std::memset(b + 12, 0xAB, length > 12 ? length - 12 : 0);
        return ToWord(b);
    }

    CFrameworkManager* manager = nullptr;
    uint32_t component = 0;
};

TEST_F(ReceiverFixture, ADatagramCarryingAComponentGuidIsForwardedUnchanged) {
    const uint32_t datagram = Datagram(28);
    Deliver(MSG_NET_DATAGRAM, datagram, 28);
    const FrameworkMessage m = TakeQueued();
    EXPECT_EQ(m.target, component);
    EXPECT_EQ(m.sender, 3u);
    EXPECT_EQ(m.id, MSG_NET_DATAGRAM);
    EXPECT_EQ(m.p1, datagram);
    EXPECT_EQ(m.p2, 28u);
    EXPECT_EQ(m.p3, 0x1234u);
    EXPECT_EQ(m.p4, 0u);
    EXPECT_EQ(*g_calls, std::vector<std::string>{"arm 32768"});
    std::free(FromWord<void>(datagram));
}

TEST_F(ReceiverFixture, AShortDatagramIsFreedAndTheReceiveReArmed) {
    Deliver(MSG_NET_DATAGRAM, Datagram(27), 27);
    EXPECT_EQ(TakeQueued().id, 0x7777u);
    EXPECT_EQ(*g_calls, (std::vector<std::string>{"free buffer", "arm 32768"}));
}

TEST_F(ReceiverFixture, AFailedReArmIsRetriedEvery500Ms) {
    g_arm_result = 0;
    Deliver(MSG_NET_DATAGRAM, Datagram(40), 40);
    TakeQueued();
    EXPECT_TRUE(FakeCore::Get().HasLog("NET_UDP_RecvFrom Error! OnRecvUDPFail , so we will do next after 500ms"));
    g_calls->clear();
    Deliver(MSG_NET_FAILED, 0);
    EXPECT_TRUE(FakeCore::Get().HasLog("RecvUDPFail , do again 0"));
    EXPECT_EQ(*g_calls, (std::vector<std::string>{"arm 32768", "timer 500 0 1008 self"}));
    g_arm_result = 1;
    g_calls->clear();
    Deliver(MSG_NET_FAILED, 0);
    EXPECT_EQ(*g_calls, std::vector<std::string>{"arm 32768"}) << "armed again: no further timer";
}

}  // namespace
