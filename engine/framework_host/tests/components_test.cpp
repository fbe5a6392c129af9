// The component table inside the SysInfoBlock, the module table and the manager's create and
// delete paths, with fake modules registered straight into the module table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "block_bytes.h"
#include "component_table.h"
#include "create_param_block.h"
#include "engine_tables.h"
#include "fake_core.h"
#include "framework_manager.h"
#include "message_ids.h"
#include "module_table.h"
#include "plain_test_module.h"
#include "port_list_publisher.h"
#include "sys_info_block.h"

namespace {

ComponentRecord Record(uint8_t tag, int32_t type) {
    ComponentRecord r{};
    std::memset(r.guid, tag, 16);
    r.type = type;
    r.handle = 0x1000u + tag;
    return r;
}

TEST(ComponentTable, DeletingRowZeroOfThreeMovesTheOthersUp) {
    std::vector<uint8_t> block(sys_info::kSize, 0);
    ComponentTable table(block.data());
    for (uint8_t tag : {1, 2, 3}) ASSERT_TRUE(table.Append(Record(tag, 1001)));
    table.Remove(0);
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Row(0).guid[0], 2);
    EXPECT_EQ(table.Row(1).guid[0], 3);
    EXPECT_EQ(ReadU32(block.data(), sys_info::kComponentCount), 2u);
    const uint8_t* freed_row = block.data() + sys_info::kComponentTable + 2 * sys_info::kComponentRecordSize;
    EXPECT_EQ(std::count(freed_row, freed_row + 32, 0), 32);
}

TEST(ComponentTable, HoldsThirtyTwoRowsAndNeverWritesPastTheBlock) {
    std::vector<uint8_t> block(sys_info::kSize + 64, 0xEE);  // a guard area behind the block
    std::memset(block.data(), 0, sys_info::kSize);
    ComponentTable table(block.data());
    for (int i = 0; i < sys_info::kComponentRows; ++i) ASSERT_TRUE(table.Append(Record(uint8_t(i + 1), 4242)));
    EXPECT_TRUE(table.Full());
    EXPECT_FALSE(table.Append(Record(99, 4242)));
    EXPECT_EQ(table.Count(), 32);
    for (size_t i = sys_info::kSize; i < block.size(); ++i) ASSERT_EQ(block[i], 0xEE) << i;
    // A count the host overwrote is never trusted past the table.
    WriteU32(block.data(), sys_info::kComponentCount, 1000);
    EXPECT_EQ(table.Count(), 32);
    EXPECT_EQ(table.FindByGuid(Record(99, 0).guid), -1);
    EXPECT_EQ(table.FindByType(4242), 0);
}

// ---- fake modules ----

struct FakeComponent : CMessageObject {
    int id;
    explicit FakeComponent(int i) : id(i) {}
};

std::vector<std::string>* g_events = new std::vector<std::string>;

template <int Which>
uint32_t ENGINE_CALL CreateFake(void* block) {
    const uint8_t tag = static_cast<const uint8_t*>(block)[create_param::kComponentGuid];
    g_events->push_back("create" + std::to_string(Which) + ":" + std::to_string(tag));
    return (new FakeComponent(tag))->AsTarget();
}
uint32_t ENGINE_CALL CreateNothing(void*) {
    return 0;
}
int ENGINE_CALL DestroyFake(uint32_t handle) {
    auto* c = static_cast<FakeComponent*>(CMessageObject::FromTarget(handle));
    g_events->push_back("destroy:" + std::to_string(c->id));
    delete c;
    return 1;
}
ModuleRegistration* ENGINE_CALL FirstModule(ModuleRegistration* r) {
    *r = {kModuleInterfaceVersion, 4242, &CreateFake<1>, &DestroyFake};
    return r;
}
ModuleRegistration* ENGINE_CALL SecondModule(ModuleRegistration* r) {
    *r = {kModuleInterfaceVersion, 4242, &CreateFake<2>, &DestroyFake};
    return r;
}
ModuleRegistration* ENGINE_CALL FailingModule(ModuleRegistration* r) {
    *r = {kModuleInterfaceVersion, 1003, &CreateNothing, &DestroyFake};
    return r;
}

