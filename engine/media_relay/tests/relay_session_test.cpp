// The relay session against the real engine core and network library: what it publishes in the
// statistics block, how it reads (and refuses to over-read) its creation block, host commands,
// the datagram receive path and the life of the named block.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine_tables.h"
#include "engine_tick.h"
#include "io/shared_memory.h"
#include "message_ids.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address.h"
#include "peers/peer_address_pool.h"
#include "peers/peer_address_set.h"
#include "platform.h"
#include "serving/stream_server.h"
#include "session/relay_session.h"
#include "session_blocks.h"
#include "test_binding.h"

using namespace session_test;

namespace {

uint32_t Word(const void* p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

// Reply framing: u16 1001, type, flag 0, the magic words, sequence, channel, then the range.
Bytes ReplyBytes(uint8_t type, const std::vector<uint8_t>& guid, uint32_t low, uint32_t high) {
    Bytes b = {0xE9, 0x03, type, 0x00, 0x98, 0xAB, 0x01, 0x02, 1, 0, 0, 0};
    b.insert(b.end(), guid.begin(), guid.end());
    b.resize(36, 0);
    WriteU32(&b[28], low);
    WriteU32(&b[32], high);
    return b;
}

Bytes JoinReply(const std::vector<uint8_t>& guid, uint32_t seen_ipv4) {
    Bytes b = ReplyBytes(1, guid, 500, 900);
    b.resize(54, 0);
    WriteU32(&b[36], seen_ipv4);
    WriteU16(&b[40], 30);
    return b;
}

Bytes PeerListReply(const std::vector<uint8_t>& guid, const std::vector<Bytes>& addresses) {
    Bytes b = ReplyBytes(2, guid, 600, 700);
    b.push_back(static_cast<uint8_t>(addresses.size()));
    for (const Bytes& a : addresses) {
        b.insert(b.end(), a.begin(), a.end());
        b.resize(b.size() + 8, 0);
    }
    return b;
}

NetSockAddr FromAddress(uint32_t ipv4, uint16_t port) {
    NetSockAddr a{};
    a.family = 2;
    a.port_be = static_cast<uint16_t>((port >> 8) | (port << 8));
    a.addr_be = ipv4;
    return a;
}

FrameworkMessage Datagram(const uint8_t* packet, uint32_t length, const NetSockAddr* from, uint32_t kind) {
    return {0, 0, MSG_NET_DATAGRAM, Word(packet), length, Word(from), kind, 0};
}

// Another process's view of the block: mapped by name, as the host program reads it.
struct BlockReader {
    CSharedMemory memory;
    const uint8_t* b = nullptr;
    explicit BlockReader(const std::string& name) { b = static_cast<const uint8_t*>(memory.Open(name.c_str())); }
    uint16_t U16(uint32_t at) const { return ReadU16(b + at); }
    uint32_t U32(uint32_t at) const { return ReadU32(b + at); }
    std::string Text(uint32_t at) const { return reinterpret_cast<const char*>(b + at); }
};

#if !defined(_WIN32)
std::vector<uint32_t> g_posted;
bool RecordPost(uint32_t window, uint32_t message, uint32_t wparam, uint32_t lparam) {
    g_posted.insert(g_posted.end(), {window, message, wparam, lparam});
    return true;
}
#endif

uint32_t g_fixed_tick = 0;
uint32_t FixedTick() { return g_fixed_tick; }

class RelaySessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test_binding::BindCore());
        ASSERT_TRUE(test_binding::BindNet());
    }

    void SetUp() override { params.sys_info = nullptr; }

    // Opens a session on `block_bytes` (kept alive by the fixture); null when refused.
    std::unique_ptr<CRelaySession> OpenSession(Bytes block_bytes) {
        sys_bytes = sys.Build();
        if (block_bytes.size() >= 164) WriteU32(&block_bytes[160], Word(sys_bytes.data()));
        blocks.push_back(std::make_unique<Bytes>(std::move(block_bytes)));
        auto session = std::make_unique<CRelaySession>(blocks.back()->data());
        if (!session->Open()) return nullptr;
        return session;
    }
    std::unique_ptr<CRelaySession> OpenSession() { return OpenSession(params.Build()); }

    SysInfo sys;
    Bytes sys_bytes;
    ParamBlock params;
    std::vector<std::unique_ptr<Bytes>> blocks;
};

