// Core memory blocks: fill, the allocation limit, and frees of pointers that are no live block.
#include <cstdio>
#include <cstring>
#include <vector>

#include "core_test_support.h"

using namespace core_test;

namespace {

class MemoryBlocksTest : public CoreTest {};

bool AllBytes(const void* p, uint32_t size, uint8_t value) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (uint32_t i = 0; i < size; ++i) {
        if (b[i] != value) return false;
    }
    return true;
}

std::string NotACoreBlockLine(const void* p) {
    char text[64];
    std::snprintf(text, sizeof(text), "CoreFree: not a core block %p", p);
    return text;
}

TEST_F(MemoryBlocksTest, NewBlocksAreFilledWithZeroOrTheConfiguredByte) {
    struct Case {
        const char* fill;
        uint8_t expected;
    } cases[] = {{nullptr, 0x00}, {"0xCD", 0xCD}};
    for (const Case& c : cases) {
        ScopedEnv fill("QUIB_ALLOC_FILL", c.fill);
        for (uint32_t size : {0u, 1u, 17u, 65536u}) {
            void* block = CoreAlloc(size);
            ASSERT_NE(nullptr, block) << size;
            EXPECT_TRUE(AllBytes(block, size, c.expected)) << size << " fill " << (c.fill ? c.fill : "default");
            std::memset(block, 0x5A, size);  // the whole size is ours to write
            EXPECT_EQ(1, CoreFree(block));
        }
    }
}

TEST_F(MemoryBlocksTest, AllocationAboveTheLimitGivesNull) {
    {
        ScopedEnv limit("QUIB_ALLOC_LIMIT", "1000");
        void* at_limit = CoreAlloc(1000);
        EXPECT_NE(nullptr, at_limit);
        EXPECT_EQ(nullptr, CoreAlloc(1001));
        CoreFree(at_limit);
    }
    void* large = CoreAlloc(1 << 20);
    EXPECT_NE(nullptr, large) << "without a limit";
    CoreFree(large);
    EXPECT_EQ(nullptr, CoreAlloc(0xFFFFFFF8u)) << "size plus header must not wrap";
}

TEST_F(MemoryBlocksTest, ForeignAndRepeatedFreesAreLoggedAndIgnored) {
    char on_stack[32] = {};
    void* block = CoreAlloc(64);
    void* freed = CoreAlloc(8);
    ASSERT_EQ(1, CoreFree(freed));
    void* not_blocks[] = {on_stack, static_cast<char*>(block) + 16, freed};
    for (void* p : not_blocks) {
        const size_t logged_before = LogLinesContaining(NotACoreBlockLine(p)).size();
        EXPECT_EQ(0, CoreFree(p));
        EXPECT_EQ(logged_before + 1, LogLinesContaining(NotACoreBlockLine(p)).size()) << p;
    }
    EXPECT_EQ(0, CoreFree(nullptr));
    EXPECT_EQ(1, CoreFree(block)) << "the real block is untouched by the bad frees";
}

TEST_F(MemoryBlocksTest, StaleFreeIsCaughtAfterTheBlockLeftTheQuarantine) {
    void* first = CoreAlloc(24);
    ASSERT_EQ(1, CoreFree(first));
    std::vector<void*> churn;
    for (int i = 0; i < 300; ++i) churn.push_back(CoreAlloc(24));
    for (void* p : churn) ASSERT_EQ(1, CoreFree(p));
    // first went back to the heap by now; its header must not be read again
    EXPECT_EQ(0, CoreFree(first));
}

}  // namespace
