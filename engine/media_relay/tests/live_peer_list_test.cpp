// The live peers of the statistics block's peer table, and the reset of one entry.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine_tick.h"
#include "peers/live_peer_list.h"
#include "session/peer_entry.h"
#include "transfer/rate_meter.h"

namespace {

uint32_t TestClock() {
    return 0x01020304;
}

struct EntryFields {
    uint8_t in_use = 2;
    uint8_t source = 0;
    uint32_t stated_ipv4 = 0x0100007F;
    uint16_t tcp = 8080;
    uint16_t udp = 8081;
    uint32_t far_ipv4 = 0x0200007F;
};

class PeerTable : public ::testing::Test {
protected:
    PeerTable() : table(kPeerTableSize, 0) {}

    void Fill(uint32_t index, const EntryFields& f) {
        uint8_t* e = table.data() + kPeerEntrySize * index;
        e[kPeerEntryState] = f.in_use;
        e[kPeerEntrySource] = f.source;
        std::memcpy(e + kPeerEntryStatedIPv4, &f.stated_ipv4, 4);
        std::memcpy(e + kPeerEntryTcpPort, &f.tcp, 2);
        std::memcpy(e + kPeerEntryUdpPort, &f.udp, 2);
        std::memcpy(e + kPeerEntryConnectionIPv4, &f.far_ipv4, 4);
        const uint32_t a = 0xA0000000 + index, b = 0xB0000000 + index;
        std::memcpy(e + kPeerEntryWordA, &a, 4);
        std::memcpy(e + kPeerEntryWordB, &b, 4);
    }

    std::vector<uint8_t> table;
};

}  // namespace

TEST_F(PeerTable, ListsOnlyLiveEntries) {
    struct Case {
        const char* what;
        EntryFields fields;
        bool listed;
    };
    EntryFields unused, source, no_ipv4, no_tcp, no_udp, greeting;
    unused.in_use = 0;
    source.source = 1;
    no_ipv4.stated_ipv4 = 0;
    no_tcp.tcp = 0;
    no_udp.udp = 0;  // a port word written as one u32 leaves the UDP half 0
    greeting.in_use = 1;
    const Case cases[] = {
        {"established", EntryFields{}, true}, {"greeting", greeting, true}, {"free", unused, false},
        {"a source", source, false},          {"no IPv4", no_ipv4, false},  {"no TCP port", no_tcp, false},
        {"no UDP port", no_udp, false},
    };
    for (const Case& c : cases) {
        std::fill(table.begin(), table.end(), 0);
        Fill(17, c.fields);
        EXPECT_EQ(ListLivePeers(table.data()).size(), c.listed ? 1u : 0u) << c.what;
    }
}

TEST_F(PeerTable, RecordsCarryTheFarEndAddressAndScanAllEntries) {
    Fill(0, EntryFields{});
    EntryFields last;
    last.far_ipv4 = 0x0900000A;
    last.tcp = 1;
    last.udp = 2;
    Fill(255, last);

    const std::vector<PeerRecord> records = ListLivePeers(table.data());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], (PeerRecord{{0x0200007F, 8080, 8081}, 0xA0000000, 0xB0000000}));
    EXPECT_EQ(records[1], (PeerRecord{{0x0900000A, 1, 2}, 0xA00000FF, 0xB00000FF})) << "the last entry counts too";
}

TEST_F(PeerTable, NeverWritesMoreThanTheCapacity) {
    for (uint32_t k = 0; k < kPeerTableEntries; ++k) Fill(k, EntryFields{});
    EXPECT_EQ(ListLivePeers(table.data()).size(), 256u);
    std::vector<PeerRecord> out(254);
    EXPECT_EQ(ListLivePeers(table.data(), out.data(), 254), 254u);
    EXPECT_EQ(ListLivePeers(table.data(), nullptr, 0), 0u);
}

TEST(PeerEntry, ResetClearsTheEntryAndStartsItsRateMeter) {
    SetEngineTickSource(&TestClock);
    std::vector<uint8_t> entries(2 * kPeerEntrySize, 0xEE);
    PeerEntry(entries.data()).Reset();
    std::vector<uint8_t> expected(kPeerEntrySize, 0);
    expected[kPeerEntryRateMeter + kRateMeterStartTick + 0] = 0x04;
    expected[kPeerEntryRateMeter + kRateMeterStartTick + 1] = 0x03;
    expected[kPeerEntryRateMeter + kRateMeterStartTick + 2] = 0x02;
    expected[kPeerEntryRateMeter + kRateMeterStartTick + 3] = 0x01;
    expected[155] = 0xEE;  // the byte after the source flag is not the reset's
    EXPECT_EQ(std::vector<uint8_t>(entries.begin(), entries.begin() + kPeerEntrySize), expected);
    EXPECT_EQ(entries[kPeerEntrySize], 0xEE) << "the next entry is untouched";
    SetEngineTickSource(nullptr);
}