TEST_F(RelaySessionTest, ConstructionPublishesChannelAndHostInTheNamedBlock) {
    params.text1 = std::string(70, 'x');  // only 63 characters are taken
    auto session = OpenSession();
    ASSERT_TRUE(session);

    const std::string name = StatsName(params.guid);
    EXPECT_EQ(name.size(), 49u);
    EXPECT_EQ(session->StatsBlockName(), name);
    BlockReader block(name);
    ASSERT_NE(block.b, nullptr);
    EXPECT_GE(block.memory.Size(), kStatsSize);

    EXPECT_EQ(block.U32(132), 1001u);
    EXPECT_EQ(0, std::memcmp(block.b + 136, params.guid.data(), 16));
    EXPECT_EQ(block.Text(222), std::string(63, 'x'));
    EXPECT_EQ(block.Text(286), "second text");
    EXPECT_EQ(0, std::memcmp(block.b + 628, sys.instance, 16));
    EXPECT_EQ(block.U32(652), kLoopback);
    EXPECT_EQ(block.U16(656), 3040);
    EXPECT_EQ(block.U16(658), 6171);
    EXPECT_EQ(block.U32(660), 0u) << "no link server has answered";
    EXPECT_EQ(block.U16(780), 1);
    EXPECT_EQ(session->TypeOneWord(), 0x11223344u);
    EXPECT_EQ(session->UdpSocket(), -1);

    ASSERT_TRUE(session->StreamServer());
    ASSERT_TRUE(session->StreamServer()->IsListening());
    EXPECT_NE(block.U16(356), 0);
    EXPECT_EQ(block.U16(356), session->StreamServer()->Port());
    EXPECT_EQ(session->PeerTable(), session->StatsBlock() + 1096);
}

TEST_F(RelaySessionTest, OwnPortsPreferTheAlternativesAndFreeSlotsAreCappedAt127) {
    struct Case {
        uint16_t alt_tcp, alt_udp, limit;
        uint16_t tcp, udp;
        uint8_t free_slots;
    };
    const Case cases[] = {
        {0, 0, 64, 3040, 6171, 64},
        {4000, 5000, 300, 4000, 5000, 127},
        {4000, 0, 127, 4000, 6171, 127},
        {0, 5000, 128, 3040, 5000, 127},
    };
    for (const Case& c : cases) {
        sys.alt_tcp = c.alt_tcp;
        sys.alt_udp = c.alt_udp;
        sys.transfer_limit = c.limit;
        params.guid = UniqueGuid();
        auto session = OpenSession();
        ASSERT_TRUE(session);
        const uint8_t* b = session->StatsBlock();
        EXPECT_EQ(ReadU16(b + 656), c.tcp) << c.alt_tcp;
        EXPECT_EQ(ReadU16(b + 658), c.udp) << c.alt_udp;
        EXPECT_EQ(b[668], c.free_slots) << c.limit;
    }
}

TEST_F(RelaySessionTest, LinkEntriesGetTheOwnValuesInPlace) {
    params.links = {{kLoopback, 7000, 0, 0xFFFFFFFF, 0, 0},
                    {kLoopback, 7001, 0, kOtherIPv4, 1234, 0},
                    {kLoopback, 7002, 1, 0, 0, 99}};
    auto session = OpenSession();
    ASSERT_TRUE(session);
    ASSERT_EQ(session->LinkCount(), 3u);
    const uint8_t* e = blocks.back()->data() + 812;
    EXPECT_EQ(session->LinkEntries(), e);
    struct Expect {
        uint32_t ipv4;
        uint16_t tcp, udp;
    };
    const Expect expected[] = {{kLoopback, 3040, 6171}, {kOtherIPv4, 1234, 6171}, {kLoopback, 3040, 99}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ReadU32(e + 16 * i + 8), expected[i].ipv4) << i;
        EXPECT_EQ(ReadU16(e + 16 * i + 12), expected[i].tcp) << i;
        EXPECT_EQ(ReadU16(e + 16 * i + 14), expected[i].udp) << i;
        EXPECT_EQ(ReadU16(e + 16 * i + 4), 7000 + i) << "the server fields stay";
    }
}

