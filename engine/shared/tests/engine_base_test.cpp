// The engine base: the validity word of message objects, safe calls through unbound tables,
// and the registration order of the message id ranges.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "engine_tables.h"
#include "fake_core.h"
#include "message_ids.h"
#include "message_object.h"

namespace {

struct Probe : CMessageObject {
    int OnMessage(FrameworkMessage*) override { return 7; }
};

TEST(MessageObject, ValidityWordSitsAfterTheTablePointerAndIsAliveOnlyWithItsMagic) {
    FakeCore::Bind();
    alignas(Probe) unsigned char storage[sizeof(Probe)];
    auto* p = new (storage) Probe;
    EXPECT_EQ(ReadValidityWord(p), 0xFAFBFCFDu);
    EXPECT_TRUE(p->IsAlive());
    p->~Probe();
    // The memory of a destroyed object still says so.
    EXPECT_EQ(ReadValidityWord(storage), 0xFAFAFAFAu);
}

TEST(MessageObject, DestructorUnregistersTheObjectFromTheCore) {
    FakeCore::Bind();
    auto* p = new Probe;
    void* address = p;
    CorePostMessage(p->AsTarget(), 0, 1234);
    delete p;
    auto gone = FakeCore::Get().Unregistered();
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(gone[0], address);
    EXPECT_EQ(FakeCore::Get().QueuedCount(), 0u);
}

TEST(EngineTables, EveryCallThroughAnUnboundTableReturnsItsFailureValue) {
    UnbindTablesForTest();
    EXPECT_FALSE(CoreTableBound());
    EXPECT_FALSE(NetTableBound());
    EXPECT_EQ(CoreAlloc(16), nullptr);
    EXPECT_EQ(CorePostMessage(0, 0, 1), 0);
    FrameworkMessage m;
    EXPECT_EQ(CoreGetMessage(&m), 0);
    EXPECT_EQ(CoreSetTimer(10, 0, 0, 0, MSG_TIMER), -1);
    SharedBlockDesc d{};
    EXPECT_NE(CoreCreateSharedBlock(&d), 0);
    EXPECT_LT(NetCreateBoundSocket(kNetKindUdp, 0), 0);
    EXPECT_EQ(NetSend(1, "x", 1), 0);
    { Probe p; }  // destroying an object with no core to unregister from is harmless
}

TEST(EngineTables, ALibraryWithoutItsExportStaysUnbound) {
    UnbindTablesForTest();
    EXPECT_EQ(BindCoreTableFrom(nullptr), 0);
    EXPECT_EQ(BindNetTableFrom(nullptr), 0);
    EXPECT_FALSE(CoreTableBound());
}

TEST(MessageIds, RangesAreRegisteredNetBaseFirstThenInOrder) {
    FakeCore::Bind();
    RegisterMessageIds();
    std::vector<uint32_t> expected{1000, 3000, 4000, 4100, 4200, 4500, 4600, 4700, 6000};
    EXPECT_EQ(FakeCore::Get().RegisteredBases(), expected);
}

}  // namespace
