// Local-address order, the 30-second block list and the set of silent connections, on their
// own clock values so the 32-bit wrap can be crossed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "block_list.h"
#include "listening_ports.h"
#include "local_addresses.h"
#include "waiting_connections.h"

namespace {

uint32_t Ip(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t bytes[4] = {a, b, c, d};
    uint32_t v;
    std::memcpy(&v, bytes, 4);
    return v;
}

TEST(LocalAddresses, SortDescendingWithTheLastOctetWeighingMost) {
    struct Case {
        std::vector<uint32_t> in, expected;
    };
    const Case cases[] = {
        {{Ip(192, 168, 0, 1), Ip(10, 0, 0, 2)}, {Ip(10, 0, 0, 2), Ip(192, 168, 0, 1)}},
        {{Ip(10, 0, 0, 2), Ip(192, 168, 0, 1)}, {Ip(10, 0, 0, 2), Ip(192, 168, 0, 1)}},
        // Equal last octets: the third octet decides, then the second, then the first.
        {{Ip(10, 0, 1, 5), Ip(10, 0, 2, 5), Ip(11, 0, 2, 5), Ip(1, 2, 3, 200)},
         {Ip(1, 2, 3, 200), Ip(11, 0, 2, 5), Ip(10, 0, 2, 5), Ip(10, 0, 1, 5)}},
        {{Ip(127, 0, 0, 1)}, {Ip(127, 0, 0, 1)}},
    };
    for (const Case& c : cases) {
        std::vector<uint32_t> v = c.in;
        SortLocalAddresses(v.data(), static_cast<int>(v.size()));
        EXPECT_EQ(v, c.expected);
    }
}

TEST(BlockList, RefusesForThirtySecondsAlsoAcrossTheClockWrap) {
    const uint32_t ip = Ip(10, 1, 2, 3);
    // Blocking times: normal, within the first 30 s after system start, just before the wrap.
    for (uint32_t blocked_at : {5000000u, 1000u, 0xFFFFF000u}) {
        SCOPED_TRACE(blocked_at);
        BlockList list;
        list.Block(ip, blocked_at);
        EXPECT_TRUE(list.IsBlocked(ip, blocked_at));
        EXPECT_TRUE(list.IsBlocked(ip, blocked_at + 29000));
        EXPECT_FALSE(list.IsBlocked(Ip(10, 1, 2, 4), blocked_at + 1));
        EXPECT_EQ(list.Size(), 1u);
        EXPECT_FALSE(list.IsBlocked(ip, blocked_at + 31000));
        EXPECT_EQ(list.Size(), 0u) << "an expired entry is dropped by the test that finds it";
    }
}

TEST(BlockList, BlockingAgainRestartsTheThirtySeconds) {
    const uint32_t ip = Ip(10, 1, 2, 3);
    BlockList list;
    list.Block(ip, 0xFFFF0000u);
    list.Block(ip, 0xFFFF0000u + 20000);
    EXPECT_TRUE(list.IsBlocked(ip, 0xFFFF0000u + 45000));
    EXPECT_FALSE(list.IsBlocked(ip, 0xFFFF0000u + 51000));
}

TEST(WaitingConnections, SilentConnectionsExpireAfterThirtySecondsAndTheOldestMakesRoom) {
    WaitingConnections waiting;
    const uint32_t t0 = 0xFFFFC000u;  // the sweep crosses the wrap
    for (int s = 1; s <= static_cast<int>(WaitingConnections::kCapacity); ++s)
        ASSERT_EQ(waiting.Add(s, t0), WaitingConnections::kNone);
    EXPECT_EQ(waiting.Add(900, t0), 1) << "the set is full: the longest waiting goes";
    EXPECT_FALSE(waiting.Contains(1));
    EXPECT_EQ(waiting.Size(), WaitingConnections::kCapacity);
    EXPECT_TRUE(waiting.Remove(7));
    EXPECT_FALSE(waiting.Remove(7));
    EXPECT_EQ(waiting.Add(1000, t0 + 20000), WaitingConnections::kNone) << "room again";

    EXPECT_TRUE(waiting.TakeSilent(t0 + 29999).empty());
    const std::vector<int> silent = waiting.TakeSilent(t0 + 30000);
    EXPECT_EQ(silent.size(), WaitingConnections::kCapacity - 1);
    EXPECT_TRUE(waiting.Contains(1000));
    EXPECT_EQ(waiting.TakeSilent(t0 + 50000), std::vector<int>{1000});
    EXPECT_EQ(waiting.Size(), 0u);
}

TEST(ListeningPorts, SearchGoesOnAtTenThousandAfterTheLastPort) {
    EXPECT_EQ(NextPortToTry(3040), 3041);
    EXPECT_EQ(NextPortToTry(65534), 65535);
    EXPECT_EQ(NextPortToTry(65535), 10000);
}

}  // namespace
