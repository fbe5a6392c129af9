#include "stream_source.h"

#include <algorithm>
#include <cstring>

#include "engine_tables.h"
#include "engine_tick.h"
#include "io/tcp_socket.h"
#include "message_ids.h"
#include "packets/hello_packet.h"
#include "packets/packet_header.h"
#include "packets/peer_list_packet.h"
#include "packets/transfer_packets.h"
#include "packets/wire_bytes.h"
#include "pieces/piece.h"
#include "sim_world.h"
#include "stream_payload.h"

namespace sim {

namespace {

constexpr uint32_t kMaxListedRelays = kPeerListMaxOtherRecords;
constexpr uint32_t kMaxMapPieces = 8 * kMaxAvailabilityBytes;

std::vector<uint8_t> PiecePacket(uint32_t number, uint8_t kind, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> packet(kPieceBodyOffset + body.size());
    WriteTransferHeader(packet.data(), kPacketPiece);
    WriteU32(&packet[kPieceNumberOffset], number);
    packet[kPieceKindOffset] = kind;
    WriteU16(&packet[kPieceBodyLengthOffset], static_cast<uint16_t>(body.size()));
    std::copy(body.begin(), body.end(), packet.begin() + kPieceBodyOffset);
    return packet;
}

std::vector<uint8_t> HeaderBody() {
    const std::string& data = stream_payload::HeaderData();
    std::vector<uint8_t> body(8 + data.size());
    WriteU16(&body[0], stream_payload::kHeaderType);
    WriteU16(&body[2], 0);
    WriteU16(&body[4], static_cast<uint16_t>(data.size()));
    WriteU16(&body[6], 0);
    std::memcpy(&body[8], data.data(), data.size());
    return body;
}

SimTime Now() {
    return World::Current()->Now();
}

}  // namespace

// One relay's connection to the source.
class StreamSource::Connection : public CSocketEventSink {
public:
    Connection(StreamSource* source, int serial, int socket_id)
        : source(source), serial(serial), socket(std::make_unique<CTcpSocket>(socket_id)) {
        socket->SetSink(this);
        NetSockAddr far_end{};
        socket->PeerAddress(&far_end);
        seen_ipv4 = SocketAddressIPv4(far_end);
    }

    void OnData(CNetSocket*, const uint8_t* data, uint32_t length) override {
        StreamSource* owner = source;
        const int id = serial;
        owner->Handle(*this, data, length);
        // The connection may be gone now; only then is nothing armed again.
        auto it = owner->m_connections.find(id);
        if (it != owner->m_connections.end()) it->second->socket->StartReceive();
    }
    void OnClosed(CNetSocket*, uint32_t) override { source->Remove(*this); }

    void Send(const uint8_t* data, uint32_t length) { socket->Send(data, length); }

