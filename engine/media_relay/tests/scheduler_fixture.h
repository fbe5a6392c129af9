// A channel session for the piece scheduler and peer transfer tests: a real CChannelSession
// (statistics block, stream buffer) opened on fake_transfer_net.h, that owns a piece scheduler,
// serves addresses from a queue and records what the scheduler and its transfers ask of it.
// Peers are made by handing the scheduler connections whose first frame is the peer's hello.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <set>
#include <vector>

#include "fake_transfer_net.h"
#include "io/tcp_socket.h"
#include "message_ids.h"
#include "packets/hello_packet.h"
#include "packets/peer_list_packet.h"
#include "packets/transfer_packets.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address_set.h"
#include "piece_builder.h"
#include "pieces/stream_buffer.h"
#include "session/channel_session.h"
#include "session/peer_entry.h"
#include "session/stats_block.h"
#include "session/sys_info_fields.h"
#include "test_channel_session.h"
#include "transfer/peer_transfer.h"
#include "transfer/piece_scheduler.h"

namespace scheduler_test {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kConnectionLimitOffset = 36;

struct Notice {
    uint32_t message, wparam, lparam;
    bool operator==(const Notice&) const = default;
};

class SchedulingSession : public CChannelSession {
public:
    explicit SchedulingSession(test_session::SessionBlocks& blocks) : CChannelSession(blocks.block.data()) {
        opened = Open();
        m_scheduler = std::make_unique<CPieceScheduler>(this);
    }
    ~SchedulingSession() override { StopTransfers(); }
    CPieceScheduler* Scheduler() const { return m_scheduler.get(); }

    bool opened = false;
    std::deque<PeerAddress> next_peers;
    bool need_more_peers = false;
    int link_broadcasts = 0;
    int expiries = 0;
    std::vector<std::pair<PeerAddress, uint32_t>> transfer_reports;
    std::vector<test_session::Report> peers_reported;
    uint32_t peer_records_added = 0;
    std::vector<Notice> notices;
    std::set<uint32_t> preferred_ipv4;
    PeerAddressSet sources, hosts;

    bool NextPeer(PeerAddress* address, uint32_t* value) override {
        if (next_peers.empty()) return false;
        *address = next_peers.front();
        *value = 0;
        next_peers.pop_front();
        return true;
    }
    bool NeedMorePeers() override { return need_more_peers; }
    void BroadcastToLinks() override { ++link_broadcasts; }
    void ExpirePeers() override { ++expiries; }
    bool ReportTransfer(const PeerAddress& address, uint32_t value) override {
        transfer_reports.emplace_back(address, value);
        return true;
    }
    bool ReportPeer(const PeerAddress& address, uint32_t round_trip_ms) override {
        peers_reported.push_back({address, round_trip_ms});
        return true;
    }
    void AddPeerRecords(uint32_t count, const uint8_t*) override { peer_records_added += count; }
    void Notify(uint32_t message, uint32_t wparam, uint32_t lparam) override {
        notices.push_back({message, wparam, lparam});
    }
    PeerAddressSet* SourcePeerSet() override { return &sources; }
    const PeerAddressSet* SourcePeerSet() const override { return &sources; }
    PeerAddressSet* HostPeerSet() override { return &hosts; }
    const PeerAddressSet* HostPeerSet() const override { return &hosts; }
    bool IsPreferredSource(const PeerAddress& address) override { return preferred_ipv4.count(address.ipv4) != 0; }
    // What the stream buffer asks of the transfers goes through the scheduler.
    bool IsLiveTransfer(CPeerTransfer* transfer) override { return m_scheduler->HasTransfer(transfer); }
    void RequestPiece(CPeerTransfer* transfer, uint32_t piece, uint32_t timeout_ms) override {
        if (m_scheduler->HasTransfer(transfer)) transfer->RequestPiece(piece, timeout_ms);
    }
};

inline uint32_t PeerIPv4(uint32_t k) {
    return test_session::IPv4(127, 0, 1, static_cast<uint8_t>(k));
}

// The hello peer `k` opens its connection with.
inline Bytes PeerHello(uint32_t k, const uint8_t* channel = test_session::kChannelGuid, uint32_t tick = 0) {
    uint8_t id[16] = {0x50};
    id[1] = static_cast<uint8_t>(k);
    id[2] = static_cast<uint8_t>(k >> 8);
    PeerPacket hello;
    PeerAddress address{PeerIPv4(k), static_cast<uint16_t>(9000 + k), static_cast<uint16_t>(9500 + k)};
    BuildHelloPacket(hello, channel, id, address, 10, tick);
    return Bytes(hello.bytes, hello.bytes + hello.length);
}

// 'D' with the pieces from `first` that `held` says (one flag per piece).
inline Bytes Availability(uint32_t first, const std::vector<bool>& held) {
    const uint32_t bytes = static_cast<uint32_t>((held.size() + 7) / 8);
    CTransferPacket packet = BuildAvailabilityPacket(StatusRecord{}, first, nullptr, bytes);
    uint8_t* bits = AvailabilityBits(packet);
    for (uint32_t i = 0; i < held.size(); ++i)
        if (held[i]) MarkAvailable(bits, bytes, i);
    return Bytes(packet.Data(), packet.Data() + packet.Length());
}
inline Bytes AvailabilityRun(uint32_t first, uint32_t count) {
    return Availability(first, std::vector<bool>(count, true));
}

inline Bytes Control(uint16_t kind, const Bytes& data) {
    CTransferPacket packet = BuildControlPacket(kind, data.data(), static_cast<uint16_t>(data.size()));
    return Bytes(packet.Data(), packet.Data() + packet.Length());
}
inline Bytes Unavailable(uint32_t piece) {
    Bytes data(4);
    WriteU32(data.data(), piece);
    return Control(kControlPieceUnavailable, data);
}
inline Bytes PieceRequest(const std::vector<uint32_t>& pieces) {
    CTransferPacket packet = BuildPieceRequestPacket(pieces.data(), static_cast<uint32_t>(pieces.size()));
    return Bytes(packet.Data(), packet.Data() + packet.Length());
}

class SchedulerTest : public ::testing::Test {
protected:
    static constexpr uint32_t kStart = 0xFFFF0000;  // the tick counter wraps during each test

