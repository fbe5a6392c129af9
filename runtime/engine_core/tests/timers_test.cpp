// Timers: expiries carry the given words with the timer id as extra, periodic timers do not
// burst when the loop is late, and a kill takes the queued expiry with it.
#include <chrono>
#include <thread>

#include "core_test_support.h"
#include "message_ids.h"

using namespace core_test;

namespace {

class TimersTest : public CoreTest {};

constexpr uint32_t kTimerMsg = MSG_TIMER;
constexpr uint32_t kMarkerId = 4243;
constexpr uint32_t kTarget = 0x1000;
constexpr uint32_t kSender = 0x2000;

void ExpectExpiry(const FrameworkMessage& m, int timer_id) {
    EXPECT_EQ(kTarget, m.target);
    EXPECT_EQ(kSender, m.sender);
    EXPECT_EQ(kTimerMsg, m.id);
    EXPECT_EQ(static_cast<uint32_t>(timer_id), m.extra);
}

void ExpectMarker(uint32_t p1) {
    FrameworkMessage m = NextMessage();
    EXPECT_EQ(kMarkerId, m.id);
    EXPECT_EQ(p1, m.p1);
}

TEST_F(TimersTest, OneShotPostsItsWordsOnceAndThenEnds) {
    const int id = CoreSetTimer(20, 0, kTarget, kSender, kTimerMsg, 1, 2, 3, 4);
    ASSERT_GE(id, 1);
    FrameworkMessage m = NextMessage();
    ExpectExpiry(m, id);
    EXPECT_EQ(1u, m.p1);
    EXPECT_EQ(2u, m.p2);
    EXPECT_EQ(3u, m.p3);
    EXPECT_EQ(4u, m.p4);
    EXPECT_EQ(0, CoreKillTimer(id)) << "a delivered one-shot timer is over";
    CorePostMessage(kTarget, 0, kMarkerId, 1);
    ExpectMarker(1);
}

TEST_F(TimersTest, PeriodicRepeatsUntilKilled) {
    const int id = CoreSetTimer(5, 1, kTarget, kSender, kTimerMsg);
    for (int i = 0; i < 3; ++i) ExpectExpiry(NextMessage(), id);
    EXPECT_EQ(1, CoreKillTimer(id));
    EXPECT_EQ(0, CoreKillTimer(id));
    CorePostMessage(kTarget, 0, kMarkerId, 1);
    ExpectMarker(1);
}

TEST_F(TimersTest, ZeroMsTimersAreDueAtOnceInTheOrderSet) {
    const int a = CoreSetTimer(0, 0, kTarget, kSender, kTimerMsg);
    const int b = CoreSetTimer(0, 0, kTarget, kSender, kTimerMsg);
    const int c = CoreSetTimer(0, 0, kTarget, kSender, kTimerMsg);
    EXPECT_LT(a, b);
    EXPECT_LT(b, c);
    for (int id : {a, b, c}) ExpectExpiry(NextMessage(), id);
}

TEST_F(TimersTest, LatePeriodicTimerKeepsAtMostOneUndeliveredExpiry) {
    const int id = CoreSetTimer(20, 1, kTarget, kSender, kTimerMsg);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // many periods pass unserved
    CorePostMessage(kTarget, 0, kMarkerId, 1);
    ExpectMarker(1);  // this get queues the overdue expiry, once
    CorePostMessage(kTarget, 0, kMarkerId, 2);
    ExpectExpiry(NextMessage(), id);
    ExpectMarker(2);  // a burst of missed expiries would come first
    CoreKillTimer(id);
}

TEST_F(TimersTest, KillDropsTheQueuedExpiryAndIdsAreNeverReused) {
    const int old_id = CoreSetTimer(0, 0, kTarget, kSender, kTimerMsg);
    CorePostMessage(kTarget, 0, kMarkerId, 1);
    CorePostMessage(kTarget, 0, kMarkerId, 2);
    ExpectMarker(1);  // the expiry is now queued behind marker 2
    EXPECT_EQ(1, CoreKillTimer(old_id));
    const int new_id = CoreSetTimer(0, 0, kTarget, kSender, kTimerMsg);  // a restart, as in OnTimer
    EXPECT_GT(new_id, old_id);
    ExpectMarker(2);
    ExpectExpiry(NextMessage(), new_id);
}

TEST_F(TimersTest, KillOfNoTimerDoesNothing) {
    const int live = CoreSetTimer(0, 0, kTarget, kSender, kTimerMsg);
    for (int id : {-1, 0, live + 1000}) EXPECT_EQ(0, CoreKillTimer(id)) << id;
    ExpectExpiry(NextMessage(), live);
}

TEST_F(TimersTest, TimerSetOnAnotherThreadWakesTheWaitingGetter) {
    int id = 0;
    std::thread setter([&id] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the getter block first
        id = CoreSetTimer(10, 0, kTarget, kSender, kTimerMsg);
    });
    FrameworkMessage m = NextMessage();
    setter.join();
    ExpectExpiry(m, id);
}

}  // namespace
