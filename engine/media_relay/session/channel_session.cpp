#include "session/channel_session.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <new>

#include "engine_tables.h"
#include "engine_tick.h"
#include "links/link_manager.h"
#include "message_ids.h"
#include "packets/packet_header.h"
#include "packets/peer_record.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address.h"
#include "peers/peer_address_pool.h"
#include "peers/peer_exchange.h"
#include "pieces/stream_buffer.h"
#include "platform.h"
#include "serving/stream_server.h"
#include "session/guid_text.h"
#include "session/relay_param_block.h"
#include "session/stats_block.h"
#include "session/sys_info_fields.h"
#include "transfer/peer_transfer.h"
#include "transfer/piece_scheduler.h"


namespace {

constexpr uint32_t kComponentTypeLive = 1001;

// The stream server's start arguments: paced sessions, 5 s window, 15 s lead.
constexpr uint32_t kStreamMode = 1;
constexpr uint32_t kStreamWindowMs = 5000;
constexpr uint32_t kStreamLeadMs = 15000;

// Host command 2010: channel GUID, host peer count and addresses, then a second list.
constexpr uint32_t kHostPeerCount = 16;
constexpr uint32_t kHostPeers = 20;
constexpr uint32_t kHostList2Count = 532;
constexpr uint32_t kHostList2Records = 536;

// Datagram message words.
constexpr uint32_t kSourceUdp = 0;
constexpr uint32_t kSourceRequestReply = 1;

enum PacketType : uint8_t {
    kTypeJoinReply = 1,
    kTypeAnnounceReply = 2,
    kTypeStatusReply = 3,
    kTypeHello = 'A',
    kTypePeerList = 'B',
};

uint8_t* WordToPointer(uint32_t word) {
    return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(word));
}

uint16_t ReadSysU16(const uint8_t* sys_info, uint32_t offset) {
    return sys_info ? ReadU16(sys_info + offset) : 0;
}

}  // namespace

CChannelSession::CChannelSession(void* create_param_block)
    : m_param_block(static_cast<uint8_t*>(create_param_block)) {}

// The parts go with their members, in the order their declaration gives, and then the two
// shared blocks close (CSharedMemory), the statistics block first.
CChannelSession::~CChannelSession() = default;

void CChannelSession::StopTransfers() {
    if (m_scheduler) m_scheduler->StopScheduler();
}

bool CChannelSession::Open() {
    relay_param::RelayParams params;
    if (!ReadParamBlock(&params)) return false;
    if (!CreateStatsBlock()) return false;
    PublishIdentity(params);
    FillOwnLinkValues();
    if (!CreateStreamParts()) return false;
    StatsBlockView(m_stats).SetState(stats_block::kStateConstructed);
    m_stream_buffer->Start();
    m_stream_server->Start(kStreamMode, kStreamWindowMs, kStreamLeadMs);
    return true;
}

bool CChannelSession::ReadParamBlock(relay_param::RelayParams* out) {
    relay_param::RelayParams& params = *out;
    if (!relay_param::ReadRelayParams(m_param_block, &params)) return false;
    m_sys_info = params.sys_info;
    m_create_net_request = params.create_net_request;
    m_udp_socket = -1;
    m_type_one_word = params.type_one_word;
    m_link_entries = params.link_entries;
    m_link_count = params.link_count;
    m_source_peers = params.source_peers;
    m_source_count = params.source_count;

    char guid_text[kGuidTextLength + 1] = {};
    if (!GuidToText(guid_text, params.channel_guid)) return false;
    std::snprintf(m_stats_name, sizeof(m_stats_name), "%s%s", stats_block::kNamePrefix, guid_text);
    return true;
}

bool CChannelSession::CreateStatsBlock() {
    // Creating a block by a name that exists maps (and would wipe) the other holder's block: a
    // second session of this channel, or another process's. Such a block is left alone and this
    // session is refused; a mapping smaller than the block is refused by CSharedMemory itself.
    CSharedMemory probe;
    if (probe.Open(m_stats_name)) return false;
    if (m_stats_block.Create(m_stats_name, stats_block::kSize) != 0) return false;
    m_stats = m_stats_block.Bytes();
    return m_stats != nullptr;
}

