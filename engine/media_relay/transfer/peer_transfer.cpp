#include "transfer/peer_transfer.h"

#include <algorithm>
#include <vector>

#include "engine_tables.h"
#include "engine_tick.h"
#include "io/tcp_socket.h"
#include "message_ids.h"
#include "packets/hello_packet.h"
#include "packets/own_packet_fields.h"
#include "packets/peer_list_packet.h"
#include "packets/transfer_packets.h"
#include "packets/wire_bytes.h"
#include "peers/live_peer_list.h"
#include "pieces/piece.h"
#include "session/channel_session.h"
#include "session/sys_info_fields.h"
#include "transfer/piece_scheduler.h"

static_assert(CRequestRecords::kPublishedPieces == kPeerEntryRequestSlots);

namespace {

// Free slots are kept as the signed difference of limit and live transfers, so that more
// transfers than the limit show as 0 instead of wrapping the byte.
void PublishFreeSlots(CChannelSession* session, StatsBlockView stats) {
    const uint8_t* sys_info = session->SysInfo();
    const int32_t limit = sys_info ? ReadU16(sys_info + sys_info_fields::kTransferLimit) : 0;
    const int32_t free = limit - stats.LiveTransfers();
    stats.SetFreeSlots(static_cast<uint8_t>(std::clamp<int32_t>(free, 0, stats_block::kMaxFreeSlots)));
}

// The own outgoing or incoming transfer count, kept within its byte.
void AddToTransferCount(StatsBlockView stats, bool incoming, int delta) {
    const int value = stats.TransferCount(incoming) + delta;
    stats.SetTransferCount(incoming, static_cast<uint8_t>(std::clamp(value, 0, 255)));
}

}  // namespace

CPeerTransfer::CPeerTransfer(std::unique_ptr<CTcpSocket> socket, uint8_t* entry, CPieceScheduler* scheduler,
                             bool incoming, bool source, uint32_t initial_window, uint32_t serial)
    : m_scheduler(scheduler),
      m_socket(std::move(socket)),
      m_session(scheduler->Session()),
      m_entry(entry),
      m_window(initial_window),
      m_incoming(incoming),
      m_source(source),
      m_serial(serial) {
    StatsBlockView stats = Stats();
    m_entry.Reset();
    stats.SetLiveTransfers(static_cast<uint16_t>(stats.LiveTransfers() + 1));
    m_entry.SetState(PeerEntryState::Greeting);
    m_entry.SetIncoming(incoming);
    m_entry.SetSource(source);
    m_socket->SetSink(this);
    m_hello_timer.SetOwner(this);

    ReadFarEnd();
    AddToTransferCount(stats, incoming, 1);
    PublishFreeSlots(m_session, stats);
    PublishRequests();

    m_hello_timer.Start(kHelloTimeoutMs);
    Greet();
    m_socket->StartReceive();
}

CPeerTransfer::~CPeerTransfer() {
    StatsBlockView stats = Stats();
    for (uint32_t piece : m_requests.AllPieces()) {
        m_scheduler->RemovePieceRequest(piece);
        m_entry.CountLost();
    }
    m_entry.Reset();
    m_socket.reset();
    AddToTransferCount(stats, m_incoming, -1);
    m_entry.SetState(PeerEntryState::Free);
    const uint16_t live = stats.LiveTransfers();
    stats.SetLiveTransfers(static_cast<uint16_t>(live ? live - 1 : 0));
    PublishFreeSlots(m_session, stats);
    m_hello_timer.Stop();
}

StatsBlockView CPeerTransfer::Stats() const {
    return StatsBlockView(m_session->StatsBlock());
}

void CPeerTransfer::ReadFarEnd() {
    NetSockAddr far_end{};
    m_socket->PeerAddress(&far_end);
    m_peer_ipv4 = SocketAddressIPv4(far_end);
    m_peer_port = SocketAddressPort(far_end);
    m_entry.SetConnectionIPv4(m_peer_ipv4);
    // The UDP port stays 0 until the hello states it, so the entry is not listed yet.
    m_entry.SetStatedAddress(PeerAddress{m_peer_ipv4, m_peer_port, 0});
    m_entry.Meter().Reset();
}

