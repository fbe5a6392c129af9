// The network library's side of the core: its unregistered hook runs between the two purges
// of an object, dropped socket events go back to it through the release hook, and it takes
// back one socket's undelivered events at close.
#include <vector>

#include "core_test_support.h"
#include "message_ids.h"
#include "quib_net_hooks.h"

using namespace core_test;

namespace {

using SetHooksFn = decltype(&QuibSetNetHooks);
using TakeEventsFn = decltype(&QuibTakeSocketEvents);

constexpr uint32_t kMarkerId = 4243;

// What the hooks saw; the hooks are process-wide, so each test installs and removes them.
struct HookRecord {
    std::vector<uint32_t> unregistered;
    std::vector<FrameworkMessage> released;
    uint32_t post_from_hook_id = 0;  // the hook posts this to the object, as a racing IO thread
};
HookRecord* g_record = nullptr;

void ENGINE_CALL RecordUnregistered(void* object) {
    g_record->unregistered.push_back(ToWord(object));
    if (g_record->post_from_hook_id) CorePostMessage(ToWord(object), 9, g_record->post_from_hook_id, 0x51);
}

void ENGINE_CALL RecordRelease(const FrameworkMessage* messages, int count) {
    g_record->released.insert(g_record->released.end(), messages, messages + count);
}

class NetHooksTest : public CoreTest {
protected:
    void SetUp() override {
        CoreTest::SetUp();
        set_hooks_ = reinterpret_cast<SetHooksFn>(CoreExport("QuibSetNetHooks"));
        take_events_ = reinterpret_cast<TakeEventsFn>(CoreExport("QuibTakeSocketEvents"));
        ASSERT_NE(nullptr, set_hooks_);
        ASSERT_NE(nullptr, take_events_);
        g_record = &record_;
        set_hooks_(RecordUnregistered, RecordRelease);
    }
    void TearDown() override {
        if (set_hooks_) set_hooks_(nullptr, nullptr);
        g_record = nullptr;
    }

    SetHooksFn set_hooks_ = nullptr;
    TakeEventsFn take_events_ = nullptr;
    HookRecord record_;
};

TEST_F(NetHooksTest, EventPostedDuringTheUnregisteredHookIsPurgedToo) {
    int object = 0;
    record_.post_from_hook_id = MSG_NET_DATA;
    EXPECT_EQ(1, CoreUnregisterObject(&object));
    ASSERT_EQ(1u, record_.unregistered.size());
    EXPECT_EQ(ToWord(&object), record_.unregistered[0]);
    ASSERT_EQ(1u, record_.released.size()) << "the late event's buffer goes back to the network library";
    EXPECT_EQ(0x51u, record_.released[0].p1);
    CorePostMessage(0, 0, kMarkerId);
    EXPECT_EQ(kMarkerId, NextMessage().id);
}

TEST_F(NetHooksTest, DroppedMessagesReleaseExactlyWhatTheyOwn) {
    enum Owns { kNothing, kCoreP1, kCoreP2, kNetLibrary };
    struct Case {
        uint32_t id;
        uint32_t p4;
        Owns owns;
    } cases[] = {
        {MSG_HOST_COMMAND, 0, kCoreP2},
        {MSG_CMD_2001, 0, kCoreP1},
        {MSG_CMD_2012, 0, kCoreP1},
        {MSG_CREATE_COMPONENT, 0, kCoreP1},
        {MSG_DELETE_COMPONENT, 0, kCoreP1},
        {MSG_NET_DATAGRAM, 1, kCoreP1},
        {MSG_NET_DATAGRAM, 0, kNetLibrary},
        {MSG_NET_DATA, 0, kNetLibrary},
        {MSG_STREAM_DATA, 0, kNetLibrary},
        {MSG_NET_ACCEPT, 0, kNetLibrary},
        {MSG_CONNECTION_HANDOVER, 0, kNetLibrary},
        {MSG_NET_CLOSED, 0, kNothing},
        {MSG_STREAM_CLOSED, 0, kNothing},
        {MSG_TIMER, 0, kNothing},
    };
    int object = 0;
    std::vector<void*> p1_blocks, p2_blocks;
    for (const Case& c : cases) {
        p1_blocks.push_back(CoreAlloc(8));
        p2_blocks.push_back(CoreAlloc(8));
        CorePostMessage(ToWord(&object), 7, c.id, ToWord(p1_blocks.back()), ToWord(p2_blocks.back()), 0, c.p4);
    }
    CoreUnregisterObject(&object);

    std::vector<uint32_t> expected_released;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(testing::Message() << "id " << c.id << " p4 " << c.p4);
        EXPECT_EQ(c.owns == kCoreP1 ? 0 : 1, CoreFree(p1_blocks[i])) << "p1";
        EXPECT_EQ(c.owns == kCoreP2 ? 0 : 1, CoreFree(p2_blocks[i])) << "p2";
        if (c.owns == kNetLibrary) expected_released.push_back(c.id);
    }
    std::vector<uint32_t> released;
    for (const FrameworkMessage& m : record_.released) released.push_back(m.id);
    EXPECT_EQ(expected_released, released);
}

TEST_F(NetHooksTest, TakeSocketEventsRemovesOnlyThatSocketsEventsForThatTarget) {
    const uint32_t target = 0x7000, other_target = 0x7100, socket = 12, other_socket = 13;
    struct Posted {
        uint32_t target, sender, id, p4;
        bool taken;
    } posted[] = {
        {target, socket, MSG_NET_ACCEPT, 0, true},
        {target, socket, MSG_NET_DATA, 0, true},
        {target, other_socket, MSG_NET_DATA, 0, false},
        {other_target, socket, MSG_NET_DATA, 0, false},
        {target, socket, MSG_NET_DATAGRAM, 1, false},
        {target, socket, MSG_NET_DATAGRAM, 0, true},
        {target, socket, MSG_CONNECTION_HANDOVER, 0, false},
        {target, socket, MSG_TIMER, 0, false},
        {target, socket, MSG_NET_LISTEN_EVENT, 0, true},
        {target, socket, MSG_NET_CONNECTED, 0, true},
        {target, socket, MSG_NET_CONNECT_FAILED, 0, true},
        {target, socket, MSG_NET_CLOSED, 0, true},
        {target, socket, MSG_STREAM_DATA, 0, true},
        {target, socket, MSG_STREAM_CLOSED, 0, true},
    };
    for (uint32_t i = 0; i < std::size(posted); ++i) {
        CorePostMessage(posted[i].target, posted[i].sender, posted[i].id, i, 0, 0, posted[i].p4);
    }

    FrameworkMessage out[16];
    const int first = take_events_(target, socket, out, 3);  // a short buffer leaves the rest queued
    ASSERT_EQ(3, first);
    const int second = take_events_(target, socket, out + first, 16 - first);
    std::vector<uint32_t> taken_order, expected_taken, expected_left;
    for (int i = 0; i < first + second; ++i) taken_order.push_back(out[i].p1);
    for (uint32_t i = 0; i < std::size(posted); ++i) (posted[i].taken ? expected_taken : expected_left).push_back(i);
    EXPECT_EQ(expected_taken, taken_order);
    EXPECT_TRUE(record_.released.empty()) << "taken events are the caller's to release";

    CorePostMessage(0, 0, kMarkerId);
    std::vector<uint32_t> left;
    for (FrameworkMessage m = NextMessage(); m.id != kMarkerId; m = NextMessage()) left.push_back(m.p1);
    EXPECT_EQ(expected_left, left);
    EXPECT_EQ(0, take_events_(target, socket, out, 0));
}

}  // namespace
