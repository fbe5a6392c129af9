// The statistics block and its peer entries as other processes read them. The offsets below are
// written out as numbers, independently of the layout header, so a changed constant breaks the
// build here; the views are then checked to write where those numbers say.
#include <gtest/gtest.h>

#include <vector>

#include "engine_tick.h"
#include "packets/wire_bytes.h"
#include "session/peer_entry.h"
#include "session/stats_block.h"
#include "transfer/rate_meter.h"

using namespace stats_block;

// The block.
static_assert(kSize == 41048);
static_assert(kComponentType == 132 && kChannelGuid == 136 && kText1 == 222 && kText2 == 286 && kTextSize == 64);
static_assert(kStreamPort == 356 && kSessionKind == 358);
static_assert(kSourceLow == 360 && kSourceHigh == 364 && kSourceTick == 368);
static_assert(kOwnPeerRecord == 628 && kOwnPeerId == 628 && kOwnIPv4 == 652 && kOwnTcpPort == 656 &&
              kOwnUdpPort == 658 && kPublicIPv4 == 660);
static_assert(kOwnStatus == 664 && kSendRateK == 666 && kFreeSlots == 668 && kOutgoing == 669 && kIncoming == 670 &&
              kLossPercent == 671);
static_assert(kFirstHeld == 672 && kLastHeld == 676 && kRateMeter == 680 && kState == 780);
static_assert(kBufferFirst == 788 && kBufferLast == 792 && kCursor == 796 && kLastSentPiece == 800 &&
              kJumpPiece == 804 && kPlayedPieces == 808 && kWindowLength == 812 && kWindowCount == 816 &&
              kReadyMs == 820);
static_assert(kCandidateCount == 824 && kMeasuredCount == 826 && kInUseCount == 828 && kPendingConnects == 830);
static_assert(kLiveTransfers == 1092 && kPeerTable == 1096);
static_assert(kTargetPiece == 41032 && kZeroWord == 41040 && kWindowPiece == 41044);
static_assert(kStateConstructed == 1 && kStateLinked == 2 && kMaxFreeSlots == 127);

// The peer table and one entry.
static_assert(kPeerEntrySize == 156 && kPeerTableEntries == 256 && kPeerTableSize == 39936);
static_assert(kPeerEntryPeerId == 0 && kPeerEntryWordA == 16 && kPeerEntryWordB == 20);
static_assert(kPeerEntryStatedIPv4 == 24 && kPeerEntryTcpPort == 28 && kPeerEntryUdpPort == 30 &&
              kPeerEntryConnectionIPv4 == 32);
static_assert(kPeerEntryStatus == 36 && kPeerEntryFreeSlots == 40 && kPeerEntryMapFirst == 44 &&
              kPeerEntryMapEnd == 48 && kPeerEntryRateMeter == 52);
static_assert(kPeerEntryOutstanding == 108 && kPeerEntryWindow == 112 && kPeerEntryLost == 116 &&
              kPeerEntryRequests == 120 && kPeerEntryRequestSlots == 8);
static_assert(kPeerEntryState == 152 && kPeerEntryIncoming == 153 && kPeerEntrySource == 154);
static_assert(static_cast<uint8_t>(PeerEntryState::Free) == 0 && static_cast<uint8_t>(PeerEntryState::Greeting) == 1 &&
              static_cast<uint8_t>(PeerEntryState::Established) == 2);

// The rate meter inside both.
static_assert(kRateMeterSize == 56 && kRateMeterSlots == 5);
static_assert(kRateMeterTotalSent == 0 && kRateMeterSlotsSent == 4 && kRateMeterTotalReceived == 24 &&
              kRateMeterSlotsReceived == 28 && kRateMeterSlotIndex == 48 && kRateMeterStartTick == 52);