void CPeerTransfer::Greet() {
    const uint8_t* stats = Stats().Bytes();
    PeerPacket hello;
    BuildHelloPacket(hello, own_fields::ChannelGuid(stats), own_fields::PeerId(stats), own_fields::Address(stats),
                     own_fields::FreeSlots(stats), EngineTick());
    Send(hello.bytes, hello.length);
}

bool CPeerTransfer::IsEstablished() const {
    return m_entry.IsEstablished();
}

void CPeerTransfer::End() {
    if (m_ending) return;
    m_ending = true;
    m_hello_timer.Stop();
    CorePostMessage(m_scheduler->AsTarget(), AsTarget(), MSG_TRANSFER_ENDED, 0, m_serial);
}

void CPeerTransfer::OnTimer(CCoreTimer*) {
    if (m_ending || IsEstablished()) return;
    End();
}

void CPeerTransfer::OnClosed(CNetSocket*, uint32_t) {
    End();
}

void CPeerTransfer::OnData(CNetSocket*, const uint8_t* data, uint32_t length) {
    if (m_ending) return;
    if (length < kMinimumPacket || !Dispatch(data, length)) {
        End();
        return;
    }
    CountReceived(length);
    m_socket->StartReceive();
}

bool CPeerTransfer::Dispatch(const uint8_t* data, uint32_t length) {
    switch (data[kTransferTypeOffset]) {
    case kPacketControl:
        return OnControl(data, length);
    case kPacketHello:
        return OnHello(data, length);
    case kPacketPeerList:
        return OnPeerList(data, length);
    case kPacketAvailability:
        return OnAvailability(data, length);
    case kPacketPieceRequest:
        return OnPieceRequest(data, length);
    case kPacketPiece:
        return OnPiece(data, length);
    default:
        return true;  // types without a handler are only counted
    }
}

bool CPeerTransfer::OnControl(const uint8_t* data, uint32_t length) {
    ControlView control(data, length);
    if (!control.IsValid()) return false;
    const uint16_t kind = control.Kind();
    if (kind == kControlClose || kind == kControlRefused) return false;
    if (!control.IsPieceUnavailable()) return true;
    const uint32_t piece = control.UnavailablePiece();
    if (!m_requests.Contains(piece)) return true;
    m_scheduler->RemovePieceRequest(piece);
    m_requests.Remove(piece);
    m_entry.CountLost();
    m_peer_map.Clear(piece);
    PublishRequests();
    return true;
}

bool CPeerTransfer::OnHello(const uint8_t* data, uint32_t length) {
    HelloView hello(data, length);
    if (!hello.IsValid()) return false;
    const uint8_t* stats = Stats().Bytes();
    if (!SameGuid(hello.ChannelGuid(), own_fields::ChannelGuid(stats))) return false;
    if (SameGuid(hello.SenderId(), own_fields::PeerId(stats))) return false;
    if (m_incoming && m_scheduler->HasOtherPeer(this, hello.SenderId())) return false;

    m_hello_timer.Stop();
    const PeerAddress stated = hello.Address();
    m_entry.SetStatedAddress(stated);
    if (m_incoming) {
        m_peer_ipv4 = stated.ipv4;
        m_peer_port = stated.tcp_port;
    }
    m_entry.SetFreeSlots(hello.FreeSlots());
    m_entry.SetPeerId(hello.SenderId());
    m_entry.SetState(PeerEntryState::Established);
    AnswerHello(hello.Tick());
    return true;
}

// The live peers of the channel except the asking peer itself.
void CPeerTransfer::AnswerHello(uint32_t echoed_tick) {
    const uint8_t* stats = Stats().Bytes();
    std::vector<PeerRecord> others;
    if (const uint8_t* table = m_session->PeerTable()) others = ListLivePeers(table);
    const PeerAddress asker = StatedAddress();
    std::erase_if(others, [&](const PeerRecord& r) { return r.address == asker; });
    PeerPacket answer;
    BuildPeerListPacket(answer, own_fields::ChannelGuid(stats), own_fields::PeerId(stats), echoed_tick,
                        own_fields::Record(stats), others.data(), static_cast<uint32_t>(others.size()));
    Send(answer.bytes, answer.length);
}