// Each block is handed over in a buffer of exactly its stated length, so any read or write
// past it is a heap overflow the sanitizer reports.
TEST_F(RelaySessionTest, HostileCountsAndShortBlocksAreClampedToTheBytesPresent) {
    struct Case {
        const char* what;
        uint32_t length;
        uint16_t link_count;
        uint32_t source_count;
        uint32_t links, sources;
        size_t text1_length;
    };
    const Case cases[] = {
        {"link count 200", 1584, 200, 0, 16, 0, 10},
        {"16 links, block ends after 5", 900, 16, 0, 5, 0, 10},
        {"link count field is the last thing", 812, 16, 0, 0, 0, 10},
        {"source count 1000", 1584, 2, 1000, 2, 64, 10},
        {"10 sources, 3 present", 1096, 2, 10, 2, 3, 10},
        {"text cut by the end of the block", 360, 0, 0, 0, 0, 6},
        {"the framework's minimum", 286, 5, 5, 0, 0, 0},
    };
    for (const Case& c : cases) {
        params.guid = UniqueGuid();
        params.text1 = "first text";
        Bytes full = params.Build();
        WriteU32(&full[0], c.length);
        WriteU16(&full[808], c.link_count);
        WriteU32(&full[1068], c.source_count);
        for (uint32_t i = 0; i < 16; ++i) WriteLinkEntry(&full[812 + 16 * i], LinkEntry{});
        auto session = OpenSession(Bytes(full.begin(), full.begin() + c.length));
        ASSERT_TRUE(session) << c.what;
        EXPECT_EQ(session->LinkCount(), c.links) << c.what;
        EXPECT_EQ(session->SourcePeerCount(), c.sources) << c.what;
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(session->StatsBlock() + 222)),
                  std::string("first text").substr(0, c.text1_length))
            << c.what;
        if (c.links) {
            EXPECT_EQ(ReadU16(session->LinkEntries() + 16 * (c.links - 1) + 12), 3040) << c.what;
        }
    }
}

TEST_F(RelaySessionTest, SourceRangeOfTwoZerosIsIgnoredAndOthersAreStampedWithTheTick) {
    auto session = OpenSession();
    ASSERT_TRUE(session);
    const uint8_t* b = session->StatsBlock();
    g_fixed_tick = 0xFFFFFFF0;  // the stamps cross the wrap of the clock
    SetEngineTickSource(&FixedTick);
    struct Case {
        uint32_t low, high;
        uint32_t want_low, want_high, want_tick;
    };
    const Case cases[] = {
        {7, 9, 7, 9, 0xFFFFFFF0},
        {0, 0, 7, 9, 0xFFFFFFF0},
        {0, 5, 0, 5, 0x00000010},
        {3, 0, 3, 0, 0x00000020},
    };
    for (const Case& c : cases) {
        session->SetSourceRange(c.low, c.high);
        EXPECT_EQ(ReadU32(b + 360), c.want_low);
        EXPECT_EQ(ReadU32(b + 364), c.want_high);
        EXPECT_EQ(ReadU32(b + 368), c.want_tick) << c.low << "," << c.high;
        g_fixed_tick += 0x10;
    }
    SetEngineTickSource(nullptr);

    session->SetPublicAddress(kOtherIPv4);
    EXPECT_EQ(ReadU32(b + 660), kOtherIPv4);
}

TEST_F(RelaySessionTest, HostPeerListIsReadOnlyWithinItsLength) {
    auto session = OpenSession();
    ASSERT_TRUE(session);
    const PeerAddressSet* hosts = session->HostPeerSet();
    ASSERT_TRUE(hosts);
    EXPECT_EQ(hosts, static_cast<const CRelaySession&>(*session).HostPeerSet()) << "both slots give one set";

    // Command block: channel GUID, u32 count at 16, addresses from 20 (own address first).
    auto command = [&](uint32_t count, uint32_t addresses, uint32_t length) {
        auto* data = static_cast<uint8_t*>(CoreAlloc(length));
        std::memcpy(data, params.guid.data(), std::min<uint32_t>(length, 16));
        if (length >= 20) WriteU32(data + 16, count);
        for (uint32_t i = 0; i < addresses && 20 + 8 * (i + 1) <= length; ++i) {
            const Bytes a = i == 0 ? PeerAddressBytes(kLoopback, 3040, 1) : PeerAddressBytes(kOtherIPv4, 100 + i, 1);
            std::memcpy(data + 20 + 8 * i, a.data(), 8);
        }
        FrameworkMessage msg{session->AsTarget(), 0, MSG_CMD_2010, Word(data), length, 0, 0, 0};
        EXPECT_EQ(session->OnMessage(&msg), 0);
    };
    struct Case {
        const char* what;
        uint32_t count, addresses, length;
        size_t hosts_after;
    };
    const Case cases[] = {
        {"16 bytes: no count at all", 0, 0, 16, 0},
        {"count 1000, three addresses present", 1000, 3, 20 + 3 * 8, 2},
        {"80 addresses: the first 64 taken, own one skipped", 80, 80, 20 + 80 * 8, 63},
        {"the same again: nothing new", 80, 80, 20 + 80 * 8, 63},
        {"second list counted past its end", 2, 2, 536, 63},
    };
    for (const Case& c : cases) {
        command(c.count, c.addresses, c.length);
        EXPECT_EQ(hosts->Size(), c.hosts_after) << c.what;
    }
    FrameworkMessage no_data{session->AsTarget(), 0, MSG_CMD_2010, 0, 0, 0, 0, 0};
    EXPECT_EQ(session->OnMessage(&no_data), 0);
    EXPECT_FALSE(hosts->Contains(ReadPeerAddress(PeerAddressBytes(kLoopback, 3040, 1).data())));

    // The other host commands only give their block back.
    for (uint32_t id : {MSG_CMD_2001, MSG_CMD_2002, MSG_CMD_2011, MSG_CMD_2012}) {
        FrameworkMessage msg{session->AsTarget(), 0, id, Word(CoreAlloc(16)), 16, 0, 0, 0};
        EXPECT_EQ(session->OnMessage(&msg), 0);
        FrameworkMessage empty{session->AsTarget(), 0, id, 0, 0, 0, 0, 0};
        EXPECT_EQ(session->OnMessage(&empty), 0);
    }
}

