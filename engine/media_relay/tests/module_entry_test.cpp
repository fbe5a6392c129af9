// The media relay module as the framework host loads it: the library built as JEV, its
// registration record, and Create/Destroy of live-channel components.
#include <gtest/gtest.h>

#include <string>

#include "io/shared_memory.h"
#include "message_object.h"
#include "outside_abi.h"
#include "packets/wire_bytes.h"
#include "platform.h"
#include "session_blocks.h"
#include "test_binding.h"

using namespace session_test;

namespace {

class ModuleEntryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test_binding::BindCore());
        ASSERT_TRUE(test_binding::BindNet());
        void* module = test_binding::LoadOutside("JEV.DLL", "libJEV.so");
        ASSERT_NE(module, nullptr);
        ts_xxxx = reinterpret_cast<TsXxxxModuleFn>(platform::GetProcAddress(module, "TS_XXXX"));
        ASSERT_NE(ts_xxxx, nullptr);
    }

    ModuleRegistration Registration() {
        ModuleRegistration r{};
        ts_xxxx(&r);
        return r;
    }

    Bytes Block(const std::vector<uint8_t>& guid) {
        ParamBlock params;
        params.guid = guid;
        Bytes b = params.Build();
        WriteU32(&b[160], static_cast<uint32_t>(reinterpret_cast<uintptr_t>(sys_bytes.data())));
        return b;
    }

    static TsXxxxModuleFn ts_xxxx;
    Bytes sys_bytes = SysInfo{}.Build();
};
TsXxxxModuleFn ModuleEntryTest::ts_xxxx = nullptr;

TEST_F(ModuleEntryTest, RegistrationOverwritesEveryFieldAndReturnsTheRecord) {
    ModuleRegistration r;
    std::memset(&r, 0xA5, sizeof(r));
    for (int call = 0; call < 2; ++call) {
        EXPECT_EQ(ts_xxxx(&r), &r);
        EXPECT_EQ(r.version, 0x10000u);
        EXPECT_EQ(r.type, 1001);
        EXPECT_NE(r.create, nullptr);
        EXPECT_NE(r.destroy, nullptr);
    }
}

TEST_F(ModuleEntryTest, DestroyOfNullDoesNothingAndCreateWithoutBlockFails) {
    const ModuleRegistration r = Registration();
    EXPECT_EQ(r.destroy(0), 1);
    EXPECT_EQ(r.create(nullptr), 0u);
}

TEST_F(ModuleEntryTest, SecondComponentOfAChannelIsRefusedUntilTheFirstIsGone) {
    const ModuleRegistration r = Registration();
    const std::vector<uint8_t> guid = UniqueGuid();
    const std::string name = StatsName(guid);
    Bytes first_block = Block(guid);
    const uint32_t first = r.create(first_block.data());
    ASSERT_NE(first, 0u);
    EXPECT_EQ(ReadValidityWord(CMessageObject::FromTarget(first)), OBJECT_ALIVE);

    CSharedMemory reader;
    auto* stats = static_cast<uint8_t*>(reader.Open(name.c_str()));
    ASSERT_NE(stats, nullptr);
    WriteU32(stats + 41044, 0xC0FFEE);

    Bytes second_block = Block(guid);
    EXPECT_EQ(r.create(second_block.data()), 0u);
    EXPECT_EQ(ReadU32(stats + 41044), 0xC0FFEEu) << "the first component's block is not wiped";
    EXPECT_EQ(ReadU32(stats + 132), 1001u);
    reader.Close();

    EXPECT_EQ(r.destroy(first), 1);
    CSharedMemory probe;
    EXPECT_EQ(probe.Open(name.c_str()), nullptr) << "the block name goes with the component";

    const uint32_t again = r.create(second_block.data());
    ASSERT_NE(again, 0u);
    EXPECT_EQ(r.destroy(again), 1);
}

}  // namespace
