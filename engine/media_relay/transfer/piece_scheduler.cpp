#include "transfer/piece_scheduler.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "engine_tables.h"
#include "engine_tick.h"
#include "io/tcp_socket.h"
#include "message_ids.h"
#include "packets/packet_header.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address_set.h"
#include "pieces/piece.h"
#include "pieces/stream_buffer.h"
#include "session/channel_session.h"
#include "session/sys_info_fields.h"
#include "transfer/peer_transfer.h"

namespace {

// The framework's limit on open connections, next to the transfer limit.
constexpr uint32_t kConnectionLimitOffset = 36;
constexpr uint32_t kReadySpanEnough = 30;  // ms, as published at offset 820
constexpr uint32_t kLossEnough = 20;       // percent
constexpr uint32_t kSettledTransfers = 8;

// Ticks wrap every 49.7 days; differences stay meaningful across the wrap.
int32_t Since(uint32_t now, uint32_t then) {
    return static_cast<int32_t>(now - then);
}

uint64_t PendingKey(const PeerAddress& address) {
    PeerAddress key = address;
    key.udp_port = 0;
    return PeerKey(key);
}

}  // namespace

CPieceScheduler::CPieceScheduler(CChannelSession* session)
    : m_request_deadline(kFirstLinkInterval), m_link_interval(kFirstLinkInterval), m_session(session) {
    m_link_timer.SetOwner(this);
    m_request_timer.SetOwner(this);
}

CPieceScheduler::~CPieceScheduler() {
    StopScheduler();
}

CStreamBuffer* CPieceScheduler::Buffer() const {
    return m_session->GetStreamBuffer();
}

StatsBlockView CPieceScheduler::Stats() const {
    return StatsBlockView(m_session->StatsBlock());
}

uint16_t CPieceScheduler::SysInfoWord(uint32_t offset) const {
    const uint8_t* sys_info = m_session->SysInfo();
    return sys_info ? ReadU16(sys_info + offset) : 0;
}

int32_t CPieceScheduler::FreeTransferSlots() const {
    return static_cast<int32_t>(SysInfoWord(sys_info_fields::kTransferLimit)) -
           static_cast<int32_t>(Stats().LiveTransfers());
}

bool CPieceScheduler::StartScheduler(uint32_t count, const uint8_t* entries) {
    if (m_started) return false;
    const uint32_t now = EngineTick();
    m_started = true;
    m_link_interval = kFirstLinkInterval;
    // As if the links were last asked and the map last sent long ago, so the first tick does both.
    m_link_tick_time = now - m_link_interval - 1;
    m_last_broadcast = now - kBroadcastMs;
    m_last_timeout_check = now - kTimeoutCheckMs;
    m_start_chosen = false;
    m_request_deadline = now + kStartWaitMs;
    m_link_timer.Start(kLinkTickMs);

    const StatsBlockView stats = Stats();
    const uint32_t own_ipv4 = stats.OwnIPv4();
    const uint16_t own_port = stats.OwnTcpPort();
    PeerAddressSet* sources = m_session->SourcePeerSet();
    if (sources) {
        sources->Clear();
        const uint32_t used = entries ? std::min(count, kMaxListedPeers) : 0;
        for (uint32_t i = 0; i < used; ++i) {
            const PeerAddress address = ReadPeerAddress(entries + kPeerAddressSize * i);
            if (address.ipv4 != own_ipv4 || address.tcp_port != own_port) sources->Insert(address);
        }
    }
    ConnectListedPeers();
    m_request_timer.Start(kRequestPassMs);
    if (sources && !sources->Empty()) m_request_deadline = now;
    return true;
}

int CPieceScheduler::StopScheduler() {
    if (!m_started) return 0;
    m_link_timer.Stop();
    m_request_timer.Stop();
    while (!m_transfers.empty()) RemoveTransfer(m_transfers.begin()->second.get(), 0);
    m_candidates.clear();
    m_pending.clear();
    PublishPendingConnects();
    m_link_tick_time = 0;
    m_link_interval = kFirstLinkInterval;
    m_request_deadline = 0;
    m_start_chosen = false;
    m_started = false;
    return 1;
}

