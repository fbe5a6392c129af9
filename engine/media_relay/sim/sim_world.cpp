#include "sim_world.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine_tables.h"
#include "engine_tick.h"
#include "message_ids.h"
#include "message_object.h"
#include "packets/packet_sequence.h"
#include "platform.h"

namespace sim {

namespace {

World* g_world = nullptr;

constexpr uint32_t kBlockMagic = 0x4B4C4251;  // "QBLK"

struct BlockHeader {
    uint32_t magic;
    uint32_t size;
    Node* node;
    uint32_t unused;
};
static_assert(sizeof(BlockHeader) == 16);

uint32_t TickOfCurrentNode() {
    World* world = World::Current();
    if (!world) return 0;
    const uint64_t now_ms = world->Events().NowMs();
    Node* node = world->CurrentNode();
    return node ? node->Tick(now_ms) : static_cast<uint32_t>(now_ms);
}

// The sessions' window notifications (request sent, timed out, piece arrived), counted on the
// node that posts them.
bool RecordWindowMessage(uint32_t, uint32_t message, uint32_t, uint32_t) {
    World* world = World::Current();
    Node* node = world ? world->CurrentNode() : nullptr;
    if (!node) return false;
    node->CountNotice(message);
    return true;
}

}  // namespace

World* World::Current() {
    return g_world;
}

World::World(uint64_t seed) : m_dispatch(m_events), m_random(seed) {
    if (g_world) std::abort();  // one world per process at a time: the tables are process-wide
    g_world = this;
    m_network = std::make_unique<Network>(m_events, m_dispatch, m_random.Fork());
    m_dispatch.SetRelease([this](Node* node, const FrameworkMessage& msg) { Release(node, msg); });
    m_echo_log = platform::GetEnv("RELAY_SIM_LOG") != nullptr;
    UnbindTablesForTest();
    BindCoreTableFrom(&CoreTableOfWorld);
    BindNetTableFrom(&NetTableOfWorld);
    SetEngineTickSource(&TickOfCurrentNode);
    platform::SetPostWindowMessageHook(&RecordWindowMessage);
    ResetPacketSequence();
}

World::~World() {
    m_events.Clear();
    m_network.reset();
    platform::SetPostWindowMessageHook(nullptr);
    SetEngineTickSource(nullptr);
    UnbindTablesForTest();
    g_world = nullptr;
}

Node* World::AddNode(const std::string& name, uint32_t ipv4, const LinkEmulation& link) {
    const int id = static_cast<int>(m_nodes.size()) + 1;
    m_nodes.push_back(std::make_unique<Node>(id, name, ipv4, m_random.Next32(), link));
    Node* node = m_nodes.back().get();
    m_network->AddNode(node);
    return node;
}

void World::CrashNode(Node* node) {
    if (!node->Alive()) return;
    m_network->CrashNode(node);
    m_dispatch.DropNode(node);
    node->MarkDead();
}

void World::At(SimTime at, Node* node, std::function<void()> action) {
    m_events.Schedule(at, [this, node, action = std::move(action)] {
        if (node && !node->Alive()) return;
        Scope scope(node);
        action();
    });
}

void World::RunUntil(SimTime until) {
    for (;;) {
        PostedMessage posted;
        while (m_dispatch.PopNext(&posted)) Deliver(posted);
        if (!m_events.RunNext(until)) break;
    }
    m_events.AdvanceTo(until);
}

void World::Deliver(const PostedMessage& posted) {
    Node* node = posted.node;
    if (!node->Alive()) {
        Release(node, posted.msg);
        return;
    }
    FrameworkMessage msg = posted.msg;
    CMessageObject* target = CMessageObject::FromTarget(msg.target);
    Scope scope(node);
    // As the framework's loop does: only a live object gets its message.
    if (!target || ReadValidityWord(target) != OBJECT_ALIVE) {
        ++m_stray;
        if (posted.timer == 0) Release(node, msg);
        return;
    }
    ++m_delivered;
    target->OnMessage(&msg);
    node->AfterDelivery();
}

void World::Release(Node* node, const FrameworkMessage& msg) {
    Scope scope(node);
    if (msg.id == MSG_NET_DATAGRAM && msg.p4 == 1) {
        Free(reinterpret_cast<void*>(static_cast<uintptr_t>(msg.p1)));
        return;
    }
    m_network->Release(node, msg);
}

void* World::Alloc(uint32_t size) {
    auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
    if (!header) return nullptr;
    header->magic = kBlockMagic;
    header->size = size;
    header->node = m_current;
    if (m_current) m_current->HeapAllocated(size);
    return header + 1;
}

bool World::Free(void* block) {
    if (!block) return false;
    BlockHeader* header = static_cast<BlockHeader*>(block) - 1;
    if (header->magic != kBlockMagic) {
        if (m_current) m_current->CountBadFree();
        return false;
    }
    header->magic = 0;
    if (header->node) header->node->HeapFreed(header->size);
    std::free(header);
    return true;
}

void World::LogLine(const char* text) {
    if (m_echo_log)
        std::fprintf(stderr, "%10.3f %s: %s\n", static_cast<double>(Now()) / kMicrosPerSecond,
                     m_current ? m_current->Name().c_str() : "-", text);
}

}  // namespace sim