namespace {

uint32_t FixedTick() { return 0x01020304; }

class StatsBlockLayout : public ::testing::Test {
protected:
    void SetUp() override { SetEngineTickSource(&FixedTick); }
    void TearDown() override { SetEngineTickSource(nullptr); }
    uint32_t U32(uint32_t at) const { return ReadU32(block.data() + at); }
    uint16_t U16(uint32_t at) const { return ReadU16(block.data() + at); }
    std::vector<uint8_t> block = std::vector<uint8_t>(kSize, 0);
    StatsBlockView view{block.data()};
};

TEST_F(StatsBlockLayout, TheBlockViewWritesTheCountersWhereOtherProcessesReadThem) {
    view.SetState(kStateLinked);
    view.SetSourceRange(1000, 2000, 77);
    view.SetPublicIPv4(0x0100007F);
    view.SetLiveTransfers(3);
    view.SetFreeSlots(61);
    view.SetTransferCount(false, 2);
    view.SetTransferCount(true, 1);
    view.SetPendingConnects(13);
    view.SetSendRateK(42);
    view.Meter().AddSent(500);
    view.Meter().AddReceived(700);
    view.Entry(255).SetState(PeerEntryState::Established);

    EXPECT_EQ(U16(780), 2);
    EXPECT_EQ(U32(360), 1000u);
    EXPECT_EQ(U32(364), 2000u);
    EXPECT_EQ(U32(368), 77u);
    EXPECT_EQ(U32(660), 0x0100007Fu);
    EXPECT_EQ(U16(1092), 3);
    EXPECT_EQ(block[668], 61);
    EXPECT_EQ(block[669], 2);  // outgoing
    EXPECT_EQ(block[670], 1);  // incoming
    EXPECT_EQ(U32(830), 13u);
    EXPECT_EQ(U16(666), 42);
    EXPECT_EQ(U32(680), 500u);       // sent, total
    EXPECT_EQ(U32(680 + 24), 700u);  // received, total
    EXPECT_EQ(block[1096 + 156 * 255 + 152], 2);
    EXPECT_EQ(view.PeerTable(), block.data() + 1096);
}

TEST_F(StatsBlockLayout, TheBlockViewReadsWhatOtherWritersLeft) {
    WriteU32(block.data() + 652, 0x0A00000A);
    WriteU16(block.data() + 656, 8000);
    WriteU16(block.data() + 658, 8001);
    block[671] = 9;
    WriteU32(block.data() + 820, 4500);
    const StatsBlockView reader = StatsBlockView::ReadOnly(block.data());
    EXPECT_EQ(reader.OwnIPv4(), 0x0A00000Au);
    EXPECT_EQ(reader.OwnTcpPort(), 8000);
    EXPECT_EQ(reader.OwnUdpPort(), 8001);
    EXPECT_EQ(reader.LossPercent(), 9);
    EXPECT_EQ(reader.ReadyMs(), 4500u);
}

TEST(StatsBlockWithout, ABlocklessViewWritesNothingAndReadsZero) {
    StatsBlockView none(nullptr);
    none.Put32(kCursor, 5);
    none.Increment32(kPlayedPieces);
    none.SetSourceRange(1, 2, 3);
    EXPECT_FALSE(none.IsPresent());
    EXPECT_EQ(none.Get32(kCursor), 0u);
    EXPECT_EQ(none.SourceHigh(), 0u);
    EXPECT_EQ(none.PeerTable(), nullptr);
}

TEST_F(StatsBlockLayout, ThePeerEntryViewWritesEachFieldAtItsOffset) {
    uint8_t* bytes = block.data() + 1096 + 156 * 7;
    PeerEntry entry = view.Entry(7);
    ASSERT_EQ(entry.Bytes(), bytes);
    const uint8_t id[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const uint8_t status[8] = {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8};
    entry.SetPeerId(id);
    entry.SetStatedAddress(PeerAddress{0x0200007F, 7000, 7001});
    entry.SetConnectionIPv4(0x0300007F);
    entry.SetStatus(status);
    entry.SetFreeSlots(5);  // inside the status record, as the hello states it
    entry.SetMap(300, 340);
    entry.SetOutstanding(2);
    entry.SetWindow(11);
    entry.CountLost();
    entry.CountLost();
    entry.SetRequestAt(0, 301);
    entry.SetRequestAt(7, 308);
    entry.SetState(PeerEntryState::Greeting);
    entry.SetIncoming(true);
    entry.SetSource(true);
    entry.Meter().AddSent(10);
    entry.Meter().AddReceived(20);

    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[15], 16);
    EXPECT_EQ(ReadU32(bytes + 16), 0u);  // the record words stay the peer's
    EXPECT_EQ(ReadU32(bytes + 24), 0x0200007Fu);
    EXPECT_EQ(ReadU16(bytes + 28), 7000);
    EXPECT_EQ(ReadU16(bytes + 30), 7001);
    EXPECT_EQ(ReadU32(bytes + 32), 0x0300007Fu);
    EXPECT_EQ(bytes[36], 0xA1);
    EXPECT_EQ(bytes[40], 5);
    EXPECT_EQ(bytes[43], 0xA8);
    EXPECT_EQ(ReadU32(bytes + 44), 300u);
    EXPECT_EQ(ReadU32(bytes + 48), 340u);
    EXPECT_EQ(ReadU32(bytes + 52), 10u);       // sent, total
    EXPECT_EQ(ReadU32(bytes + 52 + 24), 20u);  // received, total
    EXPECT_EQ(ReadU32(bytes + 108), 2u);
    EXPECT_EQ(ReadU32(bytes + 112), 11u);
    EXPECT_EQ(ReadU32(bytes + 116), 2u);
    EXPECT_EQ(ReadU32(bytes + 120), 301u);
    EXPECT_EQ(ReadU32(bytes + 120 + 4 * 7), 308u);
    EXPECT_EQ(bytes[152], 1);
    EXPECT_EQ(bytes[153], 1);
    EXPECT_EQ(bytes[154], 1);
    // Nothing of the neighbours was touched.
    EXPECT_EQ(bytes[-1], 0);
    EXPECT_EQ(bytes[156], 0);

    const PeerEntry reader = PeerEntry::ReadOnly(bytes);
    EXPECT_EQ(reader.State(), PeerEntryState::Greeting);
    EXPECT_EQ(reader.StatedAddress(), (PeerAddress{0x0200007F, 7000, 7001}));
    EXPECT_EQ(reader.Lost(), 2u);
    EXPECT_EQ(reader.RequestAt(7), 308u);
    EXPECT_TRUE(reader.IsIncoming() && reader.IsSource());
    EXPECT_FALSE(reader.IsFree() || reader.IsEstablished());
}

TEST(PeerEntryState, AStateByteWithoutANameIsNeitherFreeNorEstablished) {
    std::vector<uint8_t> bytes(kPeerEntrySize, 0);
    bytes[152] = 7;  // another process may write anything there
    const PeerEntry entry = PeerEntry::ReadOnly(bytes.data());
    EXPECT_FALSE(entry.IsFree());
    EXPECT_FALSE(entry.IsEstablished());
}

}  // namespace
