#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <vector>

#include "fake_timed_network.h"
#include "packets/hello_packet.h"
#include "packets/peer_list_packet.h"
#include "packets/wire_bytes.h"
#include "peers/hello_answer_limiter.h"
#include "peers/peer_exchange.h"
#include "session/peer_entry.h"
#include "test_channel_session.h"

namespace {

using namespace test_session;
using fake_net::Datagram;

// 128 ms before the 32-bit wrap: round trips and rate windows cross it.
constexpr uint32_t kStartTick = 0xFFFFFF80;
constexpr uint8_t kOtherPeerId[16] = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7,
                                      0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF};
constexpr uint8_t kOtherChannel[16] = {0x20};
constexpr uint32_t kPublicIPv4 = 0x0102A8C0;  // 192.168.2.1

PeerAddress Peer(uint32_t n) {
    return PeerAddress{IPv4(10, 2, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)),
                       static_cast<uint16_t>(8000 + n), static_cast<uint16_t>(9000 + n)};
}

std::vector<uint8_t> Bytes(const PeerPacket& p) {
    return {p.bytes, p.bytes + p.length};
}

struct HelloFrom {
    PeerAddress stated = Peer(1);
    const uint8_t* sender_id = kOtherPeerId;
    const uint8_t* channel = kChannelGuid;
    uint32_t tick = 0x12345678;
};

std::vector<uint8_t> Hello(const HelloFrom& h) {
    PeerPacket p;
    BuildHelloPacket(p, h.channel, h.sender_id, h.stated, 5, h.tick);
    return Bytes(p);
}

std::vector<uint8_t> PeerList(uint32_t echoed_tick, uint32_t others, const uint8_t* sender_id = kOtherPeerId) {
    std::vector<PeerRecord> records;
    for (uint32_t i = 0; i < others; ++i) records.push_back(PeerRecord{Peer(100 + i)});
    PeerPacket p;
    BuildPeerListPacket(p, kChannelGuid, sender_id, echoed_tick, PeerRecord{Peer(1)}, records.data(), others);
    return Bytes(p);
}

NetSockAddr UdpOf(const PeerAddress& a) {
    return UdpSocketAddress(a);
}

// Marks peer table entry k as a live transfer with peer `address`.
void SetLivePeer(uint8_t* table, uint32_t k, const PeerAddress& address) {
    uint8_t* entry = table + kPeerEntrySize * k;
    entry[kPeerEntryState] = 2;
    entry[kPeerEntrySource] = 0;
    WriteIPv4(entry + kPeerEntryStatedIPv4, address.ipv4);
    WriteU16(entry + kPeerEntryTcpPort, address.tcp_port);
    WriteU16(entry + kPeerEntryUdpPort, address.udp_port);
    WriteIPv4(entry + kPeerEntryConnectionIPv4, address.ipv4);
}

class PeerExchangeTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake_net::Install(kStartTick);
        blocks = std::make_unique<SessionBlocks>();
        session = std::make_unique<TestChannelSession>(*blocks);
        ASSERT_TRUE(session->opened);
        WriteIPv4(session->Stats() + stats_block::kPublicIPv4, kPublicIPv4);
        exchange = session->StartExchange();
    }
    void TearDown() override {
        session.reset();
        blocks.reset();
        EXPECT_TRUE(fake_core::LiveTimers().empty()) << "timers left behind";
        fake_net::Uninstall();
    }

    std::vector<Datagram> Answers() const { return fake_net::SentOfType(kPacketPeerList); }
    std::vector<Datagram> Hellos() const { return fake_net::SentOfType(kPacketHello); }
    // Hands the session a datagram from `from` (its UDP port) and tells what it answered.
    std::vector<Datagram> Deliver(const std::vector<uint8_t>& bytes, const PeerAddress& from) {
        fake_net::ClearSent();
        session->DeliverUdp(bytes, UdpOf(from));
        return Answers();
    }

    std::unique_ptr<SessionBlocks> blocks;
    std::unique_ptr<TestChannelSession> session;
    CPeerExchange* exchange = nullptr;
};