    void SetUp() override { Open(kStart); }
    void TearDown() override {
        session.reset();
        fake_transfer::Uninstall();
    }

    void Open(uint32_t start, uint16_t transfer_limit = 64) {
        session.reset();  // a test may reopen with other limits
        fake_transfer::Install(start);
        blocks = std::make_unique<test_session::SessionBlocks>();
        SetTransferLimit(transfer_limit);
        WriteU16(&blocks->sys_info[kConnectionLimitOffset], 50);
        session = std::make_unique<SchedulingSession>(*blocks);
        ASSERT_TRUE(session->opened);
    }
    void SetTransferLimit(uint16_t limit) { WriteU16(&blocks->sys_info[sys_info_fields::kTransferLimit], limit); }

    CPieceScheduler& Scheduler() { return *session->Scheduler(); }
    CStreamBuffer& Buffer() { return *session->GetStreamBuffer(); }
    uint8_t* Stats() { return session->StatsBlock(); }
    void SetSourceRange(uint32_t low, uint32_t high) {
        WriteU32(Stats() + stats_block::kSourceLow, low);
        WriteU32(Stats() + stats_block::kSourceHigh, high);
    }

    // An incoming transfer from peer `k`, established by its hello; returns its socket.
    int AcceptPeer(uint32_t k, bool preferred = false) {
        if (preferred) session->preferred_ipv4.insert(PeerIPv4(k));
        const int socket = fake_transfer::AcceptedSocket(PeerIPv4(k), static_cast<uint16_t>(40000 + k));
        Bytes hello = PeerHello(k);
        EXPECT_TRUE(Scheduler().AcceptTransfer(socket, hello.data(), static_cast<uint32_t>(hello.size())));
        return socket;
    }
    // The transfer on `socket`.
    CPeerTransfer* TransferOn(int socket) {
        return static_cast<CPeerTransfer*>(static_cast<CTcpSocket*>(fake_transfer::Get().sockets[socket].handler)->Sink());
    }
    void Send(int socket, const Bytes& frame) { fake_transfer::Frame(socket, frame); }

    // Hands the scheduler every MSG_TRANSFER_ENDED posted so far.
    void DeliverEnds() {
        auto ends = fake_transfer::PostedOf(MSG_TRANSFER_ENDED);
        std::erase_if(fake_core::Get().posted, [](const fake_transfer::Posted& p) { return p.id == MSG_TRANSFER_ENDED; });
        for (const auto& p : ends) {
            FrameworkMessage msg{p.target, p.sender, p.id, p.p1, p.p2, 0, 0, 0};
            Scheduler().OnMessage(&msg);
        }
    }
    size_t EndsPosted() { return fake_transfer::PostedOf(MSG_TRANSFER_ENDED).size(); }

    std::unique_ptr<test_session::SessionBlocks> blocks;
    std::unique_ptr<SchedulingSession> session;
};

}  // namespace scheduler_test
