// The exports that only copy and post: the length checks of TS_0004, the zero-filled copy,
// the blocks given back when the queue refuses a post, and the exports' refusal to run on
// unbound tables.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "create_param_block.h"
#include "engine_tables.h"
#include "entry_points.h"
#include "fake_core.h"
#include "message_ids.h"

namespace {

// Blocks of this core are filled with 0xCD so a copy that is not zero-padded shows.
std::set<void*>* g_live_blocks = new std::set<void*>;
void* ENGINE_CALL FilledAlloc(uint32_t size, uint32_t, uint32_t) {
    void* b = std::malloc(size ? size : 1);
    std::memset(b, 0xCD, size);
    g_live_blocks->insert(b);
    return b;
}
int ENGINE_CALL TrackedFree(void* b, uint32_t, uint32_t) {
    if (b) g_live_blocks->erase(b);
    std::free(b);
    return 1;
}
int ENGINE_CALL NetStub() {
    return 0;
}

class ExportFixture : public ::testing::Test {
protected:
    void SetUp() override {
        UnbindTablesForTest();
        FakeCore::Bind();
        CoreTable[kCoreAlloc] = ToWord(&FilledAlloc);
        CoreTable[kCoreFree] = ToWord(&TrackedFree);
        for (int slot : {kNetStartup, kNetCreateBoundSocket, kNetClose}) {
            NetTable[slot] = ToWord(&NetStub);
        }
        g_live_blocks->clear();
    }
    void TearDown() override { UnbindTablesForTest(); }

    // The next queued message; a marker posted behind it shows whether anything came before.
    FrameworkMessage NextMessage() {
        CorePostMessage(0, 0, 0x7777);
        FrameworkMessage m{};
        EXPECT_EQ(CoreGetMessage(&m), 1);
        if (m.id != 0x7777) {
            FrameworkMessage marker{};
            CoreGetMessage(&marker);
        }
        return m;
    }

    static std::vector<uint8_t> HostBlock(uint32_t length, size_t real_size) {
        std::vector<uint8_t> b(real_size, 0x5A);
        std::memcpy(b.data(), &length, 4);
        return b;
    }
};

TEST(CreateParamBlock, LengthsOutsideTheFrameworkLayoutOrAboveOneMebibyteAreRefused) {
    struct Case {
        uint32_t length;
        bool accepted;
        uint32_t copy_size;
    };
    const Case cases[] = {
        {0, false, 0},          {285, false, 0},      {286, true, 1584},
        {1584, true, 1584},     {2000, true, 2000},   {1u << 20, true, 1u << 20},
        {(1u << 20) + 1, false, 0}, {0xFFFFFFFFu, false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CreateParamLengthAccepted(c.length), c.accepted) << c.length;
        if (c.accepted) {
            EXPECT_EQ(CreateParamCopySize(c.length), c.copy_size) << c.length;
        }
    }
}

TEST_F(ExportFixture, CreateCopiesExactlyTheGivenLengthIntoAZeroPaddedBlock) {
    const auto host = HostBlock(300, 400);  // bytes past the length must not be copied
    ASSERT_EQ(TS_0004(host.data()), 1);
    const FrameworkMessage m = NextMessage();
    ASSERT_EQ(m.id, MSG_CREATE_COMPONENT);
    EXPECT_EQ(m.target, 0u);
    const auto* copy = FromWord<const uint8_t>(m.p1);
    EXPECT_EQ(std::memcmp(copy, host.data(), 300), 0);
    for (uint32_t i = 300; i < create_param::kMinCopySize; ++i) ASSERT_EQ(copy[i], 0) << i;
    CoreFree(const_cast<uint8_t*>(copy));
}

TEST_F(ExportFixture, CreateWithARefusedLengthPostsNothing) {
    for (uint32_t length : {0u, 285u, (1u << 20) + 1}) {
        const auto host = HostBlock(length, 400);
        EXPECT_EQ(TS_0004(host.data()), 0) << length;
        EXPECT_EQ(NextMessage().id, 0x7777u) << length;
    }
    EXPECT_EQ(TS_0004(nullptr), 0);
    EXPECT_TRUE(g_live_blocks->empty());
}

TEST_F(ExportFixture, HostCommandAndDeleteCopyTheirData) {
    const uint8_t data[5] = {1, 2, 3, 4, 5};
    ASSERT_EQ(TS_0003(2010, data, sizeof(data)), 1);
    FrameworkMessage m = NextMessage();
    EXPECT_EQ(m.id, MSG_HOST_COMMAND);
    EXPECT_EQ(m.p1, 2010u);
    EXPECT_EQ(m.p3, 5u);
    EXPECT_EQ(std::memcmp(FromWord<void>(m.p2), data, 5), 0);
    CoreFree(FromWord<void>(m.p2));

    ASSERT_EQ(TS_0003(2001, nullptr, 0), 1);
    m = NextMessage();
    EXPECT_EQ(m.id, MSG_HOST_COMMAND);
    EXPECT_EQ(m.p2, 0u) << "no data, no block";

    ASSERT_EQ(TS_0005(0x11111111, 0x22222222, 0x33333333, 0x44444444), 1);
    m = NextMessage();
    EXPECT_EQ(m.id, MSG_DELETE_COMPONENT);
    const uint32_t expected[4] = {0x11111111, 0x22222222, 0x33333333, 0x44444444};
    EXPECT_EQ(std::memcmp(FromWord<void>(m.p1), expected, 16), 0);
    CoreFree(FromWord<void>(m.p1));
    EXPECT_TRUE(g_live_blocks->empty());
}

TEST_F(ExportFixture, ABlockIsFreedWhenTheQueueRefusesThePost) {
    CoreShutdownQueue();
    const uint8_t data[16] = {};
    const auto host = HostBlock(600, 600);
    EXPECT_EQ(TS_0003(2010, data, sizeof(data)), 0);
    EXPECT_EQ(TS_0004(host.data()), 0);
    EXPECT_EQ(TS_0005(1, 2, 3, 4), 0);
    EXPECT_TRUE(g_live_blocks->empty()) << g_live_blocks->size() << " blocks leaked";
}

TEST(ExportsUnbound, DoNothingAndReturnZero) {
    UnbindTablesForTest();
    int tcp = 3040, udp = 6171;
    const uint8_t data[16] = {};
    std::vector<uint8_t> block(1584, 0);
    const uint32_t length = 1584;
    std::memcpy(block.data(), &length, 4);
    EXPECT_EQ(TS_0001(&tcp, &udp), 0);
    EXPECT_EQ(tcp, 3040);
    EXPECT_EQ(TS_0002(), 0);
    EXPECT_EQ(TS_0003(2010, data, sizeof(data)), 0);
    EXPECT_EQ(TS_0004(block.data()), 0);
    EXPECT_EQ(TS_0005(1, 2, 3, 4), 0);
}

}  // namespace
