// Layout of the channel's statistics block, "OS_SYS_META" followed by the channel GUID text:
// 41048 bytes in which the session and its parts publish the channel's state for other
// processes. Byte offsets from the start of the block; every value little-endian. The peer
// table's entries are laid out in peer_entry.h.
//
// `StatsBlockView` is the view the session, the scheduler, the transfers, the stream buffer and
// the stream server write through (and other programs read through). It may stand for no block
// at all: a stream buffer built without one (tests, tools) publishes nothing, and reads give 0.
#pragma once

#include <cstdint>

#include "packets/wire_bytes.h"
#include "session/peer_entry.h"
#include "transfer/rate_meter.h"

namespace stats_block {

constexpr uint32_t kSize = 41048;
constexpr char kNamePrefix[] = "OS_SYS_META";

constexpr uint32_t kComponentType = 132;  // u32 1001
constexpr uint32_t kChannelGuid = 136;    // 16 bytes
constexpr uint32_t kText1 = 222;          // char[64]
constexpr uint32_t kText2 = 286;          // char[64]
constexpr uint32_t kTextSize = 64;
constexpr uint32_t kStreamPort = 356;     // u16 port of the local stream server
constexpr uint32_t kSessionKind = 358;    // u16 kind of the player stream session: 1 paced, 2 key frame, 0 none
constexpr uint32_t kSourceLow = 360;      // u32 lowest piece the source offers
constexpr uint32_t kSourceHigh = 364;     // u32 highest piece the source offers
constexpr uint32_t kSourceTick = 368;     // u32 tick of the last update of the range

// This host's own peer record.
constexpr uint32_t kOwnPeerRecord = 628;
constexpr uint32_t kOwnPeerId = 628;      // 16 bytes: the engine instance GUID
constexpr uint32_t kOwnIPv4 = 652;        // u32, network order
constexpr uint32_t kOwnTcpPort = 656;     // u16
constexpr uint32_t kOwnUdpPort = 658;     // u16
constexpr uint32_t kPublicIPv4 = 660;     // u32 as a link server saw it
constexpr uint32_t kOwnStatus = 664;      // 8-byte own status record
constexpr uint32_t kSendRateK = 666;      // u16 send rate / 1000
constexpr uint32_t kFreeSlots = 668;      // u8 free transfer slots
constexpr uint32_t kOutgoing = 669;       // u8
constexpr uint32_t kIncoming = 670;       // u8
constexpr uint32_t kLossPercent = 671;    // u8, last byte of the status record
constexpr uint32_t kFirstHeld = 672;      // u32 first data piece held
constexpr uint32_t kLastHeld = 676;       // u32 last data piece held
constexpr uint32_t kRateMeter = 680;      // 56-byte rate meter: bytes sent and received
constexpr uint32_t kState = 780;          // u16 session state
constexpr uint32_t kBufferFirst = 788;    // u32 copy of kFirstHeld
constexpr uint32_t kBufferLast = 792;     // u32 copy of kLastHeld
constexpr uint32_t kCursor = 796;         // u32 play cursor
constexpr uint32_t kLastSentPiece = 800;  // u32 last piece sent to a player
constexpr uint32_t kJumpPiece = 804;      // u32 piece of the last jump
constexpr uint32_t kPlayedPieces = 808;   // u32 pieces played since the last reset
constexpr uint32_t kWindowLength = 812;   // u32 window length in pieces
constexpr uint32_t kWindowCount = 816;    // u32 pieces held in the window
constexpr uint32_t kReadyMs = 820;        // u32 ms from the first data piece to the cursor piece
constexpr uint32_t kCandidateCount = 824; // u16 pool counts
constexpr uint32_t kMeasuredCount = 826;
constexpr uint32_t kInUseCount = 828;
constexpr uint32_t kPendingConnects = 830;  // u32
constexpr uint32_t kLiveTransfers = 1092;   // u16

constexpr uint32_t kPeerTable = 1096;     // kPeerTableEntries entries of kPeerEntrySize bytes

constexpr uint32_t kTargetPiece = 41032;  // u32 estimated target piece
constexpr uint32_t kZeroWord = 41040;     // u32, always 0
constexpr uint32_t kWindowPiece = 41044;  // u32 the stream server's window piece

// Session states at kState.
constexpr uint16_t kStateConstructed = 1;
constexpr uint16_t kStateLinked = 2;

// The most free transfer slots the one-byte field at kFreeSlots announces.
constexpr uint16_t kMaxFreeSlots = 127;

static_assert(kOwnStatus + kStatusRecordSize == kFirstHeld && kLossPercent == kOwnStatus + 7);
static_assert(kRateMeter + kRateMeterSize <= kState);
static_assert(kPeerTable + kPeerTableSize == kTargetPiece);
static_assert(kWindowPiece + 4 == kSize);

}  // namespace stats_block

