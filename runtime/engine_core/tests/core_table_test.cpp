// TS_XXXX's table: every slot filled, trap stubs in the slots the engine never calls, and
// the wait entry over the platform's event.
#include <set>

#include "core_test_support.h"
#include "platform.h"
#include "test_binding.h"

using namespace core_test;

namespace {

class CoreTableTest : public CoreTest {};

constexpr int kTrapSlots[] = {0, 3, 7, 9, 11, 16, 22, 40, 63};

TsXxxxTableFn CoreTsXxxx() {
    return reinterpret_cast<TsXxxxTableFn>(CoreExport("TS_XXXX"));
}

using TrapFn = int(ENGINE_CALL*)();

TEST_F(CoreTableTest, FillsAllSixtyFourSlotsWithDistinctEntries) {
    TsXxxxTableFn ts_xxxx = CoreTsXxxx();
    ASSERT_NE(nullptr, ts_xxxx);
    uint32_t table[kFunctionTableSlots] = {};
    EXPECT_EQ(1, ts_xxxx(table));
    std::set<uint32_t> distinct(table, table + kFunctionTableSlots);
    EXPECT_EQ(0u, distinct.count(0));
    EXPECT_EQ(static_cast<size_t>(kFunctionTableSlots), distinct.size());
    EXPECT_EQ(0, ts_xxxx(nullptr));
}

TEST_F(CoreTableTest, TrapStubLogsItsSlotAndReturnsZero) {
    for (int slot : kTrapSlots) {
        const std::string line = "unexpected CoreTable entry " + std::to_string(slot);
        const size_t before = LogLinesContaining(line).size();
        EXPECT_EQ(0, CoreEntry<TrapFn>(slot)()) << slot;
        EXPECT_EQ(before + 1, LogLinesContaining(line).size()) << slot;
    }
}

#if !defined(_WIN32)  // death tests are for the native build only
TEST_F(CoreTableTest, TrapStubAbortsWhenAsked) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            SetEnv("QUIB_TRAP", "1");
            CoreEntry<TrapFn>(33)();
        },
        "");
}
#endif

TEST_F(CoreTableTest, WaitReportsSignalledOrTimedOut) {
    void* event = platform::CreateManualEvent();
    platform::SetEvent(event);
    EXPECT_EQ(0, CoreWait(event, 1000));
    platform::ResetEvent(event);
    EXPECT_EQ(258, CoreWait(event, 1));
    platform::CloseEvent(event);
}

}  // namespace
