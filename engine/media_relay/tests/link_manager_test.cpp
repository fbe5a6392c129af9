#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fake_timed_network.h"
#include "links/link_entry.h"
#include "links/link_manager.h"
#include "links/peer_link.h"
#include "packets/announce_packet.h"
#include "packets/join_packet.h"
#include "packets/leave_packet.h"
#include "packets/link_replies.h"
#include "packets/link_status_packet.h"
#include "packets/wire_bytes.h"
#include "test_channel_session.h"

namespace {

using namespace test_session;
using fake_net::Datagram;

// Starts just before the 32-bit wrap: the first reply time-out already crosses it.
constexpr uint32_t kStartTick = 0xFFFFF000;
constexpr SourceRange kSource{1000, 1200};
constexpr uint32_t kSeenIPv4 = 0x0A0B0C0D;

LinkEntry Server(uint8_t n, uint8_t kind = kLinkUdp, uint16_t port = 9000) {
    LinkEntry e;
    e.server_ipv4 = IPv4(127, 0, 0, static_cast<uint8_t>(10 + n));
    e.server_port = port;
    e.kind = kind;
    return e;
}

NetSockAddr From(const LinkEntry& server) {
    return ServerSocketAddress(server);
}

std::vector<uint8_t> Bytes(const PeerPacket& p) {
    return {p.bytes, p.bytes + p.length};
}

std::vector<uint8_t> JoinReply(const Datagram& join, uint16_t keep_alive_s, SourceRange source = kSource) {
    PeerPacket p;
    BuildJoinReply(p, join.bytes.data(), source, kSeenIPv4, keep_alive_s);
    return Bytes(p);
}

PeerRecord Record(uint32_t n) {
    PeerRecord r;
    r.address = PeerAddress{IPv4(10, 1, 0, static_cast<uint8_t>(n)), static_cast<uint16_t>(8000 + n),
                            static_cast<uint16_t>(9000 + n)};
    return r;
}

std::vector<uint8_t> PeerListReply(const std::vector<uint8_t>& request, uint32_t n) {
    std::vector<PeerRecord> records;
    for (uint32_t i = 1; i <= n; ++i) records.push_back(Record(i));
    PeerPacket p;
    BuildPeerListReply(p, request.data(), kSource, records.data(), n);
    return Bytes(p);
}

class LinkManagerTest : public ::testing::Test {
protected:
    void SetUp() override { fake_net::Install(kStartTick); }
    void TearDown() override {
        session.reset();
        blocks.reset();
        EXPECT_TRUE(fake_core::Get().blocks.empty()) << "core blocks left unfreed";
        EXPECT_EQ(fake_core::Get().bad_frees, 0);
        fake_net::Uninstall();
    }

    // A session over these link servers, with its link manager started.
    void Start(const std::vector<LinkEntry>& servers) {
        blocks = std::make_unique<SessionBlocks>(servers);
        session = std::make_unique<TestChannelSession>(*blocks);
        ASSERT_TRUE(session->opened);
        links = session->StartLinks();
    }

    std::vector<Datagram> Sent(uint8_t type) const { return fake_net::SentOfType(type); }
    std::vector<Datagram> SentTo(uint8_t type, const LinkEntry& server) const {
        std::vector<Datagram> out;
        for (const Datagram& d : Sent(type))
            if (d.ToIPv4() == server.server_ipv4 && d.ToPort() == server.server_port) out.push_back(d);
        return out;
    }
    // Answers the last join with a join reply from `server`.
    void AnswerJoin(const LinkEntry& server, uint16_t keep_alive_s = 30) {
        const auto joins = SentTo(kPacketJoin, server);
        ASSERT_FALSE(joins.empty());
        session->DeliverUdp(JoinReply(joins.back(), keep_alive_s), From(server));
    }

