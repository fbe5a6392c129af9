// Golden bytes of every peer packet the module builds, and of the link-server replies.
#include <gtest/gtest.h>

#include <string>

#include "packet_test_bytes.h"
#include "packets/announce_packet.h"
#include "packets/hello_packet.h"
#include "packets/join_packet.h"
#include "packets/leave_packet.h"
#include "packets/link_replies.h"
#include "packets/link_status_packet.h"
#include "packets/packet_sequence.h"
#include "packets/peer_list_packet.h"

using namespace packet_test;

namespace {

Bytes Built(const PeerPacket& p) {
    return Bytes(p.bytes, p.bytes + p.length);
}

// Status record {0, rate 0x0102, 5 free, 2 out, 3 in, 7 % loss} and pieces 1000001 to 1000016.
const StatusRecord kStatus{0, 0x0102, 5, 2, 3, 7};
const PieceRange kRange{1000001, 1000016};
const Bytes kStatusAndRangeBytes = {0x00, 0x00, 0x02, 0x01, 0x05, 0x02, 0x03, 0x07,
                                    0x41, 0x42, 0x0F, 0x00, 0x50, 0x42, 0x0F, 0x00};

const uint32_t kLoopback = 0x0100007F;  // 127.0.0.1 as stored
const PeerAddress kOwnAddress{kLoopback, 8080, 8081};
const PeerRecord kOwnRecord{kOwnAddress, 0, 0};
const Bytes kOwnRecordBytes = {0x7F, 0x00, 0x00, 0x01, 0x90, 0x1F, 0x91, 0x1F, 0, 0, 0, 0, 0, 0, 0, 0};
const SourceRange kSource{1000000, 1000192};

class PeerPacketBuilders : public ::testing::Test {
protected:
    void SetUp() override { ResetPacketSequence(); }
    PeerPacket packet;
};

}  // namespace

TEST_F(PeerPacketBuilders, JoinCarriesPortsWordAndAddresses) {
    const uint32_t one[] = {kLoopback};
    BuildJoinPacket(packet, kChannel, kSender, JoinFields{8080, 8081, 0x11223344, one, 1});
    const Bytes expected = {
        0xE9, 0x03, 0x01, 0x01, 0x98, 0xAB, 0x01, 0x02, 0x01, 0x00, 0x00, 0x00,              // header
        0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D,  // channel
        0x1E, 0x1F,
        0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D,  // sender
        0x2E, 0x2F,
        0x90, 0x1F, 0x91, 0x1F,                          // TCP 8080, UDP 8081
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // two zero words
        0x44, 0x33, 0x22, 0x11,                          // TypeOneWord
        0x01, 0x7F, 0x00, 0x00, 0x01};                   // one address: 127.0.0.1
    EXPECT_EQ(Built(packet), expected);
    EXPECT_EQ(packet.length, 65u);

    const uint32_t two[] = {kLoopback, 0x0200000A};
    BuildJoinPacket(packet, kChannel, kSender, JoinFields{8080, 8081, 0x11223344, two, 2});
    const Bytes expected_two = Concat({RequestHeaderBytes(1, 2),
                                       {0x90, 0x1F, 0x91, 0x1F, 0, 0, 0, 0, 0, 0, 0, 0, 0x44, 0x33, 0x22, 0x11,
                                        0x02, 0x7F, 0x00, 0x00, 0x01, 0x0A, 0x00, 0x00, 0x02}});
    EXPECT_EQ(Built(packet), expected_two);

    BuildJoinPacket(packet, kChannel, kSender, JoinFields{1, 2, 0, nullptr, 3});
    EXPECT_EQ(Built(packet), Concat({RequestHeaderBytes(1, 3),
                                     {0x01, 0x00, 0x02, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x00}}))
        << "no address array means none listed, whatever the count says";
}