void CChannelSession::PublishIdentity(const relay_param::RelayParams& params) {
    std::memset(m_stats, 0, stats_block::kSize);
    WriteU32(m_stats + stats_block::kComponentType, kComponentTypeLive);
    std::memcpy(m_stats + stats_block::kText1, params.text1, stats_block::kTextSize);
    std::memcpy(m_stats + stats_block::kText2, params.text2, stats_block::kTextSize);

    m_udp_socket = params.udp_socket;
    std::memcpy(m_stats + stats_block::kChannelGuid, params.channel_guid, 16);
    if (!m_sys_info) return;  // no engine identity to publish

    WriteIPv4(m_stats + stats_block::kOwnIPv4, ReadIPv4(m_sys_info + sys_info_fields::kFirstAddress));
    const uint16_t alt_tcp = ReadSysU16(m_sys_info, sys_info_fields::kAltTcpPort);
    const uint16_t alt_udp = ReadSysU16(m_sys_info, sys_info_fields::kAltUdpPort);
    WriteU16(m_stats + stats_block::kOwnTcpPort,
             alt_tcp ? alt_tcp : ReadSysU16(m_sys_info, sys_info_fields::kTcpPort));
    WriteU16(m_stats + stats_block::kOwnUdpPort,
             alt_udp ? alt_udp : ReadSysU16(m_sys_info, sys_info_fields::kUdpPort));
    std::memcpy(m_stats + stats_block::kOwnPeerId, m_sys_info + sys_info_fields::kInstanceGuid, 16);
    const uint16_t limit = ReadSysU16(m_sys_info, sys_info_fields::kTransferLimit);
    m_stats[stats_block::kFreeSlots] =
        static_cast<uint8_t>(limit > stats_block::kMaxFreeSlots ? stats_block::kMaxFreeSlots : limit);
}

void CChannelSession::FillOwnLinkValues() {
    const PeerAddress own = OwnAddress();
    for (uint32_t i = 0; i < m_link_count; ++i) {
        relay_param::FillOwnReportValues(m_link_entries + i * kLinkEntrySize, own.ipv4, own.tcp_port,
                                         own.udp_port);
    }
}

bool CChannelSession::CreateStreamParts() {
    m_stream_buffer.reset(new (std::nothrow) CStreamBuffer(this));
    if (!m_stream_buffer) return false;
    m_stream_server.reset(new (std::nothrow) CStreamServer(m_stream_buffer.get(), kStreamServerPort));
    if (!m_stream_server) return false;
    m_stream_buffer->SetStreamServer(m_stream_server.get());
    return true;
}

PeerAddress CChannelSession::OwnAddress() const {
    const StatsBlockView stats(m_stats);
    return PeerAddress{stats.OwnIPv4(), stats.OwnTcpPort(), stats.OwnUdpPort()};
}

// ---------------------------------------------------------------------------------------------
// Framework messages

int CChannelSession::OnMessage(FrameworkMessage* msg) {
    switch (msg->id) {
        case MSG_CMD_2010:
            OnHostPeerList(*msg);
            break;
        case MSG_CMD_2011:
            OnHostCommand2011();
            CoreFree(WordToPointer(msg->p1));
            break;
        case MSG_CMD_2001:
        case MSG_CMD_2002:
        case MSG_CMD_2012:
            // The framework hands every host-command block over and never frees it.
            CoreFree(WordToPointer(msg->p1));
            break;
        case MSG_NET_DATAGRAM:
            OnDatagram(*msg);
            break;
        case MSG_CONNECTION_HANDOVER:
            // The connection and its first data now belong to this component: a peer transfer of
            // the piece scheduler, which frees the buffer in every case. Without a scheduler
            // nobody serves it, so it is closed.
            if (m_scheduler) {
                m_scheduler->AcceptTransfer(static_cast<int>(msg->p1), WordToPointer(msg->p2), msg->p3);
            } else {
                if (msg->p2) NetFreeBuffer(WordToPointer(msg->p2));
                NetDestroySocket(static_cast<int>(msg->p1));
            }
            break;
        default:
            break;
    }
    return 0;
}

void CChannelSession::OnHostPeerList(const FrameworkMessage& msg) {
    uint8_t* data = WordToPointer(msg.p1);
    if (!data) return;
    // The block is the host's: its counts are cut to the bytes its length gives.
    const uint32_t length = msg.p2;
    if (length >= kHostPeers) {
        const uint32_t present = (length - kHostPeers) / kPeerAddressSize;
        uint32_t count = ReadU32(data + kHostPeerCount);
        if (count > present) count = present;
        SetHostPeers(count, data + kHostPeers);
    }
    if (length >= kHostList2Records) {
        const uint32_t present = (length - kHostList2Records) / kPeerRecordSize;
        uint32_t count = ReadU32(data + kHostList2Count);
        if (count > present) count = present;
        SetHostList2(count, data + kHostList2Records);
    }
    CoreFree(data);
}

void CChannelSession::OnDatagram(const FrameworkMessage& msg) {
    void* buffer = WordToPointer(msg.p1);
    if (msg.p4 == kSourceUdp) {
        Receive(msg);
        NetFreeBuffer(buffer);
    } else if (msg.p4 == kSourceRequestReply) {
        Receive(msg);
        CoreFree(buffer);
    }
    // Any other source kind: the owner of the buffer is unknown, so it is left alone. Only the
    // framework host posts these messages and it uses no other kind.
    assert(msg.p4 == kSourceUdp || msg.p4 == kSourceRequestReply);
}

