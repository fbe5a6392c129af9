// Layout of the channel's statistics block, "OS_SYS_META" followed by the channel GUID text:
// 41048 bytes in which the session and its parts publish the channel's state for other
// processes. Byte offsets from the start of the block; every value little-endian.
#pragma once

#include <cstdint>

#include "stream_stats_offsets.h"

namespace stats_block {

constexpr uint32_t kSize = 41048;
constexpr char kNamePrefix[] = "OS_SYS_META";

constexpr uint32_t kComponentType = 132;  // u32 1001
constexpr uint32_t kChannelGuid = 136;    // 16 bytes
constexpr uint32_t kText1 = 222;          // char[64]
constexpr uint32_t kText2 = 286;          // char[64]
constexpr uint32_t kTextSize = 64;
constexpr uint32_t kStreamPort = 356;     // u16 port of the local stream server
constexpr uint32_t kSessionKind = 358;    // u16 kind of the current player stream session
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
constexpr uint32_t kLossPercent = 671;    // u8
constexpr uint32_t kFirstHeld = 672;      // u32
constexpr uint32_t kLastHeld = 676;       // u32
constexpr uint32_t kRateMeter = 680;      // 56-byte rate meter: bytes sent and received
constexpr uint32_t kState = 780;          // u16 session state
constexpr uint32_t kCandidateCount = 824; // u16 pool counts
constexpr uint32_t kMeasuredCount = 826;
constexpr uint32_t kInUseCount = 828;
constexpr uint32_t kPendingConnects = 830;  // u32
constexpr uint32_t kLiveTransfers = 1092;   // u16

constexpr uint32_t kPeerTable = 1096;
constexpr uint32_t kPeerEntrySize = 156;
constexpr uint32_t kPeerEntries = 256;

constexpr uint32_t kTargetPiece = 41032;
constexpr uint32_t kWindowPiece = 41044;

// Session states at kState.
constexpr uint16_t kStateConstructed = 1;
constexpr uint16_t kStateLinked = 2;

// The most free transfer slots the one-byte field at kFreeSlots announces.
constexpr uint16_t kMaxFreeSlots = 127;

static_assert(kPeerTable + kPeerEntries * kPeerEntrySize == kTargetPiece);
static_assert(kSize == stream_stats::kBlockSize);
static_assert(kStreamPort == stream_stats::kStreamPort && kSourceLow == stream_stats::kSourceLow &&
              kSourceHigh == stream_stats::kSourceHigh && kFirstHeld == stream_stats::kFirstHeld &&
              kTargetPiece == stream_stats::kTargetPiece && kWindowPiece == stream_stats::kWindowPiece);

}  // namespace stats_block