TEST_F(PeerPacketBuilders, AnnounceAndItsPerLinkCounts) {
    BuildAnnouncePacket(packet, kChannel, kSender, kStatus, kRange);
    EXPECT_EQ(Built(packet), Concat({RequestHeaderBytes(2, 1), kStatusAndRangeBytes, {0x00, 0x00, 0x32, 0x00}}));

    SetAnnounceCounts(packet, 255, 50);
    EXPECT_EQ(Built(packet), Concat({RequestHeaderBytes(2, 1), kStatusAndRangeBytes, {0xFF, 0x00, 0x32, 0x00}}))
        << "rewriting the counts keeps the sequence number and everything else";
}

TEST_F(PeerPacketBuilders, LinkStatus) {
    BuildLinkStatusPacket(packet, kChannel, kSender, kStatus, kRange);
    EXPECT_EQ(Built(packet), Concat({RequestHeaderBytes(3, 1), kStatusAndRangeBytes}));
    EXPECT_EQ(packet.length, 60u);
}

TEST_F(PeerPacketBuilders, LeaveWithEmptyAndWithCarriedTexts) {
    BuildLeavePacket(packet, kChannel, kSender);
    EXPECT_EQ(Built(packet), Concat({RequestHeaderBytes(4, 1), {0x00, 0x00}}));
    EXPECT_EQ(packet.length, 46u);

    BuildLeavePacket(packet, kChannel, kSender, "ab", "xyz");
    EXPECT_EQ(Built(packet), Concat({RequestHeaderBytes(4, 2), {0x02, 0x03, 'a', 'b', 'x', 'y', 'z'}}));

    const std::string long_text(300, 'q');
    BuildLeavePacket(packet, kChannel, kSender, long_text, "");
    EXPECT_EQ(packet.length, 46u + 255u);
    EXPECT_EQ(packet.bytes[44], 255);
    EXPECT_EQ(packet.bytes[45], 0);
}

TEST_F(PeerPacketBuilders, HelloStatesAddressSlotsAndTick) {
    BuildHelloPacket(packet, kChannel, kSender, kOwnAddress, 9, 0xAABBCCDD);
    EXPECT_EQ(Built(packet), Concat({RequestHeaderBytes('A', 1),
                                     {0x7F, 0x00, 0x00, 0x01, 0x90, 0x1F, 0x91, 0x1F, 0x09, 0xDD, 0xCC, 0xBB, 0xAA}}));
    EXPECT_EQ(packet.length, 57u);
}

TEST_F(PeerPacketBuilders, HelloSendsAWrappedSlotCountAsZero) {
    struct Case {
        uint8_t published;
        uint8_t sent;
    };
    for (const Case c : {Case{0, 0}, Case{127, 127}, Case{128, 0}, Case{255, 0}}) {
        BuildHelloPacket(packet, kChannel, kSender, kOwnAddress, c.published, 0);
        EXPECT_EQ(packet.bytes[52], c.sent) << "published " << int(c.published);
    }
}

TEST_F(PeerPacketBuilders, PeerListCountsTheOwnRecord) {
    BuildPeerListPacket(packet, kChannel, kSender, 0x01020304, kOwnRecord, nullptr, 0);
    EXPECT_EQ(Built(packet), Concat({RequestHeaderBytes('B', 1), {0x04, 0x03, 0x02, 0x01, 0x01}, kOwnRecordBytes}));
    EXPECT_EQ(packet.length, 65u);

    const PeerRecord other{{0x0200000A, 80, 81}, 0x04030201, 0x08070605};
    EXPECT_EQ(BuildPeerListPacket(packet, kChannel, kSender, 7, kOwnRecord, &other, 1), 1u);
    EXPECT_EQ(Built(packet),
              Concat({RequestHeaderBytes('B', 2), {0x07, 0x00, 0x00, 0x00, 0x02}, kOwnRecordBytes,
                      {0x0A, 0x00, 0x00, 0x02, 0x50, 0x00, 0x51, 0x00,    // 10.0.0.2, 80, 81
                       0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08}}));
    EXPECT_EQ(packet.length, 81u);
}