class StatsBlockView {
public:
    explicit StatsBlockView(uint8_t* bytes) : m_bytes(bytes) {}
    // A view for reading a block mapped read-only: only the const readers apply.
    static const StatsBlockView ReadOnly(const uint8_t* bytes) { return StatsBlockView(const_cast<uint8_t*>(bytes)); }

    uint8_t* Bytes() const { return m_bytes; }
    bool IsPresent() const { return m_bytes != nullptr; }

    // Field access by offset; without a block writes do nothing and reads give 0.
    void Put8(uint32_t offset, uint8_t value) {
        if (m_bytes) m_bytes[offset] = value;
    }
    void Put16(uint32_t offset, uint16_t value) {
        if (m_bytes) WriteU16(m_bytes + offset, value);
    }
    void Put32(uint32_t offset, uint32_t value) {
        if (m_bytes) WriteU32(m_bytes + offset, value);
    }
    uint8_t Get8(uint32_t offset) const { return m_bytes ? m_bytes[offset] : 0; }
    uint16_t Get16(uint32_t offset) const { return m_bytes ? ReadU16(m_bytes + offset) : 0; }
    uint32_t Get32(uint32_t offset) const { return m_bytes ? ReadU32(m_bytes + offset) : 0; }
    void Increment32(uint32_t offset) { Put32(offset, Get32(offset) + 1); }

    uint16_t State() const { return Get16(stats_block::kState); }
    void SetState(uint16_t state) { Put16(stats_block::kState, state); }

    // The own address as peers reach it, and the public IPv4 a link server saw.
    uint32_t OwnIPv4() const { return Get32(stats_block::kOwnIPv4); }
    uint16_t OwnTcpPort() const { return Get16(stats_block::kOwnTcpPort); }
    uint16_t OwnUdpPort() const { return Get16(stats_block::kOwnUdpPort); }
    uint32_t PublicIPv4() const { return Get32(stats_block::kPublicIPv4); }
    void SetPublicIPv4(uint32_t ipv4) { Put32(stats_block::kPublicIPv4, ipv4); }

    // The pieces the channel's source offers, and when that was last learnt.
    uint32_t SourceLow() const { return Get32(stats_block::kSourceLow); }
    uint32_t SourceHigh() const { return Get32(stats_block::kSourceHigh); }
    uint32_t SourceTick() const { return Get32(stats_block::kSourceTick); }
    void SetSourceRange(uint32_t low, uint32_t high, uint32_t tick) {
        Put32(stats_block::kSourceLow, low);
        Put32(stats_block::kSourceHigh, high);
        Put32(stats_block::kSourceTick, tick);
    }

    // The counters the scheduler and the transfers keep.
    uint16_t LiveTransfers() const { return Get16(stats_block::kLiveTransfers); }
    void SetLiveTransfers(uint16_t count) { Put16(stats_block::kLiveTransfers, count); }
    uint8_t FreeSlots() const { return Get8(stats_block::kFreeSlots); }
    void SetFreeSlots(uint8_t slots) { Put8(stats_block::kFreeSlots, slots); }
    uint8_t TransferCount(bool incoming) const { return Get8(TransferCountOffset(incoming)); }
    void SetTransferCount(bool incoming, uint8_t count) { Put8(TransferCountOffset(incoming), count); }
    uint32_t PendingConnects() const { return Get32(stats_block::kPendingConnects); }
    void SetPendingConnects(uint32_t count) { Put32(stats_block::kPendingConnects, count); }
    uint16_t SendRateK() const { return Get16(stats_block::kSendRateK); }
    void SetSendRateK(uint16_t rate_k) { Put16(stats_block::kSendRateK, rate_k); }

    // What the stream buffer reports of how well it is fed.
    uint8_t LossPercent() const { return Get8(stats_block::kLossPercent); }
    uint32_t ReadyMs() const { return Get32(stats_block::kReadyMs); }

    // Bytes this host sent to and received from its peers; only with a block.
    CRateMeter Meter() const { return CRateMeter(m_bytes + stats_block::kRateMeter); }

    // The peer table; null without a block.
    uint8_t* PeerTable() const { return m_bytes ? m_bytes + stats_block::kPeerTable : nullptr; }
    // Entry `index` (below kPeerTableEntries) of the table; only with a block.
    PeerEntry Entry(uint32_t index) const { return PeerEntry(PeerTable() + kPeerEntrySize * index); }

private:
    static uint32_t TransferCountOffset(bool incoming) {
        return incoming ? stats_block::kIncoming : stats_block::kOutgoing;
    }

    uint8_t* m_bytes;
};