bool CChannelSession::Receive(const FrameworkMessage& msg) {
    const uint8_t* packet = WordToPointer(msg.p1);
    const uint32_t length = msg.p2;
    if (!packet || length < kPeerPacketMinimum) return false;
    if (ReadU16(packet + kMagic2Offset) != kPeerPacketMagic2 ||
        ReadU16(packet + kMagic1Offset) != kPeerPacketMagic1) {
        return false;
    }
    const auto* sender = reinterpret_cast<const NetSockAddr*>(static_cast<uintptr_t>(msg.p3));
    DispatchPacket(msg.p4, sender, packet, length);
    return true;
}

void CChannelSession::DispatchPacket(uint32_t source_kind, const NetSockAddr* sender, const uint8_t* packet,
                                     uint32_t length) {
    switch (packet[kPacketTypeOffset]) {
        case kTypeJoinReply:
            if (m_link_manager) m_link_manager->OnType1Reply(source_kind, sender, packet, length);
            break;
        case kTypeAnnounceReply:
            if (m_link_manager) m_link_manager->OnType2Reply(source_kind, sender, packet, length);
            break;
        case kTypeStatusReply:
            if (m_link_manager) m_link_manager->OnType3Reply(source_kind, sender, packet, length);
            break;
        case kTypeHello:
            if (m_peer_exchange) m_peer_exchange->OnHello(sender, packet, length);
            break;
        case kTypePeerList:
            if (m_peer_exchange) m_peer_exchange->OnPeerList(sender, packet, length);
            break;
        default:
            break;  // other types carry nothing for the session
    }
}

// ---------------------------------------------------------------------------------------------
// Operations for the parts: the defaults of a session without an address pool

void CChannelSession::AddCandidateRecords(uint32_t count, const uint8_t* records) {
    for (uint32_t i = 0; i < count; ++i) AddCandidate(ReadPeerAddress(records + i * kPeerRecordSize));
}

void CChannelSession::AddPeerRecords(uint32_t count, const uint8_t* records) {
    for (uint32_t i = 0; i < count; ++i) ReportPeer(ReadPeerAddress(records + i * kPeerRecordSize), 0);
}

bool CChannelSession::AddCandidate(const PeerAddress&) { return false; }
bool CChannelSession::ReportPeer(const PeerAddress&, uint32_t) { return false; }

void CChannelSession::SetSourceRange(uint32_t low, uint32_t high) {
    if (low == 0 && high == 0) return;
    StatsBlockView(m_stats).SetSourceRange(low, high, EngineTick());
}

void CChannelSession::SetPublicAddress(uint32_t ipv4) {
    StatsBlockView(m_stats).SetPublicIPv4(ipv4);
}

bool CChannelSession::TakeCandidate(PeerAddress*) { return false; }
bool CChannelSession::NextPeer(PeerAddress*, uint32_t*) { return false; }
bool CChannelSession::NeedMorePeers() { return false; }
void CChannelSession::BroadcastToLinks() {}
void CChannelSession::ExpirePeers() {}
bool CChannelSession::ReportTransfer(const PeerAddress&, uint32_t) { return false; }

void CChannelSession::OnLinkState(const uint8_t*, bool up) {
    if (up) OnLinksUp();
}

uint8_t* CChannelSession::PeerTable() {
    return StatsBlockView(m_stats).PeerTable();
}

void CChannelSession::Notify(uint32_t message, uint32_t wparam, uint32_t lparam) {
    if (!m_sys_info) return;
    const uint32_t window = ReadU32(m_sys_info + sys_info_fields::kNotifyWindow);
    if (window) platform::PostWindowMessage(window, message, wparam, lparam);
}

CStreamBuffer* CChannelSession::GetStreamBuffer() { return m_stream_buffer.get(); }
CPieceScheduler* CChannelSession::GetScheduler() { return m_scheduler.get(); }
PeerAddressSet* CChannelSession::SourcePeerSet() { return nullptr; }
const PeerAddressSet* CChannelSession::SourcePeerSet() const { return nullptr; }
PeerAddressSet* CChannelSession::HostPeerSet() { return nullptr; }
const PeerAddressSet* CChannelSession::HostPeerSet() const { return nullptr; }
bool CChannelSession::IsPreferredSource(const PeerAddress&) { return false; }
void CChannelSession::SetHostPeers(uint32_t, const uint8_t*) {}

void CChannelSession::OnLinksUp() {
    StatsBlockView(m_stats).SetState(stats_block::kStateLinked);
}

// The piece scheduler's handler of host command 2011 does nothing; so does the session's.
void CChannelSession::OnHostCommand2011() {}
void CChannelSession::SetHostList2(uint32_t, const uint8_t*) {}

// Transfers belong to the piece scheduler; a transfer the scheduler no longer holds is gone.
bool CChannelSession::IsLiveTransfer(CPeerTransfer* transfer) {
    return m_scheduler && transfer && m_scheduler->HasTransfer(transfer);
}

void CChannelSession::RequestPiece(CPeerTransfer* transfer, uint32_t piece, uint32_t timeout_ms) {
    if (IsLiveTransfer(transfer)) transfer->RequestPiece(piece, timeout_ms);
}