TEST_F(PeerExchangeTest, TickGreetsTakenCandidatesFiftyAtATime) {
    for (uint32_t i = 0; i < 60; ++i) session->candidates_to_take.push_back(Peer(i + 1));
    fake_net::Advance(CPeerExchange::kTickMs - 1);
    EXPECT_TRUE(Hellos().empty());

    fake_net::Advance(1);
    const auto first = Hellos();
    ASSERT_EQ(first.size(), 50u);
    for (uint32_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].ToIPv4(), Peer(i + 1).ipv4);
        EXPECT_EQ(first[i].ToPort(), Peer(i + 1).udp_port);
        EXPECT_EQ(first[i].socket, kUdpSocket);
    }
    HelloView hello(first[0].bytes.data(), static_cast<uint32_t>(first[0].bytes.size()));
    ASSERT_TRUE(hello.IsValid());
    EXPECT_EQ(hello.Address(), (PeerAddress{kOwnIPv4, kOwnTcp, kOwnUdp}));
    EXPECT_EQ(hello.FreeSlots(), 20);
    EXPECT_EQ(hello.Tick(), fake_net::Now());
    EXPECT_TRUE(SameGuid(hello.ChannelGuid(), kChannelGuid));
    EXPECT_TRUE(SameGuid(hello.SenderId(), kOwnPeerId));

    fake_net::ClearSent();
    fake_net::Advance(CPeerExchange::kTickMs);
    ASSERT_EQ(Hellos().size(), 10u);
    EXPECT_EQ(Hellos()[9].ToIPv4(), Peer(60).ipv4);

    fake_net::ClearSent();
    fake_net::Advance(CPeerExchange::kTickMs);
    EXPECT_TRUE(Hellos().empty());
}

TEST_F(PeerExchangeTest, HelloAnnouncesNoFreeSlotsWhenTheCountWentBelowZero) {
    session->Stats()[stats_block::kFreeSlots] = 0xFF;
    session->candidates_to_take.push_back(Peer(1));
    fake_net::Advance(CPeerExchange::kTickMs);
    ASSERT_EQ(Hellos().size(), 1u);
    EXPECT_EQ(HelloView(Hellos()[0].bytes.data(), kHelloLength).FreeSlots(), 0);
}

