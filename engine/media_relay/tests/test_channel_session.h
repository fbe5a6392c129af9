// A channel session for tests of its parts: a real CChannelSession opened from a small
// CreateParamBlock on the fake engine of fake_timed_network.h, which records what its parts ask
// of it and serves candidates from a queue the test fills. The link manager and peer exchange
// under test are attached as the session's own parts, so datagrams handed to the session reach
// them through its receive path.
#pragma once

#include <cstring>
#include <deque>
#include <memory>
#include <vector>

#include "fake_timed_network.h"
#include "links/link_entry.h"
#include "links/link_manager.h"
#include "message_ids.h"
#include "packets/packet_fields.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address.h"
#include "peers/peer_exchange.h"
#include "session/channel_session.h"
#include "session/relay_param_block.h"
#include "session/stats_block.h"
#include "session/sys_info_fields.h"

namespace test_session {

constexpr uint8_t kChannelGuid[16] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17,
                                      0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F};
constexpr uint8_t kOwnPeerId[16] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                                    0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF};
constexpr uint32_t kOwnIPv4 = 0x0500007F;  // 127.0.0.5
constexpr uint16_t kOwnTcp = 7000;
constexpr uint16_t kOwnUdp = 7001;
constexpr int kUdpSocket = 42;
constexpr uint32_t kTypeOneWord = 0x01020304;

inline uint32_t IPv4(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
    const uint8_t bytes[4] = {a, b, c, d};
    return ReadIPv4(bytes);
}

// The CreateParamBlock and SysInfoBlock a session is opened from; they outlive it.
struct SessionBlocks {
    explicit SessionBlocks(const std::vector<LinkEntry>& links = {}) : block(relay_param::kFullLength), sys_info(sys_info_fields::kSize) {
        WriteU32(&block[relay_param::kTotalLength], relay_param::kFullLength);
        std::memcpy(&block[relay_param::kComponentGuid], kChannelGuid, 16);
        WriteU32(&block[relay_param::kUdpSocket], kUdpSocket);
        WriteU32(&block[relay_param::kSysInfoBlock], static_cast<uint32_t>(reinterpret_cast<uintptr_t>(sys_info.data())));
        WriteU32(&block[relay_param::kCreateNetRequest],
                 static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&fake_net::CreateNetRequest)));
        WriteU32(&block[relay_param::kTypeOneWord], kTypeOneWord);
        WriteU16(&block[relay_param::kLinkCount], static_cast<uint16_t>(links.size()));
        for (size_t i = 0; i < links.size(); ++i)
            WriteLinkEntry(&block[relay_param::kLinkEntries + relay_param::kLinkEntrySize * i], links[i]);

        WriteU16(&sys_info[sys_info_fields::kTcpPort], kOwnTcp);
        WriteU16(&sys_info[sys_info_fields::kUdpPort], kOwnUdp);
        WriteU16(&sys_info[sys_info_fields::kTransferLimit], 20);
        std::memcpy(&sys_info[sys_info_fields::kInstanceGuid], kOwnPeerId, 16);
        WriteIPv4(&sys_info[sys_info_fields::kFirstAddress], kOwnIPv4);
    }
    std::vector<uint8_t> block;
    std::vector<uint8_t> sys_info;
};

struct LinkState {
    LinkEntry entry;
    bool up;
};

struct Report {
    PeerAddress address;
    uint32_t round_trip_ms;
    bool operator==(const Report&) const = default;
};

class TestChannelSession : public CChannelSession {
public:
    explicit TestChannelSession(SessionBlocks& setup) : CChannelSession(setup.block.data()) { opened = Open(); }

    bool opened = false;
    std::vector<PeerAddress> candidates_added;
    std::vector<Report> peers_reported;
    std::vector<LinkState> link_states;
    std::deque<PeerAddress> candidates_to_take;  // what TakeCandidate hands out, in order

    // The parts under test, as the session's own.
    CLinkManager* StartLinks() {
        m_link_manager = std::make_unique<CLinkManager>(this);
        m_link_manager->SetLinks(LinkCount(), LinkEntries());
        return m_link_manager.get();
    }
    void StopLinks() {
        m_link_manager.reset();
    }
    CLinkManager* Links() const { return m_link_manager.get(); }
    CPeerExchange* StartExchange() {
        m_peer_exchange = std::make_unique<CPeerExchange>(this);
        m_peer_exchange->Start(true);
        return m_peer_exchange.get();
    }

    bool AddCandidate(const PeerAddress& address) override {
        candidates_added.push_back(address);
        return true;
    }
    bool ReportPeer(const PeerAddress& address, uint32_t round_trip_ms) override {
        peers_reported.push_back({address, round_trip_ms});
        return true;
    }
    bool TakeCandidate(PeerAddress* address) override {
        if (candidates_to_take.empty()) return false;
        *address = candidates_to_take.front();
        candidates_to_take.pop_front();
        return true;
    }
    void OnLinkState(const uint8_t* link_entry, bool up) override {
        link_states.push_back({ReadLinkEntry(link_entry), up});
        CChannelSession::OnLinkState(link_entry, up);
    }
    void BroadcastToLinks() override {
        if (m_link_manager) m_link_manager->Broadcast();
    }
    void OnLinksUp() override {
        BroadcastToLinks();
        CChannelSession::OnLinksUp();
    }

    uint8_t* Stats() { return StatsBlock(); }
    uint16_t SessionState() { return ReadU16(Stats() + stats_block::kState); }
    uint32_t PublicAddress() { return ReadIPv4(Stats() + stats_block::kPublicIPv4); }
    SourceRange PublishedSourceRange() {
        return {ReadU32(Stats() + stats_block::kSourceLow), ReadU32(Stats() + stats_block::kSourceHigh)};
    }

    // A datagram from the UDP socket, as the framework delivers it.
    void DeliverUdp(const std::vector<uint8_t>& bytes, const NetSockAddr& from) {
        FrameworkMessage msg{AsTarget(), 0, MSG_NET_DATAGRAM, Word(bytes.data()), static_cast<uint32_t>(bytes.size()),
                             Word(&from), 0, 0};
        OnMessage(&msg);
    }
    // The reply of a CreateNetRequest: a core block holding the data and then the sender.
    void DeliverRequestReply(const std::vector<uint8_t>& bytes, const NetSockAddr& from) {
        auto* block = static_cast<uint8_t*>(CoreAlloc(static_cast<uint32_t>(bytes.size() + sizeof(NetSockAddr))));
        std::memcpy(block, bytes.data(), bytes.size());
        std::memcpy(block + bytes.size(), &from, sizeof(NetSockAddr));
        FrameworkMessage msg{AsTarget(), 0, MSG_NET_DATAGRAM, Word(block), static_cast<uint32_t>(bytes.size()),
                             Word(block + bytes.size()), 1, 0};
        OnMessage(&msg);
    }
    void DeliverRequestFailure(uint32_t code) {
        FrameworkMessage msg{AsTarget(), 0, MSG_NET_FAILED, code, 0, 0, 0, 0};
        OnMessage(&msg);
    }

private:
    static uint32_t Word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }
};

}  // namespace test_session
