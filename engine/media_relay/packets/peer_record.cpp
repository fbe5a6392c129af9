#include "packets/peer_record.h"

#include "packets/wire_bytes.h"

namespace {
constexpr uint32_t kWordAOffset = 8;
constexpr uint32_t kWordBOffset = 12;

// Offsets inside a peer entry or the own record.
constexpr uint32_t kEntryPublicIPv4 = 32;
constexpr uint32_t kEntryPorts = 28;
constexpr uint32_t kEntryWordA = 16;
constexpr uint32_t kEntryWordB = 20;
}  // namespace

PeerRecord ReadPeerRecord(const uint8_t* bytes) {
    PeerRecord r;
    r.address = ReadPeerAddress(bytes);
    r.word_a = ReadU32(bytes + kWordAOffset);
    r.word_b = ReadU32(bytes + kWordBOffset);
    return r;
}

void WritePeerRecord(uint8_t* bytes, const PeerRecord& record) {
    WritePeerAddress(bytes, record.address);
    WriteU32(bytes + kWordAOffset, record.word_a);
    WriteU32(bytes + kWordBOffset, record.word_b);
}

PeerRecord PeerRecordFromEntry(const uint8_t* record_base) {
    PeerRecord r;
    r.address.ipv4 = ReadIPv4(record_base + kEntryPublicIPv4);
    r.address.tcp_port = ReadU16(record_base + kEntryPorts);
    r.address.udp_port = ReadU16(record_base + kEntryPorts + 2);
    r.word_a = ReadU32(record_base + kEntryWordA);
    r.word_b = ReadU32(record_base + kEntryWordB);
    return r;
}