TEST_F(PeerExchangeTest, HelloIsAnsweredAndItsStatedAddressAdded) {
    struct Case {
        const char* name;
        HelloFrom hello;
        PeerAddress source;
        int truncate_by;
        bool answered;
        bool added;
    };
    const PeerAddress stated = Peer(1);
    PeerAddress elsewhere = stated;
    elsewhere.ipv4 = IPv4(10, 9, 9, 9);
    const Case cases[] = {
        {"stated address is the source", HelloFrom{}, stated, 0, true, true},
        {"source differs from stated address", HelloFrom{}, elsewhere, 0, true, false},
        {"own peer id", HelloFrom{stated, kOwnPeerId}, stated, 0, false, false},
        {"other channel", HelloFrom{stated, kOtherPeerId, kOtherChannel}, stated, 0, false, false},
        {"56 bytes", HelloFrom{}, stated, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session->candidates_added.clear();
        fake_net::Advance(CHelloAnswerLimiter::kWindowMs);  // each case in its own rate window
        std::vector<uint8_t> hello = Hello(c.hello);
        hello.resize(hello.size() - c.truncate_by);
        const auto answers = Deliver(hello, c.source);

        EXPECT_EQ(session->candidates_added, c.added ? std::vector<PeerAddress>{stated} : std::vector<PeerAddress>{});
        ASSERT_EQ(answers.size(), c.answered ? 1u : 0u);
        if (!c.answered) continue;
        // To the source as received, echoing the tick, with only the own record.
        EXPECT_EQ(answers[0].ToIPv4(), c.source.ipv4);
        EXPECT_EQ(answers[0].ToPort(), c.source.udp_port);
        ASSERT_EQ(answers[0].bytes.size(), 65u);
        PeerListView list(answers[0].bytes.data(), 65);
        ASSERT_TRUE(list.IsValid());
        EXPECT_EQ(list.EchoedTick(), c.hello.tick);
        EXPECT_EQ(list.RecordCount(), 1);
        EXPECT_EQ(list.RecordAt(0).address, (PeerAddress{kPublicIPv4, kOwnTcp, kOwnUdp}));
        EXPECT_TRUE(SameGuid(list.SenderId(), kOwnPeerId));
    }
}

TEST_F(PeerExchangeTest, PeerListReportsAnsweringPeerWithRoundTripTime) {
    fake_net::Advance(200);  // the clock has wrapped; the echoed ticks lie before the wrap
    struct Case {
        const char* name;
        uint32_t age_ms;
        uint32_t others;
        std::vector<Report> reports;
    };
    const Case cases[] = {
        {"250 ms, across the clock wrap, with two more peers", 250, 2,
         {{Peer(1), 250}, {Peer(100), 0}, {Peer(101), 0}}},
        {"count byte 1", 100, 0, {{Peer(1), 100}}},
        // 0 would mean "not measured" to the pool.
        {"same millisecond", 0, 0, {{Peer(1), 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        session->peers_reported.clear();
        const uint32_t echoed = fake_net::Now() - c.age_ms;
        Deliver(PeerList(echoed, c.others), Peer(1));
        EXPECT_EQ(session->peers_reported, c.reports);
    }
}

TEST_F(PeerExchangeTest, UnusablePeerListsAreDropped) {
    std::vector<uint8_t> count_zero = PeerList(fake_net::Now(), 0);
    count_zero[kPeerListCountOffset] = 0;
    std::vector<uint8_t> short_by_one = PeerList(fake_net::Now(), 2);
    short_by_one.pop_back();
    std::vector<uint8_t> other_channel = PeerList(fake_net::Now(), 1);
    std::memcpy(&other_channel[kChannelGuidOffset], kOtherChannel, 16);
    const std::vector<uint8_t> cases[] = {count_zero, short_by_one, other_channel,
                                          PeerList(fake_net::Now(), 1, kOwnPeerId)};
    for (const auto& list : cases) Deliver(list, Peer(1));
    EXPECT_TRUE(session->peers_reported.empty());
}

TEST_F(PeerExchangeTest, HelloAnswersAreRateLimitedPerSourceAndInTotal) {
    const PeerAddress asker = Peer(1);
    int answered = 0;
    for (int i = 0; i < 3; ++i) answered += static_cast<int>(Deliver(Hello(HelloFrom{}), asker).size());
    EXPECT_EQ(answered, 2);
    fake_net::Advance(CHelloAnswerLimiter::kWindowMs);
    EXPECT_EQ(Deliver(Hello(HelloFrom{}), asker).size(), 1u);

    fake_net::Advance(CHelloAnswerLimiter::kWindowMs);
    session->candidates_added.clear();
    answered = 0;
    for (uint32_t i = 0; i < 60; ++i) {
        HelloFrom h;
        h.stated = Peer(200 + i);
        answered += static_cast<int>(Deliver(Hello(h), h.stated).size());
    }
    EXPECT_EQ(answered, 50);
    // Only the answers are limited: every stated address was still learnt.
    EXPECT_EQ(session->candidates_added.size(), 60u);
}

TEST(HelloAnswerLimiterTest, WindowsRunAcrossTheClockWrap) {
    CHelloAnswerLimiter limiter(2, 3, 1000);
    const uint32_t t0 = 0xFFFFFE00;
    EXPECT_TRUE(limiter.Admit(1, t0));
    EXPECT_TRUE(limiter.Admit(1, t0 + 10));
    EXPECT_FALSE(limiter.Admit(1, t0 + 999));  // per source, 0x1E7 past the wrap
    EXPECT_TRUE(limiter.Admit(2, t0 + 999));
    EXPECT_FALSE(limiter.Admit(3, t0 + 999));  // in total
    EXPECT_TRUE(limiter.Admit(1, t0 + 1000));
    EXPECT_TRUE(limiter.Admit(3, t0 + 1000));
    // Sources of windows that are over are forgotten: the table stays bounded.
    for (uint32_t s = 0; s < 1000; ++s) limiter.Admit(100 + s, t0 + 1000 * (s + 2));
    EXPECT_LE(limiter.TrackedSources(), 6u);
}

TEST_F(PeerExchangeTest, AnswerListsLivePeersButNeverTheAsker) {
    const PeerAddress asker = Peer(1);
    uint8_t* table = session->PeerTable();
    SetLivePeer(table, 0, Peer(300));
    SetLivePeer(table, 5, asker);
    SetLivePeer(table, 9, Peer(301));
    SetLivePeer(table, 12, Peer(302));
    table[kPeerEntrySize * 12 + kPeerEntrySource] = 1;  // a source is not listed

    const auto answers = Deliver(Hello(HelloFrom{}), asker);
    ASSERT_EQ(answers.size(), 1u);
    PeerListView list(answers[0].bytes.data(), static_cast<uint32_t>(answers[0].bytes.size()));
    ASSERT_TRUE(list.IsValid());
    ASSERT_EQ(list.RecordCount(), 3);
    EXPECT_EQ(list.RecordAt(1).address, Peer(300));
    EXPECT_EQ(list.RecordAt(2).address, Peer(301));
}

TEST_F(PeerExchangeTest, FullPeerTableIsListedAt254PerAnswerInTurn) {
    const PeerAddress asker = Peer(1);
    uint8_t* table = session->PeerTable();
    for (uint32_t k = 0; k < kPeerTableEntries; ++k) SetLivePeer(table, k, Peer(1000 + k));

    std::set<uint64_t> listed;
    for (int round = 0; round < 2; ++round) {
        fake_net::Advance(CHelloAnswerLimiter::kWindowMs);
        const auto answers = Deliver(Hello(HelloFrom{}), asker);
        ASSERT_EQ(answers.size(), 1u);
        ASSERT_EQ(answers[0].bytes.size(), kPeerListMinimum + 16u * 255);
        PeerListView list(answers[0].bytes.data(), static_cast<uint32_t>(answers[0].bytes.size()));
        ASSERT_TRUE(list.IsValid());
        ASSERT_EQ(list.RecordCount(), 255);  // the own record and 254 others: the byte never wraps
        for (uint32_t i = 1; i < 255; ++i) listed.insert(PeerKey(list.RecordAt(i).address));
    }
    // Two answers in turn name every live peer.
    EXPECT_EQ(listed.size(), kPeerTableEntries);
}

}  // namespace