bool CPeerTransfer::OnPeerList(const uint8_t* data, uint32_t length) {
    PeerListView list(data, length);
    if (!list.IsValid()) return false;
    const uint8_t* stats = Stats().Bytes();
    if (SameGuid(list.SenderId(), own_fields::PeerId(stats))) return false;
    if (!SameGuid(list.ChannelGuid(), own_fields::ChannelGuid(stats))) return false;
    const uint8_t count = list.RecordCount();
    if (count == 0) return true;
    m_session->ReportPeer(list.RecordAt(0).address, EngineTick() - list.EchoedTick());
    if (count > 1) m_session->AddPeerRecords(count - 1u, list.RecordBytes(1));
    return true;
}

bool CPeerTransfer::OnAvailability(const uint8_t* data, uint32_t length) {
    if (!IsEstablished()) return true;
    AvailabilityView availability(data, length);
    if (!availability.IsValid()) return false;
    const uint32_t first = availability.FirstPiece();
    const uint32_t bytes = availability.ByteCount();
    m_peer_map = CPieceBitmap(first, bytes, availability.Bits());
    const uint32_t end = first + 8 * bytes;
    m_entry.SetMap(first, end);
    if (m_source) UpdateSourceRange(first, end);
    m_entry.SetStatus(availability.StatusBytes());
    return true;
}

void CPeerTransfer::UpdateSourceRange(uint32_t first, uint32_t end) {
    StatsBlockView stats = Stats();
    if (end <= stats.SourceHigh() || first <= stats.SourceLow()) return;
    stats.SetSourceRange(first, end, EngineTick());
}

bool CPeerTransfer::OnPieceRequest(const uint8_t* data, uint32_t length) {
    if (!IsEstablished()) return true;
    PieceRequestView request(data, length);
    if (!request.IsValid()) return false;
    m_backlog.Sync(m_socket->PendingSends());
    for (uint32_t i = 0; i < request.Count(); ++i) {
        const uint32_t number = request.PieceAt(i);
        // A congested connection gets "not available" for the rest instead of more pieces, so
        // one request cannot grow the send queue without bound; the asker fetches them elsewhere.
        const bool congested = m_socket->PendingSends() > kCongestedSends;
        const CPiece* piece = congested ? nullptr : m_scheduler->GetPiece(number);
        if (piece && m_backlog.Takes(piece->PacketLength())) {
            Send(piece->Packet(), piece->PacketLength());
            continue;
        }
        CTransferPacket unavailable = BuildPieceUnavailablePacket(number);
        if (unavailable.IsEmpty()) continue;
        // A peer that does not read its answers gets nothing more: its requests time out.
        if (!m_backlog.Takes(unavailable.Length())) break;
        Send(unavailable.Data(), unavailable.Length());
    }
    return true;
}

bool CPeerTransfer::OnPiece(const uint8_t* data, uint32_t length) {
    if (!IsEstablished() || length <= kPieceHeaderLength) return true;
    PieceView view(data, length);
    // A malformed piece is dropped; its request stays and times out.
    if (!view.IsValid()) return true;
    const uint8_t kind = view.Kind();
    if (kind != PIECE_DATA && kind != PIECE_HEADER && kind != kPieceKindExtra) return true;
    const uint32_t number = view.PieceNumber();
    // Only pieces asked of this peer are taken: an unasked one could make the buffer jump or
    // be kept far from the play cursor for good.
    if (!m_requests.Contains(number)) return true;
    std::unique_ptr<CPiece> piece(CPiece::FromPacket(data, length));
    if (!piece) return true;

    const uint32_t now = EngineTick();
    const PassArrival arrival = m_requests.Arrive(number, view.BodyLength(), now);
    if (arrival.outstanding_of_pass == 1)
        m_window.OnPassComplete(arrival.pass_tick, arrival.pass_pieces, now);
    else
        m_window.OnPassPiece(arrival.pass_tick, now);

    m_scheduler->DeliverPiece(std::move(piece));
    PublishRequests();
    m_session->Notify(kNotifyReceived, m_entry.ConnectionIPv4(), number);
    if (m_window.Size() == 0 && !m_source) return false;
    return true;
}