TEST(ModuleTable, RefusesRowsPastItsLimitsAndModulesWithoutTheExport) {
    FakeCore::Bind();
    ModuleTable table;
    const std::string long_name(ModuleTable::kNameSize, 'N');
    EXPECT_EQ(table.Register(nullptr, long_name.c_str(), &FirstModule), -1);
    EXPECT_EQ(table.Register(nullptr, "NOEXPORT.DLL", nullptr), -1);
    EXPECT_TRUE(FakeCore::Get().HasLog("LoadModule NOEXPORT.DLL Failed 127"));
    for (int i = 0; i < ModuleTable::kRows; ++i) ASSERT_EQ(table.Register(nullptr, "A.DLL", &FirstModule), 1);
    EXPECT_EQ(table.Register(nullptr, "B.DLL", &SecondModule), -1);
    EXPECT_EQ(table.Count(), ModuleTable::kRows);
    EXPECT_TRUE(FakeCore::Get().HasLog("LoadModule B.DLL Failed 8"));
}

class ManagerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        UnbindTablesForTest();
        FakeCore::Bind();  // no shared blocks: the manager falls back to its private SysInfoBlock
        Modules().ResetForTest();
        g_events->clear();
        manager = new CFrameworkManager;
        Modules().Register(nullptr, "FIRST.DLL", &FirstModule);
        Modules().Register(nullptr, "SECOND.DLL", &SecondModule);
        Modules().Register(nullptr, "FAILING.DLL", &FailingModule);
    }
    void TearDown() override {
        while (manager->Components().Count() > 0) manager->DeleteAppComponent(0);
        delete manager;
        Modules().ResetForTest();
        UnbindTablesForTest();
    }

    static uint8_t* Block(uint8_t tag, int32_t type) {
        return plain_test_module::CreateBlock(tag, static_cast<uint32_t>(type));
    }
    std::vector<int> RowTags() const {
        std::vector<int> tags;
        const ComponentTable t = manager->Components();
        for (int i = 0; i < t.Count(); ++i) tags.push_back(t.Row(i).guid[0]);
        return tags;
    }

    CFrameworkManager* manager = nullptr;
};

TEST_F(ManagerFixture, AFailedSharedBlockLeavesAUsablePrivateOne) {
    uint8_t* info = manager->SysInfo().Data();
    ASSERT_NE(info, nullptr);
    EXPECT_FALSE(manager->SysInfo().IsShared());
    EXPECT_EQ(ReadU32(info, sys_info::kWord4), 256u);
    EXPECT_EQ(ReadU16(info, sys_info::kConnectionLimit), 50u);
    EXPECT_EQ(ReadU16(info, sys_info::kTransferLimit), 64u);
}

TEST_F(ManagerFixture, TheFirstLoadedModuleOfATypeCreatesAndADuplicateGuidReplacesTheOldComponent) {
    EXPECT_EQ(manager->CreateAppItem(Block(1, 4242)), 1);
    EXPECT_EQ(manager->CreateAppItem(Block(2, 4242)), 1);
    EXPECT_EQ(manager->CreateAppItem(Block(1, 4242)), 1);
    EXPECT_EQ(*g_events, (std::vector<std::string>{"create1:1", "create1:2", "destroy:1", "create1:1"}));
    EXPECT_EQ(RowTags(), (std::vector<int>{2, 1}));
}

TEST_F(ManagerFixture, FailedCreatesAddNoRowAndKeepAnExistingComponent) {
    ASSERT_EQ(manager->CreateAppItem(Block(5, 1003)), -1) << "Create returned 0";
    ASSERT_EQ(manager->CreateAppItem(Block(6, 4242)), 1);
    // No module for the type: the existing component with that GUID stays.
    EXPECT_EQ(manager->CreateAppItem(Block(6, 7777)), -1);
    EXPECT_EQ(RowTags(), std::vector<int>{6});
    EXPECT_TRUE(FakeCore::Get().HasLog("CreateAppItem failed 1"));
}

TEST_F(ManagerFixture, TheThirtyThirdComponentIsRefused) {
    for (int i = 0; i < 32; ++i) ASSERT_EQ(manager->CreateAppItem(Block(uint8_t(i + 1), 4242)), 1);
    g_events->clear();
    EXPECT_EQ(manager->CreateAppItem(Block(100, 4242)), -1);
    EXPECT_TRUE(g_events->empty()) << "Create is not called for a full table";
    EXPECT_TRUE(FakeCore::Get().HasLog("CreateAppItem failed 32"));
    // A duplicate still works on a full table: the old row goes first.
    EXPECT_EQ(manager->CreateAppItem(Block(1, 4242)), 1);
    EXPECT_EQ(manager->Components().Count(), 32);
}