    StreamSource* source;
    int serial;
    std::unique_ptr<CTcpSocket> socket;
    uint32_t seen_ipv4 = 0;
    bool greeted = false;
    PeerAddress stated;
    SimTime next_availability = 0;
};

StreamSource::StreamSource(const SourceConfig& config) : m_config(config) {
    if (Node* node = World::Current()->CurrentNode()) m_ipv4 = node->IPv4();
    m_listener = NetCreateBoundSocket(kNetKindTcp, config.tcp_port);
    if (m_listener >= 0) {
        NetSockAddr local{};
        NetGetLocalAddress(m_listener, &local);
        m_tcp_port = SocketAddressPort(local);
        NetSetHandler(m_listener, this);
    }
    m_udp = std::make_unique<DatagramEndpoint>(
        config.udp_port, [this](const uint8_t* data, uint32_t length, const NetSockAddr& from) {
            AnswerDatagram(data, length, from);
        });
    m_header = PiecePacket(config.base, PIECE_HEADER, HeaderBody());
    m_first_held = config.base + 1;
    m_log.SetFirstPiece(config.base + 1);
    m_started = Now();
    m_next_range = m_started;
    m_produce.SetOwner(this);
    m_housekeeping.SetOwner(this);
    ProduceDue();
    m_housekeeping.Start(kHousekeepingMs);
}

StreamSource::~StreamSource() {
    m_produce.Stop();
    m_housekeeping.Stop();
    m_connections.clear();
    m_udp.reset();
    if (m_listener >= 0) NetDestroySocket(m_listener);
}

PeerAddress StreamSource::Address() const {
    PeerAddress address;
    address.ipv4 = m_ipv4;
    address.tcp_port = m_tcp_port;
    address.udp_port = m_udp ? m_udp->Port() : 0;
    return address;
}

uint32_t StreamSource::OpenTransfers() const {
    return static_cast<uint32_t>(m_connections.size());
}

// --- production ---

uint32_t StreamSource::TimeStamp(uint64_t index) const {
    return static_cast<uint32_t>(index * m_config.piece_bytes * 8000 / m_config.rate_bps);
}

SimTime StreamSource::DueAt(uint64_t index) const {
    return m_started + Ms(TimeStamp(index));
}

void StreamSource::ProduceDue() {
    const SimTime now = Now();
    while (DueAt(m_next_index) <= now) {
        const uint32_t number = m_config.base + 1 + static_cast<uint32_t>(m_next_index);
        const uint32_t time_stamp = TimeStamp(m_next_index);
        std::vector<uint8_t> body(kDataPiecePrefix);
        WriteU32(&body[0], time_stamp);
        WriteU32(&body[4], m_config.base);
        const std::vector<uint8_t> record = stream_payload::Record(
            number, time_stamp, static_cast<uint32_t>(m_stream_offset), m_config.piece_bytes);
        body.insert(body.end(), record.begin(), record.end());
        m_data.push_back(PiecePacket(number, PIECE_DATA, body));
        m_log.Produced(number, now);
        m_stream_offset += record.size();
        ++m_next_index;
    }
    ScheduleProduction();
}

void StreamSource::ScheduleProduction() {
    const SimTime due = DueAt(m_next_index);
    const SimTime now = Now();
    m_produce.Stop();
    m_produce.Start(static_cast<uint32_t>((due - now + kMicrosPerMs - 1) / kMicrosPerMs));
}

void StreamSource::Evict() {
    const SimTime window = Seconds(m_config.window_s);
    const SimTime now = Now();
    while (!m_data.empty() && m_log.ProducedAt(m_first_held) + window < now) {
        m_data.pop_front();
        ++m_first_held;
    }
}

void StreamSource::OnTimer(CCoreTimer* timer) {
    if (timer == &m_produce) {
        ProduceDue();
    } else if (timer == &m_housekeeping) {
        Housekeeping();
    }
}

void StreamSource::Housekeeping() {
    Evict();
    const SimTime now = Now();
    if (now >= m_next_range && !m_data.empty()) {
        m_published = {m_first_held, m_first_held + static_cast<uint32_t>(m_data.size()) - 1};
        m_next_range = now + Ms(kRangeMs);
    }
    std::vector<int> due;
    for (const auto& [serial, connection] : m_connections)
        if (connection->greeted && connection->next_availability <= now) due.push_back(serial);
    for (int serial : due) SendAvailability(*m_connections[serial]);
}

const std::vector<uint8_t>* StreamSource::Packet(uint32_t piece) const {
    if (piece == m_config.base) return &m_header;
    if (piece >= m_first_held && piece - m_first_held < m_data.size()) return &m_data[piece - m_first_held];
    return nullptr;
}

// --- connections ---

int StreamSource::OnMessage(FrameworkMessage* msg) {
    if (msg->id == MSG_NET_ACCEPT && static_cast<int>(msg->sender) == m_listener) Accept(static_cast<int>(msg->p1));
    return 0;
}

void StreamSource::Accept(int socket_id) {
    const int serial = m_next_serial++;
    const bool full = OpenTransfers() >= m_config.max_transfers;
    Connection& connection = *(m_connections[serial] = std::make_unique<Connection>(this, serial, socket_id));
    if (full) {
        Refuse(connection);
        return;
    }
    PeerPacket hello;
    const uint32_t open = OpenTransfers();
    const uint8_t free_slots = static_cast<uint8_t>(open >= m_config.max_transfers ? 0 : m_config.max_transfers - open);
    BuildHelloPacket(hello, m_config.channel_guid, m_config.peer_id, Address(), free_slots, EngineTick());
    connection.Send(hello.bytes, hello.length);
    connection.socket->StartReceive();
}

void StreamSource::Refuse(Connection& connection) {
    ++m_refusals;
    CTransferPacket refusal = BuildControlPacket(kControlRefused, nullptr, 0);
    if (!refusal.IsEmpty()) connection.Send(refusal.Data(), refusal.Length());
    Remove(connection);  // the close is graceful: the refusal still reaches the relay
}

void StreamSource::Remove(Connection& connection) {
    m_connections.erase(connection.serial);
}

std::vector<uint8_t> StreamSource::PeerList(uint32_t echoed_tick, const Connection* asking) const {
    std::vector<PeerRecord> others;
    for (const auto& [serial, connection] : m_connections) {
        if (!connection->greeted || connection.get() == asking || others.size() >= kMaxListedRelays) continue;
        PeerAddress address = connection->stated;
        address.ipv4 = connection->seen_ipv4;
        others.push_back(PeerRecord{address, 0, 0});
    }
    PeerPacket list;
    BuildPeerListPacket(list, m_config.channel_guid, m_config.peer_id, echoed_tick, Record(), others.data(),
                        static_cast<uint32_t>(others.size()));
    return std::vector<uint8_t>(list.bytes, list.bytes + list.length);
}

void StreamSource::Greet(Connection& connection, const PeerAddress& stated) {
    connection.greeted = true;
    connection.stated = stated;
}

void StreamSource::Handle(Connection& connection, const uint8_t* data, uint32_t length) {
    const uint8_t type = length > kPacketTypeOffset ? data[kPacketTypeOffset] : 0;
    if (!connection.greeted || type == kPacketHello) {
        HelloView hello(data, length);
        const bool ours = hello.IsValid() && SameGuid(hello.ChannelGuid(), m_config.channel_guid);
        if (!connection.greeted && !ours) {
            Refuse(connection);
            return;
        }
        if (!ours) return;
        const bool first = !connection.greeted;
        Greet(connection, hello.Address());
        const std::vector<uint8_t> list = PeerList(hello.Tick(), &connection);
        connection.Send(list.data(), static_cast<uint32_t>(list.size()));
        if (first) SendAvailability(connection);
        return;
    }
    if (type == kPacketControl) {
        ControlView control(data, length);
        if (control.IsValid() && (control.Kind() == kControlClose || control.Kind() == kControlRefused))
            Remove(connection);
        return;
    }
    if (type == kPacketPieceRequest) {
        PieceRequestView request(data, length);
        if (!request.IsValid()) return;
        for (uint32_t i = 0; i < request.Count(); ++i) Serve(connection, request.PieceAt(i));
    }
    // 'B', 'D' and '@' kind 2 from relays carry nothing for the source.
}

void StreamSource::Serve(Connection& connection, uint32_t piece) {
    if (const std::vector<uint8_t>* packet = Packet(piece)) {
        connection.Send(packet->data(), static_cast<uint32_t>(packet->size()));
        return;
    }
    CTransferPacket missing = BuildPieceUnavailablePacket(piece);
    if (!missing.IsEmpty()) connection.Send(missing.Data(), missing.Length());
}

void StreamSource::SendAvailability(Connection& connection) {
    connection.next_availability = Now() + Ms(kAvailabilityMs);
    StatusRecord status;
    const uint32_t open = OpenTransfers();
    status.free_slots = static_cast<uint8_t>(open >= m_config.max_transfers ? 0 : m_config.max_transfers - open);
    status.incoming = static_cast<uint8_t>(std::min<uint32_t>(open, 255));
    const uint32_t count = std::min<uint32_t>(static_cast<uint32_t>(m_data.size()), kMaxMapPieces);
    const uint32_t bytes = (count + 7) / 8;
    CTransferPacket map = BuildAvailabilityPacket(status, count ? m_first_held : 0, nullptr, bytes);
    uint8_t* bits = AvailabilityBits(map);
    if (!bits && bytes) return;
    // Every data piece from the first held on is held; header pieces are never marked.
    if (bytes) {
        std::memset(bits, 0xFF, count / 8);
        if (count % 8) bits[count / 8] = static_cast<uint8_t>(0xFF << (8 - count % 8));
    }
    connection.Send(map.Data(), map.Length());
}

void StreamSource::AnswerDatagram(const uint8_t* data, uint32_t length, const NetSockAddr& from) {
    HelloView hello(data, length);
    if (!hello.IsValid() || !SameGuid(hello.ChannelGuid(), m_config.channel_guid)) return;
    const std::vector<uint8_t> list = PeerList(hello.Tick(), nullptr);
    m_udp->SendTo(list.data(), static_cast<uint32_t>(list.size()), from);
}

}  // namespace sim