bool CPeerTransfer::RequestPiece(uint32_t piece, uint32_t timeout_ms) {
    if (m_ending || !IsEstablished() || FreeRequestSlots() == 0 || m_requests.Contains(piece)) return false;
    CTransferPacket request = BuildPieceRequestPacket(piece);
    if (request.IsEmpty()) return false;
    Send(request.Data(), request.Length());
    m_requests.Add(piece, EngineTick(), timeout_ms, m_scheduler->PassCount(), m_scheduler->PassTick());
    PublishRequests();
    m_session->Notify(kNotifyRequested, m_entry.ConnectionIPv4(), piece);
    return true;
}

uint32_t CPeerTransfer::FreeRequestSlots() const {
    const int64_t free = static_cast<int64_t>(m_window.Size()) - m_requests.Count();
    return free > 0 ? static_cast<uint32_t>(free) : 0;
}

void CPeerTransfer::SendPacket(const uint8_t* packet, uint32_t length) {
    if (!IsEstablished()) return;
    if (m_socket->PendingSends() > kCongestedSends && m_skipped_sends < kMaxSkippedSends) {
        ++m_skipped_sends;
        return;
    }
    m_skipped_sends = 0;
    Send(packet, length);
}

void CPeerTransfer::CheckRequestTimeouts() {
    if (!IsEstablished()) return;
    for (uint32_t piece : m_requests.ExpireDue(EngineTick())) {
        m_scheduler->RemovePieceRequest(piece);
        m_peer_map.Clear(piece);
        m_session->Notify(kNotifyTimedOut, m_entry.ConnectionIPv4(), piece);
    }
}

void CPeerTransfer::SecondTick() {
    m_entry.Meter().Advance();
}

void CPeerTransfer::SendClose() {
    CTransferPacket close = BuildControlPacket(kControlClose, nullptr, 0);
    if (!close.IsEmpty()) Send(close.Data(), close.Length());
}

bool CPeerTransfer::OffersPiece(uint32_t piece) const {
    if (m_peer_map.Count() > kLongMap && piece - m_peer_map.FirstPiece() < kSkippedHead) return false;
    return m_peer_map.Has(piece);
}

uint32_t CPeerTransfer::StartEstimate(uint32_t percent) const {
    if (m_peer_map.Count() == 0) return 0;
    uint32_t first = m_peer_map.FirstPiece();
    if (m_peer_map.Count() > kLongMap) first += kSkippedHead;
    const uint32_t end = m_peer_map.End();
    return static_cast<uint32_t>(first + (static_cast<double>(end) - first) * percent / 100.0);
}

uint32_t CPeerTransfer::Rate() const {
    return m_entry.Meter().RecentRate();
}

PeerAddress CPeerTransfer::StatedAddress() const {
    return m_entry.StatedAddress();
}

const uint8_t* CPeerTransfer::PeerId() const {
    return m_entry.PeerId();
}

void CPeerTransfer::PublishRequests() {
    const std::vector<uint32_t> first = m_requests.FirstPieces();
    for (uint32_t i = 0; i < CRequestRecords::kPublishedPieces; ++i)
        m_entry.SetRequestAt(i, i < first.size() ? first[i] : 0);
    m_entry.SetOutstanding(m_requests.Count());
    m_entry.SetWindow(m_window.Size());
}

bool CPeerTransfer::Send(const uint8_t* data, uint32_t length) {
    m_backlog.Sync(m_socket->PendingSends());
    if (!m_socket->Send(data, length)) return false;
    m_backlog.Add(length);
    StatsBlockView stats = Stats();
    CRateMeter own = stats.Meter();
    own.AddSent(length);
    m_entry.Meter().AddSent(length);
    stats.SetSendRateK(static_cast<uint16_t>(own.RecentSendRate() / 1000));
    return true;
}

void CPeerTransfer::CountReceived(uint32_t length) {
    Stats().Meter().AddReceived(length);
    m_entry.Meter().AddReceived(length);
}
