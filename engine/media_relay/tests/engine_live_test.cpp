// The timers and the stream listener over the real engine core and network library.
#include <gtest/gtest.h>

#include <vector>

#include "io/core_timer.h"
#include "io/listen_socket.h"
#include "pieces/stream_buffer.h"
#include "pieces/stream_buffer_owner.h"
#include "serving/stream_server.h"
#include "session/stats_block.h"
#include "test_binding.h"

namespace {

class EngineLiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { bound = test_binding::BindCore() && test_binding::BindNet(); }
    void SetUp() override {
        ASSERT_TRUE(bound) << "the engine core or network library could not be bound";
    }
    // Delivers queued messages to their targets until `done` holds.
    template <class Done>
    static void RunUntil(Done done) {
        FrameworkMessage msg;
        while (!done() && CoreGetMessage(&msg)) CMessageObject::FromTarget(msg.target)->OnMessage(&msg);
    }
    static bool bound;
};
bool EngineLiveTest::bound = false;

class CountingOwner : public CTimerOwner {
public:
    void OnTimer(CCoreTimer* timer) override {
        ++expiries;
        if (restarts > 0) {
            --restarts;
            timer->Start(5);
        }
    }
    int expiries = 0;
    int restarts = 0;
};

TEST_F(EngineLiveTest, TimersExpireThroughTheMessageQueue) {
    CountingOwner periodic_owner, one_shot_owner;
    CPeriodicTimer periodic;
    COneShotTimer one_shot;
    periodic.SetOwner(&periodic_owner);
    one_shot.SetOwner(&one_shot_owner);
    one_shot_owner.restarts = 2;
    ASSERT_TRUE(periodic.Start(5));
    ASSERT_TRUE(one_shot.Start(5));
    RunUntil([&] { return periodic_owner.expiries >= 3 && one_shot_owner.expiries >= 3; });
    EXPECT_EQ(one_shot_owner.expiries, 3);  // started again twice from its own expiry
    EXPECT_FALSE(one_shot.IsRunning());
    EXPECT_TRUE(periodic.IsRunning());
}

TEST_F(EngineLiveTest, TheStreamServerMovesPastPortsInUse) {
    // Two neighbouring free ports, taken here, in front of the server's first choice.
    std::vector<uint8_t> stats(stats_block::kSize, 0);
    struct Owner : CStreamBufferOwner {
        explicit Owner(uint8_t* block) : block(block) {}
        uint8_t* StatsBlock() override { return block; }
        bool IsLiveTransfer(CPeerTransfer*) override { return false; }
        void RequestPiece(CPeerTransfer*, uint32_t, uint32_t) override {}
        uint8_t* block;
    } owner(stats.data());
    CListenSocket first, second;
    uint32_t base = 31000;
    for (; base < 40000; base += 2) {
        first.Close();
        second.Close();
        if (first.Open(base) >= 0 && second.Open(base + 1) >= 0) break;
    }
    ASSERT_TRUE(first.IsOpen() && second.IsOpen());
    CStreamBuffer buffer(&owner);
    CStreamServer server(&buffer, static_cast<uint16_t>(base));
    ASSERT_TRUE(server.IsListening());
    EXPECT_GE(server.Port(), base + 2);
    EXPECT_EQ(ReadU16(stats.data() + stats_block::kStreamPort), server.Port());
}

}  // namespace
