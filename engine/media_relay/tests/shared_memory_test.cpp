// Named shared blocks through the engine core: create, open, close and the refusals.
#include <gtest/gtest.h>

#include <string>

#include "fake_engine_core.h"
#include "io/shared_memory.h"

namespace {
class SharedMemoryTest : public ::testing::Test {
protected:
    void SetUp() override { fake_core::Bind(); }
    void TearDown() override { UnbindTablesForTest(); }
};
}  // namespace

TEST_F(SharedMemoryTest, CreateMapsTheBlockAndCloseGivesItBack) {
    {
        CSharedMemory block;
        ASSERT_EQ(block.Create("OS_SYS_META{X}", 41048), 0);
        ASSERT_NE(block.Address(), nullptr);
        EXPECT_EQ(block.Size(), 41048u);
        block.Bytes()[41047] = 0x5A;
        EXPECT_EQ(block.Close(), 0);
        EXPECT_EQ(block.Address(), nullptr);
        EXPECT_EQ(fake_core::Get().closes, 1);
        EXPECT_EQ(block.Close(), 0) << "nothing open";
        EXPECT_EQ(fake_core::Get().closes, 1);
        ASSERT_EQ(block.Create("OS_SYS_META{X}", 41048), 0);
    }
    EXPECT_EQ(fake_core::Get().closes, 2) << "the destructor closes what is open";
}

TEST_F(SharedMemoryTest, OpenMapsAnExistingBlockOrReportsTheErrorApart) {
    CSharedMemory writer;
    ASSERT_EQ(writer.Create("block", 64), 0);
    writer.Bytes()[10] = 42;

    CSharedMemory reader;
    uint8_t* view = static_cast<uint8_t*>(reader.Open("block"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[10], 42);
    EXPECT_EQ(reader.Size(), 64u);
    EXPECT_EQ(reader.LastError(), 0);

    CSharedMemory missing;
    EXPECT_EQ(missing.Open("no such block"), nullptr);
    EXPECT_EQ(missing.LastError(), 2) << "the core's error, not an address";
    EXPECT_EQ(missing.Address(), nullptr);
}

TEST_F(SharedMemoryTest, ABlockSmallerThanAskedForIsRefused) {
    CSharedMemory earlier;
    ASSERT_EQ(earlier.Create("OS_SYS_META{Y}", 4096), 0);

    CSharedMemory block;
    EXPECT_EQ(block.Create("OS_SYS_META{Y}", 41048), kSharedMemoryTooSmall);
    EXPECT_EQ(block.Address(), nullptr) << "no view that writes of 41048 bytes would run past";
    EXPECT_EQ(block.Size(), 0u);
    EXPECT_EQ(fake_core::Get().closes, 1) << "the short view was closed again";

    EXPECT_EQ(block.Create("OS_SYS_META{Y}", 4096), 0) << "a block of the same size is shared";
    EXPECT_EQ(block.Address(), earlier.Address());
}

TEST_F(SharedMemoryTest, FailuresLeaveNoView) {
    CSharedMemory block;
    fake_core::Get().create_result = 5;
    EXPECT_EQ(block.Create("denied", 100), 5);
    EXPECT_EQ(block.Address(), nullptr);
    EXPECT_EQ(block.LastError(), 5);
    fake_core::Get().create_result = 0;

    struct Case {
        const char* what;
        std::string name;
        int result;
    };
    const Case cases[] = {
        {"empty name", "", kSharedMemoryBadName},
        {"name of 260 characters, which a block name cannot hold", std::string(260, 'n'), kSharedMemoryBadName},
        {"name of 259 characters", std::string(259, 'n'), 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(block.Create(c.name.c_str(), 16), c.result) << c.what;
        EXPECT_EQ(block.Address() != nullptr, c.result == 0) << c.what;
    }
    EXPECT_EQ(block.Create(nullptr, 16), kSharedMemoryBadName);
    EXPECT_EQ(block.Open(nullptr), nullptr);

    UnbindTablesForTest();
    EXPECT_NE(block.Create("unbound", 16), 0) << "without a core there is no block";
    EXPECT_EQ(block.Address(), nullptr);
}
