// Statistics block fields that the stream buffer, the stream server and the player stream
// sessions publish (byte offsets from the start of the channel's statistics block), and
// null-safe writers: a buffer built without a block (tests, tools) simply publishes nothing.
#pragma once

#include <cstdint>

#include "wire_bytes.h"

namespace stream_stats {

constexpr uint32_t kBlockSize = 41048;

constexpr uint32_t kStreamPort = 356;     // u16 port of the local stream server
constexpr uint32_t kSessionKind = 358;    // u16 1 paced, 2 key frame, 0 none
constexpr uint32_t kSourceLow = 360;      // u32 lowest piece the source offers
constexpr uint32_t kSourceHigh = 364;     // u32 highest piece the source offers
constexpr uint32_t kOwnStatus = 664;      // 8-byte own status record
constexpr uint32_t kLossPercent = 671;    // u8, last byte of the status record
constexpr uint32_t kFirstHeld = 672;      // u32 first data piece held
constexpr uint32_t kLastHeld = 676;       // u32 last data piece held
constexpr uint32_t kBufferFirst = 788;    // u32 copy of kFirstHeld
constexpr uint32_t kBufferLast = 792;     // u32 copy of kLastHeld
constexpr uint32_t kCursor = 796;         // u32 play cursor
constexpr uint32_t kLastSentPiece = 800;  // u32 last piece sent to a player
constexpr uint32_t kJumpPiece = 804;      // u32 piece of the last jump
constexpr uint32_t kPlayedPieces = 808;   // u32 pieces played since the last reset
constexpr uint32_t kWindowLength = 812;   // u32 window length in pieces
constexpr uint32_t kWindowCount = 816;    // u32 pieces held in the window
constexpr uint32_t kReadyMs = 820;        // u32 ms from the first data piece to the cursor piece
constexpr uint32_t kTargetPiece = 41032;  // u32 estimated target piece
constexpr uint32_t kZeroWord = 41040;     // u32, always 0
constexpr uint32_t kWindowPiece = 41044;  // u32 the stream server's window piece

inline void Put8(uint8_t* block, uint32_t offset, uint8_t value) {
    if (block) block[offset] = value;
}
inline void Put16(uint8_t* block, uint32_t offset, uint16_t value) {
    if (block) WriteU16(block + offset, value);
}
inline void Put32(uint8_t* block, uint32_t offset, uint32_t value) {
    if (block) WriteU32(block + offset, value);
}
inline uint8_t Get8(const uint8_t* block, uint32_t offset) {
    return block ? block[offset] : 0;
}
inline uint32_t Get32(const uint8_t* block, uint32_t offset) {
    return block ? ReadU32(block + offset) : 0;
}
inline void Increment32(uint8_t* block, uint32_t offset) {
    if (block) Put32(block, offset, Get32(block, offset) + 1);
}

}  // namespace stream_stats