int CPieceScheduler::OnMessage(FrameworkMessage* msg) {
    if (msg->id != MSG_TRANSFER_ENDED) return 0;
    // The serial tells this transfer from a later one that got the same address after it was
    // removed another way while its message was queued.
    auto it = m_transfers.find(msg->p2);
    if (it == m_transfers.end() || it->second->AsTarget() != msg->sender) return 0;
    RemoveTransfer(it->second.get(), static_cast<int32_t>(msg->p1));
    return 0;
}

void CPieceScheduler::OnTimer(CCoreTimer* timer) {
    if (timer == &m_link_timer) {
        LinkTick();
    } else if (timer == &m_request_timer) {
        RequestPass();
        CheckTimeouts(EngineTick());
    }
}

// --- links ---

bool CPieceScheduler::HasLinkTo(const PeerAddress& address) const {
    if (m_pending.count(PendingKey(address))) return true;
    for (const auto& [serial, transfer] : m_transfers)
        if (transfer->PeerIPv4() == address.ipv4 && transfer->PeerPort() == address.tcp_port) return true;
    return false;
}

void CPieceScheduler::OpenLink(const PeerAddress& address, bool listed) {
    if (HasLinkTo(address)) return;
    auto socket = std::make_unique<CTcpSocket>();
    if (!socket->IsOpen()) return;
    socket->SetSink(this);
    socket->SetValue(listed ? kListedConnectSeconds : m_seconds > kEarlyTicks ? kConnectSeconds : kEarlyConnectSeconds);
    if (!socket->Connect(address.ipv4, address.tcp_port)) return;
    PendingConnect pending;
    pending.socket = std::move(socket);
    pending.address = address;
    pending.listed = listed;
    m_pending[PendingKey(address)] = std::move(pending);
    PublishPendingConnects();
}

void CPieceScheduler::PublishPendingConnects() {
    Stats().SetPendingConnects(static_cast<uint32_t>(m_pending.size()));
}

std::map<uint64_t, CPieceScheduler::PendingConnect>::iterator CPieceScheduler::FindPending(const CNetSocket* socket) {
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it)
        if (it->second.socket.get() == socket) return it;
    return m_pending.end();
}

uint8_t* CPieceScheduler::FreePeerEntry() const {
    uint8_t* table = m_session->PeerTable();
    if (!table) return nullptr;
    for (uint32_t i = 0; i < kPeerTableEntries; ++i) {
        PeerEntry entry(table + kPeerEntrySize * i);
        if (entry.IsFree()) return entry.Bytes();
    }
    return nullptr;
}

void CPieceScheduler::AddTransfer(std::unique_ptr<CTcpSocket> socket, uint8_t* entry, bool incoming, bool source) {
    const uint32_t serial = m_next_serial++;
    m_transfers[serial] = std::make_unique<CPeerTransfer>(std::move(socket), entry, this, incoming, source,
                                                          source ? kSourceWindow : kPlainWindow, serial);
}

// A socket whose sink is this scheduler is held by its pending connect until the result comes;
// one that is not among them has no holder left, so it goes here (the rule at CNetSocket).
void CPieceScheduler::OnConnected(CNetSocket* socket) {
    auto it = FindPending(socket);
    if (it == m_pending.end()) {
        delete socket;
        return;
    }
    PendingConnect pending = std::move(it->second);
    m_pending.erase(it);
    // The limit holds for connects that were started while slots were free too.
    uint8_t* entry = FreeTransferSlots() > 0 ? FreePeerEntry() : nullptr;
    if (entry) AddTransfer(std::move(pending.socket), entry, false, pending.listed);
    PublishPendingConnects();
}

void CPieceScheduler::OnConnectFailed(CNetSocket* socket, uint32_t) {
    auto it = FindPending(socket);
    if (it == m_pending.end()) {
        delete socket;
        return;
    }
    m_pending.erase(it);
    PublishPendingConnects();
}