TEST_F(RelaySessionTest, ReceiveDropsShortOrUnmarkedDatagramsAndPassesEveryType) {
    params.links = {{kLoopback, 7000}};
    auto session = OpenSession();
    ASSERT_TRUE(session);
    const NetSockAddr server = FromAddress(kLoopback, 7000);
    const Bytes marked = ReplyBytes(1, params.guid, 1, 2);

    struct Case {
        const char* what;
        Bytes packet;
        bool passed;
    };
    std::vector<Case> cases = {
        {"27 bytes", Bytes(marked.begin(), marked.begin() + 27), false},
        {"empty", Bytes(), false},
    };
    Bytes bad = Bytes(marked.begin(), marked.begin() + 28);
    bad[4] = 0x99;
    cases.push_back({"first magic word wrong", bad, false});
    bad = Bytes(marked.begin(), marked.begin() + 28);
    bad[7] = 0x03;
    cases.push_back({"second magic word wrong", bad, false});
    // Every type, cut to the 28 bytes that pass the session's own test and to lengths below the
    // join reply's and around the other minimums, as requests and as replies.
    for (uint8_t type : {0, 1, 2, 3, 4, 5, 65, 66, 67, 255}) {
        for (uint32_t length : {28u, 36u, 43u, 44u, 53u}) {
            for (uint8_t flag : {0, 1}) {
                Bytes p = marked;
                p.resize(length, 0xFF);
                p[2] = type;
                p[3] = flag;
                cases.push_back({"marked packet", p, true});
            }
        }
    }
    for (const Case& c : cases) {
        Bytes exact = c.packet;  // exactly its length, so over-reads are reported
        FrameworkMessage msg = Datagram(exact.data(), static_cast<uint32_t>(exact.size()), &server, 0);
        EXPECT_EQ(session->Receive(msg), c.passed) << c.what << " type " << int(c.packet.size() > 2 ? c.packet[2] : 0)
                                                   << " length " << c.packet.size();
    }
    // Request replies arrive in core blocks, which the session gives back.
    for (const Case& c : cases) {
        auto* data = static_cast<uint8_t*>(CoreAlloc(static_cast<uint32_t>(c.packet.size())));
        if (!c.packet.empty()) std::memcpy(data, c.packet.data(), c.packet.size());
        FrameworkMessage msg = Datagram(data, static_cast<uint32_t>(c.packet.size()), &server, 1);
        EXPECT_EQ(session->OnMessage(&msg), 0);
    }

    EXPECT_EQ(ReadU16(session->StatsBlock() + 780), 1) << "no join reply arrived";
    EXPECT_EQ(session->Pool()->CandidateCount(), 0u) << "no peer list arrived";
}