    std::unique_ptr<SessionBlocks> blocks;
    std::unique_ptr<TestChannelSession> session;
    CLinkManager* links = nullptr;
};

TEST_F(LinkManagerTest, JoinsFirstServerCarryingReportedAddressAndAnnouncesToAll) {
    const LinkEntry a = Server(1), b = Server(2);
    Start({a, b});

    const auto joins = Sent(kPacketJoin);
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_EQ(joins[0].ToIPv4(), a.server_ipv4);
    EXPECT_EQ(joins[0].ToPort(), a.server_port);
    EXPECT_EQ(joins[0].socket, kUdpSocket);
    JoinView join(joins[0].bytes.data(), static_cast<uint32_t>(joins[0].bytes.size()));
    ASSERT_TRUE(join.IsValid());
    // The entries' open report values are the own ones.
    EXPECT_EQ(join.TcpPort(), kOwnTcp);
    EXPECT_EQ(join.UdpPort(), kOwnUdp);
    EXPECT_EQ(join.TypeOneWord(), kTypeOneWord);
    ASSERT_EQ(join.AddressCount(), 1);
    EXPECT_EQ(join.AddressAt(0), kOwnIPv4);
    EXPECT_TRUE(SameGuid(join.ChannelGuid(), kChannelGuid));
    EXPECT_TRUE(SameGuid(join.SenderId(), kOwnPeerId));

    EXPECT_EQ(SentTo(kPacketAnnounce, a).size(), 1u);
    EXPECT_EQ(SentTo(kPacketAnnounce, b).size(), 1u);
    EXPECT_EQ(session->SessionState(), stats_block::kStateConstructed);
}

TEST_F(LinkManagerTest, JoinCarriesTheLinkEntrysReportValues) {
    struct Case {
        const char* name;
        uint32_t report_ipv4;
        uint16_t report_tcp, report_udp;
        uint32_t joined_ipv4;
        uint16_t joined_tcp, joined_udp;
    };
    const uint32_t mapped = IPv4(203, 0, 113, 7);
    const Case cases[] = {
        {"all own", 0, 0, 0, kOwnIPv4, kOwnTcp, kOwnUdp},
        {"no address", 0xFFFFFFFF, 0, 0, kOwnIPv4, kOwnTcp, kOwnUdp},
        {"mapped address and TCP port", mapped, 1234, 0, mapped, 1234, kOwnUdp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake_net::Install(kStartTick);
        LinkEntry a = Server(1);
        a.report_ipv4 = c.report_ipv4;
        a.report_tcp_port = c.report_tcp;
        a.report_udp_port = c.report_udp;
        Start({a});
        const auto joins = Sent(kPacketJoin);
        ASSERT_EQ(joins.size(), 1u);
        JoinView join(joins[0].bytes.data(), static_cast<uint32_t>(joins[0].bytes.size()));
        ASSERT_TRUE(join.IsValid());
        EXPECT_EQ(join.AddressAt(0), c.joined_ipv4);
        EXPECT_EQ(join.TcpPort(), c.joined_tcp);
        EXPECT_EQ(join.UdpPort(), c.joined_udp);
        session.reset();
    }
}

TEST_F(LinkManagerTest, SilentServerFailsOverAfterReplyTimeoutAndRoundRobinWraps) {
    const LinkEntry a = Server(1), b = Server(2);
    Start({a, b});
    fake_net::ClearSent();

    fake_net::Advance(CPeerLink::kReplyTimeoutMs - 1);
    EXPECT_TRUE(Sent(kPacketJoin).empty());
    EXPECT_EQ(links->CurrentIndex(), 0u);

    fake_net::Advance(1);  // crosses the 32-bit wrap of the clock
    ASSERT_EQ(Sent(kPacketJoin).size(), 1u);
    EXPECT_EQ(SentTo(kPacketJoin, b).size(), 1u);
    EXPECT_EQ(links->CurrentIndex(), 1u);
    EXPECT_FALSE(links->Wrapped());

    fake_net::Advance(CPeerLink::kReplyTimeoutMs);
    EXPECT_EQ(SentTo(kPacketJoin, a).size(), 1u);
    EXPECT_EQ(links->CurrentIndex(), 0u);
    EXPECT_TRUE(links->Wrapped());

    // The next answer from the current server clears the wrap.
    AnswerJoin(a);
    EXPECT_FALSE(links->Wrapped());
    EXPECT_TRUE(links->Current()->IsUp());
}

TEST_F(LinkManagerTest, SingleSilentServerIsJoinedAgainEveryTimeout) {
    const LinkEntry a = Server(1);
    Start({a});
    for (int round = 0; round < 3; ++round) fake_net::Advance(CPeerLink::kReplyTimeoutMs);
    EXPECT_EQ(SentTo(kPacketJoin, a).size(), 4u);
    EXPECT_TRUE(links->Wrapped());
}

TEST_F(LinkManagerTest, JoinReplyBringsLinkUpThroughSession) {
    const LinkEntry a = Server(1), b = Server(2);
    Start({a, b});
    const Datagram join = SentTo(kPacketJoin, a).back();
    fake_net::ClearSent();
    session->DeliverUdp(JoinReply(join, 30), From(a));

    EXPECT_EQ(session->PublicAddress(), kSeenIPv4);
    EXPECT_EQ(session->PublishedSourceRange(), kSource);
    EXPECT_EQ(session->SessionState(), stats_block::kStateLinked);
    ASSERT_EQ(session->link_states.size(), 1u);
    EXPECT_TRUE(session->link_states[0].up);
    EXPECT_EQ(session->link_states[0].entry.server_ipv4, a.server_ipv4);
    // Coming up announces to every link again.
    EXPECT_EQ(SentTo(kPacketAnnounce, a).size(), 1u);
    EXPECT_EQ(SentTo(kPacketAnnounce, b).size(), 1u);
    // An answered join has no time-out left: nothing moves on.
    fake_net::Advance(2 * CPeerLink::kReplyTimeoutMs);
    EXPECT_TRUE(Sent(kPacketJoin).empty());
    EXPECT_EQ(links->CurrentIndex(), 0u);
}

TEST_F(LinkManagerTest, StatusIntervalFollowsKeepAlive) {
    struct Case {
        uint16_t keep_alive_s;
        uint8_t kind;
        uint32_t interval_ms;
    };
    const Case cases[] = {
        {0, kLinkUdp, 40000},     {5, kLinkUdp, 40000},      {9, kLinkUdp, 40000},
        {10, kLinkUdp, 10000},    {30, kLinkUdp, 30000},     {65535, kLinkUdp, 65535000},
        {5, kLinkRequest, 80000}, {30, kLinkRequest, 60000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "keep-alive " << c.keep_alive_s << " s, kind " << int(c.kind));
        EXPECT_EQ(StatusIntervalMs(c.keep_alive_s, c.kind), c.interval_ms);
    }
}

TEST_F(LinkManagerTest, StatusGoesOutAtTheIntervalTheJoinReplyAsked) {
    struct Case {
        uint16_t keep_alive_s;
        uint32_t interval_ms;
    };
    for (const Case& c : {Case{30, 30000}, Case{5, 40000}}) {
        SCOPED_TRACE(c.keep_alive_s);
        fake_net::Install(kStartTick);
        const LinkEntry a = Server(1);
        Start({a});
        AnswerJoin(a, c.keep_alive_s);
        EXPECT_EQ(links->Current()->StatusInterval(), c.interval_ms);
        fake_net::ClearSent();
        fake_net::Advance(c.interval_ms - 1);
        EXPECT_TRUE(Sent(kPacketLinkStatus).empty());
        fake_net::Advance(1);
        ASSERT_EQ(SentTo(kPacketLinkStatus, a).size(), 1u);
        EXPECT_EQ(Sent(kPacketLinkStatus)[0].bytes.size(), kLinkStatusLength);
        session.reset();
    }
}

TEST_F(LinkManagerTest, RequestLinkHandlesJoinReplyWithDoubledInterval) {
    const LinkEntry t = Server(1, kLinkRequest);
    Start({t});
    // A request link never sends its own join; a join reply that comes its way still counts.
    PeerPacket request;
    BuildJoinPacket(request, kChannelGuid, kOwnPeerId, JoinFields{});
    Datagram join;
    join.bytes = Bytes(request);
    session->DeliverRequestReply(JoinReply(join, 5), From(t));
    EXPECT_TRUE(links->Current()->IsUp());
    EXPECT_EQ(links->Current()->StatusInterval(), 80000u);
}

TEST_F(LinkManagerTest, RepliesMatchKindAddressPortAndFlag) {
    const LinkEntry a = Server(1), b = Server(2);
    LinkEntry a_other_port = a;
    a_other_port.server_port = static_cast<uint16_t>(a.server_port + 1);
    LinkEntry a_other_ip = a;
    a_other_ip.server_ipv4 = IPv4(127, 0, 0, 99);
    enum Via { kUdp, kRequest };
    struct Case {
        const char* name;
        LinkEntry from;
        Via via;
        int truncate_by;
        bool bad_flag;
        bool handled;
        bool clears_wrap;
    };
    const Case cases[] = {
        {"current server", a, kUdp, 0, false, true, true},
        {"other port", a_other_port, kUdp, 0, false, false, false},
        {"other address", a_other_ip, kUdp, 0, false, false, false},
        {"other kind", a, kRequest, 0, false, false, false},
        {"non-current server", b, kUdp, 0, false, false, false},
        {"request flag", a, kUdp, 0, true, false, false},
        {"53 bytes", a, kUdp, 1, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake_net::Install(kStartTick);
        Start({a, b});
        // Two time-outs: the round wraps back to the first server.
        fake_net::Advance(2 * CPeerLink::kReplyTimeoutMs);
        ASSERT_TRUE(links->Wrapped());
        ASSERT_EQ(links->CurrentIndex(), 0u);

        std::vector<uint8_t> reply = JoinReply(SentTo(kPacketJoin, a).back(), 30);
        reply.resize(reply.size() - c.truncate_by);
        if (c.bad_flag) reply[kRequestFlagOffset] = kRequestFlag;
        if (c.via == kUdp)
            session->DeliverUdp(reply, From(c.from));
        else
            session->DeliverRequestReply(reply, From(c.from));

        EXPECT_EQ(links->Current()->IsUp(), c.handled);
        EXPECT_EQ(session->PublicAddress(), c.handled ? kSeenIPv4 : 0u);
        EXPECT_EQ(links->Wrapped(), !c.clears_wrap);
        session.reset();
    }
}

TEST_F(LinkManagerTest, PeerListReplyAddsCandidatesFromKnownServersOnly) {
    const LinkEntry a = Server(1), b = Server(2);
    const LinkEntry stranger = Server(7);
    struct Case {
        const char* name;
        LinkEntry from;
        uint32_t records;
        int truncate_by;
        size_t candidates;
        bool takes_range;
    };
    const Case cases[] = {
        {"n=1, 53 bytes", a, 1, 0, 1, true},
        {"n=1, 52 bytes", a, 1, 1, 0, false},
        {"n=0, 37 bytes", a, 0, 0, 0, true},
        {"n=3 from the other known server", b, 3, 0, 3, true},
        {"unknown server", stranger, 3, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake_net::Install(kStartTick);
        Start({a, b});
        std::vector<uint8_t> reply = PeerListReply(SentTo(kPacketAnnounce, a).back().bytes, c.records);
        if (c.truncate_by == 0 && c.records == 1) {
            ASSERT_EQ(reply.size(), 53u);
        }
        reply.resize(reply.size() - c.truncate_by);
        session->DeliverUdp(reply, From(c.from));

        ASSERT_EQ(session->candidates_added.size(), c.candidates);
        for (size_t i = 0; i < c.candidates; ++i)
            EXPECT_EQ(session->candidates_added[i], Record(static_cast<uint32_t>(i + 1)).address);
        EXPECT_EQ(session->PublishedSourceRange(), c.takes_range ? kSource : SourceRange{});
        session.reset();
    }
}

TEST_F(LinkManagerTest, AnnounceCarriesEachServersPeerListCount) {
    const LinkEntry a = Server(1), b = Server(2);
    Start({a, b});
    const auto request = SentTo(kPacketAnnounce, a).back().bytes;
    for (int i = 0; i < 3; ++i) session->DeliverUdp(PeerListReply(request, 1), From(a));
    fake_net::ClearSent();

    links->Broadcast();
    const auto to_a = SentTo(kPacketAnnounce, a), to_b = SentTo(kPacketAnnounce, b);
    ASSERT_EQ(to_a.size(), 1u);
    ASSERT_EQ(to_b.size(), 1u);
    AnnounceView announce_a(to_a[0].bytes.data(), kAnnounceLength), announce_b(to_b[0].bytes.data(), kAnnounceLength);
    ASSERT_TRUE(announce_a.IsValid());
    EXPECT_EQ(announce_a.RepliesReceived(), 3);
    EXPECT_EQ(announce_a.WantedRecords(), 50);
    EXPECT_EQ(announce_b.RepliesReceived(), 0);
    EXPECT_EQ(announce_b.WantedRecords(), 50);
}

TEST_F(LinkManagerTest, StatusIsNotSentWhileAReplyIsOutstanding) {
    const LinkEntry a = Server(1);
    Start({a});
    // 300 s keep-alive: the link's own status timer and the manager's 300000 ms period fall due
    // together; only the first of them may send.
    AnswerJoin(a, 300);
    fake_net::ClearSent();
    fake_net::Advance(CLinkManagerBase::kStatusPeriodMs);
    EXPECT_EQ(SentTo(kPacketLinkStatus, a).size(), 1u);
    EXPECT_TRUE(links->Current()->AwaitsReply());
}

TEST_F(LinkManagerTest, StatusReplyKeepsLinkUpAndSilenceMovesOn) {
    const LinkEntry a = Server(1), b = Server(2);
    Start({a, b});
    AnswerJoin(a, 30);
    fake_net::ClearSent();
    fake_net::Advance(30000);
    const auto status = SentTo(kPacketLinkStatus, a);
    ASSERT_EQ(status.size(), 1u);
    PeerPacket reply;
    BuildStatusReply(reply, status[0].bytes.data(), SourceRange{1100, 1300});
    session->DeliverUdp(Bytes(reply), From(a));
    EXPECT_EQ(session->PublishedSourceRange(), (SourceRange{1100, 1300}));

    fake_net::Advance(CPeerLink::kReplyTimeoutMs);
    EXPECT_TRUE(links->Current()->IsUp());
    EXPECT_EQ(links->CurrentIndex(), 0u);

    // The next status (30000 ms after the last) stays unanswered: 4000 ms later the link goes
    // down and the next server is joined.
    fake_net::Advance(30000);
    EXPECT_EQ(links->CurrentIndex(), 1u);
    EXPECT_FALSE(links->LinkAt(0)->IsUp());
    EXPECT_EQ(SentTo(kPacketJoin, b).size(), 1u);
    ASSERT_FALSE(session->link_states.empty());
    EXPECT_FALSE(session->link_states.back().up);
}

TEST_F(LinkManagerTest, ShutdownSendsLeaveOnlyForLinkThatIsUp) {
    const LinkEntry a = Server(1), b = Server(2);
    Start({a, b});
    AnswerJoin(a);
    fake_net::ClearSent();
    session->StopLinks();

    const auto leaves = Sent(kPacketLeave);
    ASSERT_EQ(leaves.size(), 1u);
    EXPECT_EQ(leaves[0].ToIPv4(), a.server_ipv4);
    EXPECT_EQ(leaves[0].bytes.size(), kLeaveMinimum);
    EXPECT_FALSE(session->link_states.back().up);
    EXPECT_TRUE(fake_core::LiveTimers().empty()) << "timers left behind";
}

TEST_F(LinkManagerTest, RequestLinkAnnouncesThroughRequestsAndFailsOverByTimeout) {
    const LinkEntry t = Server(1, kLinkRequest, 9100), u = Server(2);
    for (uint32_t code : {1000u, 3000u, 4000u, 5000u}) {
        SCOPED_TRACE(code);
        fake_net::Install(kStartTick);
        Start({t, u});
        // A current request link joins nobody itself; the announce goes to it as a request.
        EXPECT_TRUE(Sent(kPacketJoin).empty());
        auto& requests = fake_net::Get().requests;
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].owner, static_cast<void*>(static_cast<CMessageObject*>(session.get())));
        EXPECT_EQ(requests[0].ipv4, t.server_ipv4);
        EXPECT_EQ(requests[0].port, t.server_port);
        EXPECT_EQ(requests[0].timeout_ms, CPeerLink::kRequestTimeoutMs);
        EXPECT_EQ(requests[0].Type(), kPacketAnnounce);
        EXPECT_EQ(SentTo(kPacketAnnounce, u).size(), 1u);

        // Its reply arrives as a request reply and is handled (and its block freed).
        session->DeliverRequestReply(PeerListReply(requests[0].bytes, 2), From(t));
        EXPECT_EQ(session->candidates_added.size(), 2u);

        // A failed request changes nothing by itself; the reply time-out moves on.
        session->DeliverRequestFailure(code);
        EXPECT_EQ(links->CurrentIndex(), 0u);
        fake_net::Advance(CPeerLink::kReplyTimeoutMs);
        EXPECT_EQ(links->CurrentIndex(), 1u);
        EXPECT_EQ(SentTo(kPacketJoin, u).size(), 1u);
        session.reset();
        EXPECT_TRUE(fake_core::Get().blocks.empty());
    }
}

TEST_F(LinkManagerTest, RequestLinksGetAnnouncesOnlyOnceRoundWrapped) {
    const LinkEntry u = Server(1), t = Server(2, kLinkRequest);
    Start({u, t});
    EXPECT_TRUE(fake_net::Get().requests.empty());
    fake_net::Advance(2 * CPeerLink::kReplyTimeoutMs);
    ASSERT_TRUE(links->Wrapped());
    links->Broadcast();
    EXPECT_EQ(fake_net::Get().requests.size(), 1u);
}

TEST_F(LinkManagerTest, NoLinkEntriesSendNothing) {
    Start({});
    fake_net::Advance(CLinkManagerBase::kStatusPeriodMs * 2);
    links->Broadcast();
    EXPECT_TRUE(fake_net::Get().sent.empty());
    EXPECT_TRUE(fake_net::Get().requests.empty());
    EXPECT_EQ(session->SessionState(), stats_block::kStateConstructed);
}

}  // namespace