bool CPieceScheduler::AcceptTransfer(int socket_id, const uint8_t* data, uint32_t length) {
    auto socket = std::make_unique<CTcpSocket>(socket_id);
    NetSockAddr far_end{};
    socket->PeerAddress(&far_end);
    uint8_t* entry = FreeTransferSlots() > 0 ? FreePeerEntry() : nullptr;
    bool accepted = false;
    if (entry) {
        PeerAddress address;
        address.ipv4 = SocketAddressIPv4(far_end);
        address.tcp_port = SocketAddressPort(far_end);
        const bool preferred = m_session->IsPreferredSource(address);
        const uint32_t serial = m_next_serial;
        AddTransfer(std::move(socket), entry, true, preferred);
        CPeerTransfer* transfer = m_transfers[serial].get();
        if (data && length) transfer->OnData(nullptr, data, length);
        accepted = true;
    }
    NetFreeBuffer(const_cast<uint8_t*>(data));
    return accepted;
}

void CPieceScheduler::RemoveTransfer(CPeerTransfer* transfer, int32_t reason) {
    // Found by address, so a pointer to a transfer already gone is never read.
    auto it = std::find_if(m_transfers.begin(), m_transfers.end(), [&](const auto& e) { return e.second.get() == transfer; });
    if (it == m_transfers.end()) return;
    // Out of the map first, so nothing the departing transfer reaches finds it there; it goes
    // at the end of this function, after its report and its close.
    const std::unique_ptr<CPeerTransfer> departing = std::move(it->second);
    m_transfers.erase(it);
    for (auto c = m_candidates.begin(); c != m_candidates.end();)
        c = c->second == transfer ? m_candidates.erase(c) : std::next(c);
    const bool established = transfer->IsEstablished();
    if (!transfer->IsIncoming() && established && reason >= 0) {
        const uint32_t window = transfer->Window();
        m_session->ReportTransfer(transfer->StatedAddress(), window ? 1000 / window : 10000);
    }
    if (established) transfer->SendClose();
}

bool CPieceScheduler::HasTransfer(const CPeerTransfer* transfer) const {
    for (const auto& entry : m_transfers)
        if (entry.second.get() == transfer) return true;
    return false;
}

bool CPieceScheduler::HasOtherPeer(const CPeerTransfer* asking, const uint8_t* peer_id) const {
    for (const auto& [serial, transfer] : m_transfers)
        if (transfer.get() != asking && transfer->IsEstablished() && SameGuid(transfer->PeerId(), peer_id)) return true;
    return false;
}

void CPieceScheduler::DeliverPiece(std::unique_ptr<CPiece> piece) {
    if (CStreamBuffer* buffer = Buffer()) buffer->DeliverPiece(std::move(piece));
}

bool CPieceScheduler::RemovePieceRequest(uint32_t piece) {
    CStreamBuffer* buffer = Buffer();
    return buffer && buffer->RemovePieceRequest(piece);
}

CPiece* CPieceScheduler::GetPiece(uint32_t piece) const {
    CStreamBuffer* buffer = Buffer();
    return buffer ? buffer->GetPiece(piece) : nullptr;
}

// --- link tick ---

void CPieceScheduler::LinkTick() {
    const uint32_t now = EngineTick();
    ++m_seconds;
    AskLinksForPeers(now);
    OpenLinksToFreeSlots();
    const int32_t free_slots = FreeTransferSlots();
    if (free_slots < kKeptFreeSlots) CloseSlowest(free_slots);
    for (const auto& [serial, transfer] : m_transfers) transfer->SecondTick();
    Stats().Meter().Advance();
    BroadcastAvailability(now);
    ConnectListedPeers();
    m_session->ExpirePeers();
}

void CPieceScheduler::AskLinksForPeers(uint32_t now) {
    if (!m_session->NeedMorePeers() || Since(now, m_link_tick_time) <= static_cast<int32_t>(m_link_interval)) return;
    m_session->BroadcastToLinks();
    m_link_tick_time = now;
    if (m_link_interval < kFirstLinkInterval) m_link_interval = kFirstLinkInterval;
    if (m_link_interval < kMaxDoubledInterval) m_link_interval *= 2;
}

void CPieceScheduler::OpenLinksToFreeSlots() {
    const StatsBlockView stats = Stats();
    const bool settled = stats.OwnIPv4() == stats.PublicIPv4() && stats.LossPercent() == 0 &&
                         m_transfers.size() >= kSettledTransfers;
    if (settled) return;
    // Connects under way take slots too; signed, so a count past the limit opens nothing.
    const int32_t openings = FreeTransferSlots() - static_cast<int32_t>(m_pending.size()) - kKeptFreeSlots;
    const int connection_limit = SysInfoWord(kConnectionLimitOffset);
    for (int32_t i = 0; i < openings; ++i) {
        if (CNetSocket::OpenConnections() >= connection_limit) return;
        PeerAddress address;
        uint32_t value = 0;
        if (!m_session->NextPeer(&address, &value)) {
            m_link_interval = kFirstLinkInterval;
            return;
        }
        OpenLink(address, false);
    }
}