TEST_F(RelaySessionTest, JoinReplyFromTheLinkServerBringsTheSessionUp) {
    params.links = {{kLoopback, 7000}};
    auto session = OpenSession();
    ASSERT_TRUE(session);
    const uint8_t* b = session->StatsBlock();

    Bytes reply = JoinReply(params.guid, kOtherIPv4);
    const NetSockAddr stranger = FromAddress(kLoopback, 7001);
    EXPECT_TRUE(session->Receive(Datagram(reply.data(), 54, &stranger, 0)));
    EXPECT_EQ(ReadU16(b + 780), 1) << "a reply from another port is not the link's";

    const NetSockAddr server = FromAddress(kLoopback, 7000);
    EXPECT_TRUE(session->Receive(Datagram(reply.data(), 54, &server, 0)));
    EXPECT_EQ(ReadU16(b + 780), 2);
    EXPECT_EQ(ReadU32(b + 660), kOtherIPv4);
    EXPECT_EQ(ReadU32(b + 360), 500u);
    EXPECT_EQ(ReadU32(b + 364), 900u);

    // Peer lists from the server become candidates in the pool; the pool publishes its counts
    // when peers are measured or expired.
    Bytes list = PeerListReply(params.guid, {PeerAddressBytes(kOtherIPv4, 4000, 4001),
                                             PeerAddressBytes(kOtherIPv4, 4002, 4003)});
    EXPECT_TRUE(session->Receive(Datagram(list.data(), static_cast<uint32_t>(list.size()), &server, 0)));
    EXPECT_EQ(session->Pool()->CandidateCount(), 2u);
    EXPECT_EQ(ReadU32(b + 360), 600u);
    session->ExpirePeers();
    EXPECT_EQ(ReadU16(b + 824), 2);
}

#if !defined(_WIN32)
// Natively the posts go to a recording hook instead of a window.
TEST_F(RelaySessionTest, NotifyPostsOnlyWhenAWindowIsSet) {
    platform::SetPostWindowMessageHook(&RecordPost);
    g_posted.clear();
    auto quiet = OpenSession();
    ASSERT_TRUE(quiet);
    quiet->Notify(3025, 1, 2);
    EXPECT_TRUE(g_posted.empty());

    // The window is written by another party at any time after construction.
    WriteU32(quiet->SysInfo() + 28, 0x1234);
    quiet->Notify(3027, kOtherIPv4, 77);
    EXPECT_EQ(g_posted, (std::vector<uint32_t>{0x1234, 3027, kOtherIPv4, 77}));
    platform::SetPostWindowMessageHook(nullptr);
}
#endif

TEST_F(RelaySessionTest, StatisticsBlockHeldByAnotherIsNeitherSharedNorWiped) {
    auto first = OpenSession();
    ASSERT_TRUE(first);
    WriteU32(first->StatsBlock() + 41044, 0xC0FFEE);

    // A second session of the same channel.
    ParamBlock same = params;
    EXPECT_FALSE(OpenSession(same.Build()));
    EXPECT_EQ(ReadU32(first->StatsBlock() + 41044), 0xC0FFEEu) << "the first block is untouched";
    EXPECT_EQ(ReadU16(first->StatsBlock() + 780), 1);

    // A smaller block that someone made under the name of another channel.
    params.guid = UniqueGuid();
    CSharedMemory small;
    ASSERT_EQ(small.Create(StatsName(params.guid).c_str(), 4096), 0);
    small.Bytes()[100] = 0x77;
    EXPECT_FALSE(OpenSession());
    EXPECT_EQ(small.Bytes()[100], 0x77);
}

TEST_F(RelaySessionTest, DestructionFreesTheBlockNameForTheNextSession) {
    auto first = OpenSession();
    ASSERT_TRUE(first);
    const std::string name = StatsName(params.guid);
    first.reset();
    CSharedMemory probe;
    EXPECT_EQ(probe.Open(name.c_str()), nullptr);
    auto again = OpenSession();
    ASSERT_TRUE(again);
    EXPECT_EQ(ReadU16(again->StatsBlock() + 780), 1);
}

TEST_F(RelaySessionTest, BaseSessionHasNoPoolButKeepsTheStateAndTheTable) {
    blocks.push_back(std::make_unique<Bytes>(params.Build()));
    sys_bytes = sys.Build();
    WriteU32(blocks.back()->data() + 160, Word(sys_bytes.data()));
    CChannelSession base(blocks.back()->data());
    ASSERT_TRUE(base.Open());
    PeerAddress address;
    uint32_t value = 0;
    EXPECT_FALSE(base.TakeCandidate(&address));
    EXPECT_FALSE(base.NextPeer(&address, &value));
    EXPECT_FALSE(base.NeedMorePeers());
    EXPECT_EQ(base.SourcePeerSet(), nullptr);
    EXPECT_EQ(base.HostPeerSet(), nullptr);
    EXPECT_EQ(base.GetScheduler(), nullptr);
    EXPECT_FALSE(base.IsPreferredSource(address));
    base.OnLinkState(blocks.back()->data() + 812, false);
    EXPECT_EQ(ReadU16(base.StatsBlock() + 780), 1);
    base.OnLinkState(blocks.back()->data() + 812, true);
    EXPECT_EQ(ReadU16(base.StatsBlock() + 780), 2);
}

}  // namespace
