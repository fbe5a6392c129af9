// TS_XXXX fills all 64 slots: the entries, and trap stubs elsewhere that return 0.
#include <algorithm>
#include <iterator>

#include "net_fixture.h"

TEST_F(NetTest, EveryUnusedSlotIsATrapReturningZero) {
    const int entries[] = {1, 2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 15, 16, 17, 19, 25, 26, 27, 28, 32};
    for (int slot = 0; slot < kFunctionTableSlots; ++slot) {
        ASSERT_NE(NetTable[slot], 0u) << slot;
        bool is_entry = std::find(std::begin(entries), std::end(entries), slot) != std::end(entries);
        if (!is_entry) {
            EXPECT_EQ(NetEntry<int(ENGINE_CALL*)()>(slot)(), 0) << slot;
        }
    }
    // Distinct stubs, so the log can name the slot.
    EXPECT_NE(NetTable[0], NetTable[63]);
    EXPECT_EQ(NetStartup(), 1);
    EXPECT_EQ(NetCleanup(), 1) << "one startup more than cleanups: the library stays up";
    EXPECT_GT(Track(NetCreateBoundSocket(kNetKindTcp, 0)), 0);
}