void CPieceScheduler::CloseSlowest(int32_t free_slots) {
    std::vector<CPeerTransfer*> closing;
    for (const auto& [serial, transfer] : m_transfers)
        if (transfer->IsEstablished() && !transfer->IsSource()) closing.push_back(transfer.get());
    std::stable_sort(closing.begin(), closing.end(),
                     [](const CPeerTransfer* a, const CPeerTransfer* b) { return a->Rate() < b->Rate(); });
    const size_t count = std::min(closing.size(), static_cast<size_t>(kClosingFreeSlots - free_slots));
    for (size_t i = 0; i < count; ++i) RemoveTransfer(closing[i], 0);
}

void CPieceScheduler::BroadcastAvailability(uint32_t now) {
    if (Since(now, m_last_broadcast) < static_cast<int32_t>(kBroadcastMs)) return;
    m_last_broadcast = now;
    CStreamBuffer* buffer = Buffer();
    if (!buffer) return;
    CTransferPacket packet = buffer->BuildAvailabilityPacket();
    if (packet.IsEmpty()) return;
    for (const auto& [serial, transfer] : m_transfers)
        if (transfer->IsEstablished()) transfer->SendPacket(packet.Data(), packet.Length());
}

void CPieceScheduler::ConnectListedPeers() {
    // Copies: opening a link never changes the sets, but the pool owns them.
    if (const PeerAddressSet* hosts = m_session->HostPeerSet()) {
        std::vector<PeerAddress> addresses;
        for (const auto& entry : *hosts) addresses.push_back(entry.second);
        for (const PeerAddress& address : addresses) OpenLink(address, true);
    }
    const StatsBlockView stats = Stats();
    const bool well_fed =
        stats.ReadyMs() > kReadySpanEnough && stats.LossPercent() < kLossEnough && !m_transfers.empty();
    if (well_fed) return;
    if (const PeerAddressSet* sources = m_session->SourcePeerSet()) {
        std::vector<PeerAddress> addresses;
        for (const auto& entry : *sources) addresses.push_back(entry.second);
        for (const PeerAddress& address : addresses) OpenLink(address, true);
    }
}

void CPieceScheduler::CheckTimeouts(uint32_t now) {
    if (Since(now, m_last_timeout_check) < static_cast<int32_t>(kTimeoutCheckMs)) return;
    m_last_timeout_check = now;
    for (const auto& [serial, transfer] : m_transfers)
        if (transfer->IsEstablished()) transfer->CheckRequestTimeouts();
}

// --- request pass ---

void CPieceScheduler::RequestPass() {
    const uint32_t now = EngineTick();
    ++m_pass_count;
    m_pass_tick = now;
    CStreamBuffer* buffer = Buffer();
    if (m_transfers.empty() || !buffer) return;
    if (!m_start_chosen && !ChooseStart(now)) return;
    if (Since(now, m_request_deadline) > static_cast<int32_t>(kRechooseStartMs)) {
        m_start_chosen = false;
        return;
    }
    const uint32_t cursor = buffer->Cursor();
    RebuildCandidates(cursor);
    if (m_candidates.empty()) return;
    RequestInOrder(cursor, now);
    RequestRarestFirst(cursor, now);
}

uint32_t CPieceScheduler::MappedTransfers() const {
    uint32_t count = 0;
    for (const auto& [serial, transfer] : m_transfers)
        if (transfer->IsEstablished() && transfer->PeerMap().Count() > 0) ++count;
    return count;
}