TEST_F(ManagerFixture, DeletingRowZeroOfThreeAndUnknownGuids) {
    for (uint8_t tag : {1, 2, 3}) ASSERT_EQ(manager->CreateAppItem(Block(tag, 4242)), 1);
    EXPECT_EQ(manager->DeleteAppComponent(0), 1);
    EXPECT_EQ(RowTags(), (std::vector<int>{2, 3}));
    EXPECT_EQ(manager->DeleteAppComponent(2), -1);
    EXPECT_EQ(manager->DeleteAppComponent(-1), -1);
    uint8_t unknown[16];
    std::memset(unknown, 9, 16);
    EXPECT_EQ(manager->DeleteAppWithResourceGUID(unknown), -1);
    uint8_t three[16];
    std::memset(three, 3, 16);
    EXPECT_EQ(manager->DeleteAppWithResourceGUID(three), 1);
    EXPECT_EQ(RowTags(), std::vector<int>{2});
}

TEST_F(ManagerFixture, ObjectsOwnedByTheFrameworkAreNotDeletedByRequest) {
    ASSERT_EQ(manager->CreateAppItem(Block(1, 4242)), 1);
    const uint32_t component = manager->Components().Row(0).handle;
    for (uint32_t object : {component, manager->AsTarget(), manager->UdpReceiver().AsTarget()}) {
        FrameworkMessage m{0, 0, MSG_DELETE_OBJECT, object, 0, 0, 0, 0};
        manager->OnMessage(&m);
    }
    EXPECT_EQ(manager->Components().Count(), 1);
    EXPECT_TRUE(CMessageObject::FromTarget(component)->IsAlive());
    // Any other live object is deleted; a dead one is left alone.
    auto* loose = new FakeComponent(42);
    FrameworkMessage m{0, 0, MSG_DELETE_OBJECT, loose->AsTarget(), 0, 0, 0, 0};
    manager->OnMessage(&m);
    EXPECT_EQ(FakeCore::Get().Unregistered().back(), static_cast<void*>(loose));
}

}  // namespace

namespace {

// A port-list block of 162 bytes (room for two entries) inside a guard area.
std::vector<uint8_t>* g_port_block = new std::vector<uint8_t>;
std::string* g_opened_name = new std::string;
int ENGINE_CALL OpenSmallBlock(SharedBlockDesc* d) {
    *g_opened_name = d->name;
    d->address = g_port_block->data();
    d->size = 162;
    return 0;
}

TEST(PortListPublisher, WritesTheLivePortsOnlyWithinTheMappedSize) {
    g_port_block->assign(162 + 64, 0xEE);
    std::memset(g_port_block->data(), 0, 162);
    FakeCore::Bind();
    CoreTable[kCoreOpenSharedBlock] = ToWord(&OpenSmallBlock);

    std::vector<uint8_t> info(sys_info::kSize, 0);
    ComponentTable table(info.data());
    std::vector<std::vector<uint8_t>> params;
    auto add = [&](uint8_t tag, int32_t type, uint16_t port) {
        params.emplace_back(create_param::kMinCopySize, 0);
        WriteU16(params.back().data(), create_param::kPublishedPort, port);
        ComponentRecord r = Record(tag, type);
        r.param_block = ToWord(params.back().data());
        ASSERT_TRUE(table.Append(r));
    };
    params.reserve(8);
    CPortListPublisher publisher;
    add(1, COMPONENT_TYPE_LIVE, 7001);
    publisher.Publish(table);
    EXPECT_FALSE(publisher.IsOpen()) << "no port-list component yet";

    add(2, COMPONENT_TYPE_PORT_LIST, 0);
    add(3, COMPONENT_TYPE_LIVE, 7003);
    add(4, COMPONENT_TYPE_LIVE, 7004);
    publisher.Publish(table);
    ASSERT_TRUE(publisher.IsOpen());
    EXPECT_EQ(*g_opened_name, "02020202-0202-0202-0202-020202020202");
    const uint8_t* b = g_port_block->data();
    EXPECT_EQ(b[port_list::kFlagOffset], 1);
    EXPECT_EQ(b[port_list::kCountOffset], 2) << "three live rows, room for two";
    EXPECT_EQ(ReadU32(b, 152), 7001u);
    EXPECT_EQ(b[156], 1);
    EXPECT_EQ(ReadU32(b, 157), 7003u);
    EXPECT_EQ(b[161], 1);
    for (size_t i = 162; i < g_port_block->size(); ++i) ASSERT_EQ((*g_port_block)[i], 0xEE) << i;
    UnbindTablesForTest();
}

}  // namespace
