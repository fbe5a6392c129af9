#include "relay_peer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "host_stand_in.h"
#include "packets/wire_bytes.h"
#include "pieces/stream_buffer.h"
#include "session/relay_param_block.h"
#include "session/relay_session.h"
#include "session/stats_block.h"
#include "session/sys_info_fields.h"
#include "sim_world.h"
#include "stream_player.h"
#include "transfer/peer_transfer.h"

namespace sim {

namespace {

// SysInfoBlock fields the framework fills that the module reads by number, not by name.
constexpr uint32_t kConnectionLimitOffset = 36;  // u16, 50
constexpr uint32_t kAddressCountOffset = 106;    // u16 local addresses listed from 108
// The creation block's component type, read by the framework rather than the module.
constexpr uint32_t kComponentTypeOffset = 136;
constexpr uint32_t kLiveComponentType = 1001;

uint32_t Word(const void* p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

}  // namespace

RelayPeer::RelayPeer(World& world, RelayPeerConfig config) : m_world(world), m_config(std::move(config)) {}

RelayPeer::~RelayPeer() {
    if (m_running) Stop(false);
}

void RelayPeer::BuildSysInfo() {
    m_sys_info.assign(sys_info_fields::kSize, 0);
    uint8_t* b = m_sys_info.data();
    WriteU16(b + sys_info_fields::kTcpPort, m_host->TcpPort());
    WriteU16(b + sys_info_fields::kUdpPort, m_host->UdpPort());
    // Any nonzero word: the notifications then reach the world's recorder.
    WriteU32(b + sys_info_fields::kNotifyWindow, static_cast<uint32_t>(m_node->Id()));
    WriteU16(b + kConnectionLimitOffset, m_config.connection_limit);
    WriteU16(b + sys_info_fields::kTransferLimit, m_config.transfer_limit);
    std::memcpy(b + sys_info_fields::kInstanceGuid, m_config.instance, 16);
    WriteU16(b + kAddressCountOffset, 1);
    WriteIPv4(b + sys_info_fields::kFirstAddress, m_config.ipv4);
}

void RelayPeer::BuildCreationBlock() {
    using namespace relay_param;
    m_block.assign(kFullLength, 0);
    uint8_t* b = m_block.data();
    WriteU32(b + kTotalLength, kFullLength);
    WriteU32(b + kComponentTypeOffset, kLiveComponentType);
    std::memcpy(b + kComponentGuid, m_config.channel, 16);
    WriteU32(b + kUdpSocket, static_cast<uint32_t>(m_host->UdpSocket()));
    WriteU32(b + kSysInfoBlock, Word(m_sys_info.data()));
    WriteU32(b + kCreateNetRequest, Word(reinterpret_cast<const void*>(HostStandIn::RequestFactory())));
    const uint32_t links = static_cast<uint32_t>(std::min<size_t>(m_config.links.size(), kMaxLinks));
    WriteU16(b + kLinkCount, static_cast<uint16_t>(links));
    for (uint32_t i = 0; i < links; ++i)
        WriteLinkEntry(b + kLinkEntries + relay_param::kLinkEntrySize * i, m_config.links[i]);
    const uint32_t sources = static_cast<uint32_t>(std::min<size_t>(m_config.sources.size(), kMaxSourcePeers));
    WriteU32(b + kSourceCount, sources);
    for (uint32_t i = 0; i < sources; ++i)
        WritePeerAddress(b + kSourcePeers + kSourcePeerSize * i, m_config.sources[i]);
}

bool RelayPeer::Start() {
    m_created = m_world.Now();
    m_node = m_world.AddNode(m_config.name, m_config.ipv4, m_config.emulation);
    m_player_node = m_world.AddNode(m_config.name + ".player", m_config.ipv4);
    m_running = true;
    {
        World::Scope scope(m_node);
        m_host = std::make_unique<HostStandIn>(m_config.tcp_port, m_config.udp_port);
        BuildSysInfo();
        BuildCreationBlock();
        // As the module's create entry does.
        m_session = new (std::nothrow) CRelaySession(m_block.data());
        if (!m_session || !m_session->Open()) {
            delete m_session;
            m_session = nullptr;
            return false;
        }
        m_opened = true;
        m_host->SetComponent(m_config.channel, m_session->AsTarget());
        m_node->SetAfterDelivery([this] { Probe(); });
    }
    const uint16_t stream_port = ReadU16(m_session->StatsBlock() + stats_block::kStreamPort);
    World::Scope scope(m_player_node);
    m_player = std::make_unique<StreamPlayer>(m_config.ipv4, stream_port);
    m_player->Start();
    return true;
}

void RelayPeer::Probe() {
    if (m_joined && m_held) return;
    const uint8_t* stats = m_session ? m_session->StatsBlock() : nullptr;
    if (!stats) return;
    if (!m_joined && ReadU16(stats + stats_block::kState) == stats_block::kStateLinked) m_joined = m_world.Now();
    const CStreamBuffer* buffer = m_session->GetStreamBuffer();
    if (!m_held && buffer && buffer->FirstDataPiece() != 0) m_held = m_world.Now();
}

void RelayPeer::Stop(bool killed) {
    if (!m_running) return;
    m_running = false;
    m_killed = killed;
    m_ended = m_world.Now();
    if (m_player) {
        World::Scope scope(m_player_node);
        m_player->Stop();
    }
    m_world.CrashNode(m_player_node);
    m_world.CrashNode(m_node);
    World::Scope scope(m_node);
    m_node->SetAfterDelivery(nullptr);
    delete m_session;
    m_session = nullptr;
    m_host.reset();
}

PeerLife RelayPeer::Life() const {
    PeerLife life;
    life.name = m_config.name;
    life.opened = m_opened;
    life.killed = m_killed;
    life.created = m_created;
    life.ended = m_running ? m_world.Now() : m_ended;
    life.joined = m_joined;
    life.held = m_held;
    if (m_player) life.playback = m_player->Tally();
    if (m_node) {
        life.traffic = m_node->Traffic();
        life.requests = m_node->Notices(CPeerTransfer::kNotifyRequested);
        life.timeouts = m_node->Notices(CPeerTransfer::kNotifyTimedOut);
        life.pieces_in = m_node->Notices(CPeerTransfer::kNotifyReceived);
        life.peak_held_bytes = m_node->PeakHeldBytes();
    }
    return life;
}

}  // namespace sim