TEST_F(PeerPacketBuilders, PeerListKeepsItsCountByteFromOverflowing) {
    const std::vector<PeerRecord> many(300, PeerRecord{{0x0200000A, 80, 81}, 0, 0});
    for (const uint32_t n : {254u, 255u, 256u, 300u}) {
        EXPECT_EQ(BuildPeerListPacket(packet, kChannel, kSender, 0, kOwnRecord, many.data(), n), 254u);
        EXPECT_EQ(packet.bytes[48], 255) << n << " others";
        EXPECT_EQ(packet.length, 65u + 16u * 254u);
    }
}

TEST_F(PeerPacketBuilders, LinkRepliesCopyTheRequestPrefix) {
    const Bytes join_request = Concat({RequestHeaderBytes(1, 9), Bytes(17, 0)});
    BuildJoinReply(packet, join_request.data(), kSource, 0x6401A8C0, 30);
    EXPECT_EQ(Built(packet), Concat({ReplyHeaderBytes(1, 9), {0xC0, 0xA8, 0x01, 0x64, 0x1E, 0x00}, Bytes(12, 0)}));
    EXPECT_EQ(packet.length, 54u);

    const Bytes announce = Concat({RequestHeaderBytes(2, 10), Bytes(20, 0)});
    const PeerRecord listed{{0x0200000A, 80, 81}, 0, 0};
    EXPECT_EQ(BuildPeerListReply(packet, announce.data(), kSource, &listed, 1), 1u);
    EXPECT_EQ(Built(packet), Concat({ReplyHeaderBytes(2, 10),
                                     {0x01, 0x0A, 0x00, 0x00, 0x02, 0x50, 0x00, 0x51, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}}));

    const Bytes status = Concat({RequestHeaderBytes(3, 11), Bytes(16, 0)});
    BuildStatusReply(packet, status.data(), kSource);
    EXPECT_EQ(Built(packet), Concat({ReplyHeaderBytes(3, 11), {0x00}}));
    EXPECT_EQ(packet.length, 37u);

    const std::vector<PeerRecord> many(300, listed);
    EXPECT_EQ(BuildPeerListReply(packet, announce.data(), kSource, many.data(), 300), 255u);
    EXPECT_EQ(packet.bytes[36], 255);
    EXPECT_EQ(packet.length, 37u + 16u * 255u);
}

TEST_F(PeerPacketBuilders, OneSequenceRunsAcrossAllTypes) {
    const uint32_t one[] = {kLoopback};
    BuildJoinPacket(packet, kChannel, kSender, JoinFields{1, 2, 0, one, 1});
    EXPECT_EQ(packet.bytes[8], 1) << "the first packet after start carries 1";
    BuildHelloPacket(packet, kChannel, kSender, kOwnAddress, 0, 0);
    EXPECT_EQ(packet.bytes[8], 2);
    BuildPeerListPacket(packet, kChannel, kSender, 0, kOwnRecord, nullptr, 0);
    EXPECT_EQ(packet.bytes[8], 3);

    PeerPacket reply;
    BuildStatusReply(reply, packet.bytes, kSource);
    EXPECT_EQ(LastPacketSequence(), 3u) << "a reply copies its request's number and takes none";

    BuildAnnouncePacket(packet, kChannel, kSender, kStatus, kRange);
    BuildLinkStatusPacket(packet, kChannel, kSender, kStatus, kRange);
    BuildLeavePacket(packet, kChannel, kSender);
    EXPECT_EQ(packet.bytes[8], 6);
    EXPECT_EQ(LastPacketSequence(), 6u);
}

TEST(PacketSequence, IsWrittenLittleEndian) {
    ResetPacketSequence();
    for (int i = 0; i < 256; ++i) NextPacketSequence();
    PeerPacket packet;
    BuildLeavePacket(packet, kChannel, kSender);
    EXPECT_EQ(Bytes(packet.bytes + 8, packet.bytes + 12), (Bytes{0x01, 0x01, 0x00, 0x00}));  // 257
}
