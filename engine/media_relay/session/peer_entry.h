// One entry of the statistics block's peer table (156 bytes): a live peer transfer publishes
// its peer there for other processes and for the peer lists this host sends. The offsets are
// the layout other processes read; `PeerEntry` is the view the transfers and the peer lists
// use over an entry's bytes.
#pragma once

#include <cstdint>
#include <cstring>

#include "packets/packet_fields.h"
#include "packets/packet_header.h"
#include "packets/wire_bytes.h"
#include "peers/peer_address.h"
#include "transfer/rate_meter.h"

constexpr uint32_t kPeerEntrySize = 156;
constexpr uint32_t kPeerTableEntries = 256;
constexpr uint32_t kPeerTableSize = kPeerEntrySize * kPeerTableEntries;

constexpr uint32_t kPeerEntryPeerId = 0;           // 16 bytes
constexpr uint32_t kPeerEntryWordA = 16;           // sent as a peer record's third word
constexpr uint32_t kPeerEntryWordB = 20;           // and fourth
constexpr uint32_t kPeerEntryStatedIPv4 = 24;      // the address the peer states
constexpr uint32_t kPeerEntryTcpPort = 28;
constexpr uint32_t kPeerEntryUdpPort = 30;
constexpr uint32_t kPeerEntryConnectionIPv4 = 32;  // where its connection came from
constexpr uint32_t kPeerEntryStatus = 36;          // the peer's 8-byte status record
constexpr uint32_t kPeerEntryFreeSlots = 40;
constexpr uint32_t kPeerEntryMapFirst = 44;
constexpr uint32_t kPeerEntryMapEnd = 48;
constexpr uint32_t kPeerEntryRateMeter = 52;       // 56 bytes
constexpr uint32_t kPeerEntryOutstanding = 108;
constexpr uint32_t kPeerEntryWindow = 112;
constexpr uint32_t kPeerEntryLost = 116;
constexpr uint32_t kPeerEntryRequests = 120;       // eight u32
constexpr uint32_t kPeerEntryRequestSlots = 8;
constexpr uint32_t kPeerEntryState = 152;          // PeerEntryState
constexpr uint32_t kPeerEntryIncoming = 153;
constexpr uint32_t kPeerEntrySource = 154;         // listed only while 0

static_assert(kPeerEntryRateMeter + kRateMeterSize == kPeerEntryOutstanding);
static_assert(kPeerEntryRequests + 4 * kPeerEntryRequestSlots == kPeerEntryState);
static_assert(kPeerEntryStatus + kStatusRecordSize == kPeerEntryMapFirst);
static_assert(kPeerEntrySource < kPeerEntrySize);

// The state byte: a free entry may be taken by a new transfer; a greeting one waits for the
// peer's hello; an established one has had a valid hello. Another process may have written any
// byte there, so a view can return a value without a name: only Free counts as free.
enum class PeerEntryState : uint8_t { Free = 0, Greeting = 1, Established = 2 };

class PeerEntry {
public:
    explicit PeerEntry(uint8_t* bytes) : m_bytes(bytes) {}
    // A view for reading an entry of a block mapped read-only: only the const readers apply.
    static const PeerEntry ReadOnly(const uint8_t* bytes) { return PeerEntry(const_cast<uint8_t*>(bytes)); }

    uint8_t* Bytes() const { return m_bytes; }

    // Everything zero and the entry's rate meter started now: when a transfer takes the entry
    // and when it gives it back.
    void Reset();

    PeerEntryState State() const { return static_cast<PeerEntryState>(m_bytes[kPeerEntryState]); }
    void SetState(PeerEntryState state) { m_bytes[kPeerEntryState] = static_cast<uint8_t>(state); }
    bool IsFree() const { return State() == PeerEntryState::Free; }
    bool IsEstablished() const { return State() == PeerEntryState::Established; }
    bool IsIncoming() const { return m_bytes[kPeerEntryIncoming] != 0; }
    void SetIncoming(bool incoming) { m_bytes[kPeerEntryIncoming] = incoming ? 1 : 0; }
    bool IsSource() const { return m_bytes[kPeerEntrySource] != 0; }
    void SetSource(bool source) { m_bytes[kPeerEntrySource] = source ? 1 : 0; }

    const uint8_t* PeerId() const { return m_bytes + kPeerEntryPeerId; }
    void SetPeerId(const uint8_t* id) { std::memcpy(m_bytes + kPeerEntryPeerId, id, kGuidSize); }
    PeerAddress StatedAddress() const { return ReadPeerAddress(m_bytes + kPeerEntryStatedIPv4); }
    void SetStatedAddress(const PeerAddress& address) { WritePeerAddress(m_bytes + kPeerEntryStatedIPv4, address); }
    uint32_t ConnectionIPv4() const { return ReadIPv4(m_bytes + kPeerEntryConnectionIPv4); }
    void SetConnectionIPv4(uint32_t ipv4) { WriteIPv4(m_bytes + kPeerEntryConnectionIPv4, ipv4); }

    uint8_t FreeSlots() const { return m_bytes[kPeerEntryFreeSlots]; }
    void SetFreeSlots(uint8_t slots) { m_bytes[kPeerEntryFreeSlots] = slots; }
    const uint8_t* Status() const { return m_bytes + kPeerEntryStatus; }
    void SetStatus(const uint8_t* record) { std::memcpy(m_bytes + kPeerEntryStatus, record, kStatusRecordSize); }
    uint32_t MapFirst() const { return ReadU32(m_bytes + kPeerEntryMapFirst); }
    uint32_t MapEnd() const { return ReadU32(m_bytes + kPeerEntryMapEnd); }
    void SetMap(uint32_t first, uint32_t end) {
        WriteU32(m_bytes + kPeerEntryMapFirst, first);
        WriteU32(m_bytes + kPeerEntryMapEnd, end);
    }

    uint32_t Outstanding() const { return ReadU32(m_bytes + kPeerEntryOutstanding); }
    void SetOutstanding(uint32_t count) { WriteU32(m_bytes + kPeerEntryOutstanding, count); }
    uint32_t Window() const { return ReadU32(m_bytes + kPeerEntryWindow); }
    void SetWindow(uint32_t window) { WriteU32(m_bytes + kPeerEntryWindow, window); }
    uint32_t Lost() const { return ReadU32(m_bytes + kPeerEntryLost); }
    // One more request that ended without its piece.
    void CountLost() { WriteU32(m_bytes + kPeerEntryLost, Lost() + 1); }
    uint32_t RequestAt(uint32_t slot) const { return ReadU32(m_bytes + kPeerEntryRequests + 4 * slot); }
    void SetRequestAt(uint32_t slot, uint32_t piece) { WriteU32(m_bytes + kPeerEntryRequests + 4 * slot, piece); }

    // Bytes sent to and received from this peer.
    CRateMeter Meter() const { return CRateMeter(m_bytes + kPeerEntryRateMeter); }

private:
    uint8_t* m_bytes;
};
