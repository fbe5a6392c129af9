// The queue: order across posting threads, the closed state, and the purge of one object.
#include <thread>
#include <vector>

#include "core_test_support.h"
#include "message_ids.h"

using namespace core_test;

namespace {

class MessageQueueTest : public CoreTest {};

constexpr uint32_t kPlainId = 4242;    // owns nothing
constexpr uint32_t kMarkerId = 4243;

TEST_F(MessageQueueTest, KeepsEachPostersOrderAndNumbersMessagesInQueueOrder) {
    constexpr int kThreads = 4;
    constexpr uint32_t kPerThread = 300;
    std::vector<std::thread> posters;
    for (uint32_t t = 0; t < kThreads; ++t) {
        posters.emplace_back([t] {
            for (uint32_t i = 0; i < kPerThread; ++i) ASSERT_EQ(1, CorePostMessage(100 + t, 200 + t, kPlainId, t, i, 7, 8));
        });
    }
    uint32_t next_of[kThreads] = {};
    uint32_t last_extra = 0;
    for (uint32_t n = 0; n < kThreads * kPerThread; ++n) {
        FrameworkMessage m = NextMessage();
        ASSERT_LT(m.p1, static_cast<uint32_t>(kThreads));
        EXPECT_EQ(100 + m.p1, m.target);
        EXPECT_EQ(200 + m.p1, m.sender);
        EXPECT_EQ(kPlainId, m.id);
        EXPECT_EQ(next_of[m.p1]++, m.p2) << "thread " << m.p1 << " out of order";
        EXPECT_EQ(7u, m.p3);
        EXPECT_EQ(8u, m.p4);
        if (n > 0) {
            EXPECT_GT(m.extra, last_extra);
        }
        last_extra = m.extra;
    }
    for (auto& poster : posters) poster.join();
}

TEST_F(MessageQueueTest, ShutdownWakesTheGetterAndClosesUntilTheNetBaseIsRegistered) {
    int waiting_result = -1;
    std::thread getter([&] {
        FrameworkMessage m;
        waiting_result = CoreGetMessage(&m);
    });
    EXPECT_EQ(1, CoreShutdownQueue());
    getter.join();
    EXPECT_EQ(0, waiting_result);

    FrameworkMessage m;
    EXPECT_EQ(0, CorePostMessage(1, 2, kPlainId));
    EXPECT_EQ(-1, CoreSetTimer(0, 0, 1, 2, kPlainId));
    EXPECT_EQ(0, CoreGetMessage(&m));

    EXPECT_EQ(1, CoreRegisterNetMessageBase(1000));
    EXPECT_EQ(1, CorePostMessage(1, 2, kMarkerId));
    EXPECT_EQ(kMarkerId, NextMessage().id);
}

TEST_F(MessageQueueTest, ShutdownDropsMessagesAndTimersAndFreesTheBlocksTheyOwn) {
    void* command = CoreAlloc(16);
    void* create = CoreAlloc(16);
    void* not_owned = CoreAlloc(16);
    ASSERT_EQ(1, CorePostMessage(0, 0, MSG_HOST_COMMAND, HOST_CMD_2010, ToWord(command)));
    ASSERT_EQ(1, CorePostMessage(0, 0, MSG_CREATE_COMPONENT, ToWord(create)));
    ASSERT_EQ(1, CorePostMessage(0, 0, kPlainId, ToWord(not_owned)));
    ASSERT_GE(CoreSetTimer(0, 1, 0, 0, kPlainId), 1);

    CoreShutdownQueue();
    CoreRegisterNetMessageBase(1000);

    EXPECT_EQ(0, CoreFree(command)) << "a dropped 502 still owned its p2 block";
    EXPECT_EQ(0, CoreFree(create)) << "a dropped 6001 still owned its p1 block";
    EXPECT_EQ(1, CoreFree(not_owned)) << "an id that owns nothing must leave p1 alone";
    CorePostMessage(0, 0, kMarkerId);
    EXPECT_EQ(kMarkerId, NextMessage().id) << "an old message or timer survived the shutdown";
}

TEST_F(MessageQueueTest, UnregisterRemovesOnlyThatObjectsMessagesAndTimers) {
    int gone = 0, kept = 0;
    const uint32_t never_registered = 0xDEAD0000;
    void* block = CoreAlloc(32);
    CorePostMessage(ToWord(&gone), 0, kPlainId, 1);
    CorePostMessage(ToWord(&kept), 0, kPlainId, 2);
    CorePostMessage(ToWord(&gone), 0, MSG_DELETE_COMPONENT, ToWord(block));
    CorePostMessage(never_registered, 0, kPlainId, 3);
    const int periodic = CoreSetTimer(0, 1, ToWord(&gone), 0, kPlainId);
    const int one_shot = CoreSetTimer(0, 0, ToWord(&gone), 0, kPlainId);
    const int kept_timer = CoreSetTimer(0, 0, ToWord(&kept), 0, kPlainId);
    FrameworkMessage first = NextMessage();  // also queues the due expiries
    EXPECT_EQ(1u, first.p1);

    EXPECT_EQ(1, CoreUnregisterObject(&gone));

    EXPECT_EQ(0, CoreFree(block)) << "the purged 6002 still owned its block";
    EXPECT_EQ(0, CoreKillTimer(periodic));
    EXPECT_EQ(0, CoreKillTimer(one_shot));
    CorePostMessage(ToWord(&kept), 0, kMarkerId);
    const FrameworkMessage expected[] = {
        {ToWord(&kept), 0, kPlainId, 2, 0, 0, 0, 0},
        {never_registered, 0, kPlainId, 3, 0, 0, 0, 0},
        {ToWord(&kept), 0, kPlainId, 0, 0, 0, 0, static_cast<uint32_t>(kept_timer)},
        {ToWord(&kept), 0, kMarkerId, 0, 0, 0, 0, 0},
    };
    for (const FrameworkMessage& want : expected) {
        FrameworkMessage m = NextMessage();
        EXPECT_EQ(want.target, m.target);
        EXPECT_EQ(want.id, m.id);
        EXPECT_EQ(want.p1, m.p1);
        if (want.extra) {
            EXPECT_EQ(want.extra, m.extra);
        }
    }
}

}  // namespace