bool CPieceScheduler::ChooseStart(uint32_t now) {
    if (Since(now, m_request_deadline) <= 0 && MappedTransfers() < kMinStartCandidates) return false;
    const uint32_t start = ChooseStartPiece();
    const StatsBlockView stats = Stats();
    const uint64_t low = stats.SourceLow();
    const uint64_t high = stats.SourceHigh();
    // Piece 0 means "none": starting there would leave nothing to request for a minute.
    if (start == 0 || (low == 0 && high == 0)) return false;
    if (start + uint64_t{kStartRangeMargin} <= low || start >= high + kStartRangeMargin) return false;
    Buffer()->JumpTo(start);
    m_start_chosen = true;
    m_request_deadline = now;
    return true;
}

uint32_t CPieceScheduler::ChooseStartPiece() const {
    const StatsBlockView stats = Stats();
    const uint64_t low = stats.SourceLow();
    const uint64_t high = stats.SourceHigh();
    uint32_t best = 0;
    uint32_t best_count = 0;
    for (const auto& [serial, transfer] : m_transfers) {
        if (!transfer->IsEstablished()) continue;
        const uint32_t estimate = transfer->StartEstimate(kDenseResourcePosition);
        // The same bounds the start is then held to, so a refused estimate cannot win.
        if (!(low < estimate + uint64_t{kStartRangeMargin} && estimate < high + kStartRangeMargin)) continue;
        uint32_t holders = 0;
        for (const auto& [other_serial, other] : m_transfers)
            if (other->IsEstablished() && other->OffersPiece(estimate)) ++holders;
        if (holders > best_count) {
            best_count = holders;
            best = estimate;
        }
    }
    return best;
}

void CPieceScheduler::RebuildCandidates(uint32_t cursor) {
    m_candidates.clear();
    for (const auto& [serial, transfer] : m_transfers)
        if (transfer->IsEstablished() && transfer->PeerMap().End() > cursor + 1)
            m_candidates.emplace(transfer->FreeRequestSlots(), transfer.get());
}

uint32_t CPieceScheduler::MostFreeSlots() const {
    return m_candidates.empty() ? 0 : m_candidates.begin()->first;
}

bool CPieceScheduler::RequestOne(uint32_t piece, uint32_t now) {
    CStreamBuffer* buffer = Buffer();
    if (!buffer->IsPieceWanted(piece)) return false;
    for (auto it = m_candidates.begin(); it != m_candidates.end(); ++it) {
        CPeerTransfer* transfer = it->second;
        if (it->first == 0) break;  // ordered by free slots: the rest have none either
        if (!transfer->OffersPiece(piece)) continue;
        if (!transfer->RequestPiece(piece, kRequestTimeoutMs)) continue;
        buffer->AddPieceRequest(piece, transfer);
        m_candidates.erase(it);
        m_candidates.emplace(transfer->FreeRequestSlots(), transfer);
        m_request_deadline = now;
        return true;
    }
    return false;
}

void CPieceScheduler::RequestInOrder(uint32_t cursor, uint32_t now) {
    uint32_t requested = 0;
    for (uint32_t piece = cursor + 1; piece != cursor + 1 + kInOrderSpan; ++piece) {
        if (MostFreeSlots() == 0) return;
        if (RequestOne(piece, now) && ++requested > kMaxInOrderRequests) return;
    }
}

void CPieceScheduler::RequestRarestFirst(uint32_t cursor, uint32_t now) {
    if (MostFreeSlots() == 0) return;
    // Bounded by the span ahead even when every map reaches beyond it.
    const uint64_t bound = uint64_t{cursor} + kRarestFirstSpan + 1;
    uint64_t limit = 0;
    for (const auto& [slots, transfer] : m_candidates) limit = std::max<uint64_t>(limit, transfer->PeerMap().End());
    limit = std::min(limit, bound);
    CStreamBuffer* buffer = Buffer();
    std::vector<std::pair<uint32_t, uint32_t>> order;  // holders, piece
    for (uint64_t s = uint64_t{cursor} + kRarestFirstOffset; s < limit; ++s) {
        const uint32_t piece = static_cast<uint32_t>(s);
        if (!buffer->IsPieceWanted(piece)) continue;
        uint32_t holders = 0;
        for (const auto& [slots, transfer] : m_candidates)
            if (transfer->OffersPiece(piece)) ++holders;
        if (holders) order.emplace_back(holders, piece);
    }
    std::sort(order.begin(), order.end());
    for (const auto& [holders, piece] : order) {
        if (MostFreeSlots() == 0) return;
        RequestOne(piece, now);
    }
}
