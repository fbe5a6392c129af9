#include "stats_report.h"

#include <cstring>

#include "engine_tick.h"
#include "guid_text.h"
#include "ipv4_text.h"
#include "json_line.h"
#include "session/peer_entry.h"
#include "session/stats_block.h"
#include "transfer/rate_meter.h"

using namespace stats_block;

namespace {
enum class Kind { U8, U16, U32, U32Pair, U16Triple, Ip, Guid, Text };
struct Field {
    const char* key;
    uint32_t offset;
    Kind kind;
};

uint32_t U32(const uint8_t* b, uint32_t at) {
    uint32_t v;
    std::memcpy(&v, b + at, 4);
    return v;
}
uint16_t U16(const uint8_t* b, uint32_t at) {
    uint16_t v;
    std::memcpy(&v, b + at, 2);
    return v;
}

constexpr uint32_t kOwnSent = kRateMeter + kRateMeterTotalSent;
constexpr uint32_t kOwnReceived = kRateMeter + kRateMeterTotalReceived;

constexpr Field kChannelFields[] = {
    {"ctype", kComponentType, Kind::U32},    {"text1", kText1, Kind::Text},
    {"text2", kText2, Kind::Text},           {"stream_port", kStreamPort, Kind::U16},
    {"kind", kSessionKind, Kind::U16},       {"src", kSourceLow, Kind::U32Pair},
    {"src_tick", kSourceTick, Kind::U32},    {"peer_id", kOwnPeerId, Kind::Guid},
    {"own_ip", kOwnIPv4, Kind::Ip},          {"own_tcp", kOwnTcpPort, Kind::U16},
    {"own_udp", kOwnUdpPort, Kind::U16},     {"public_ip", kPublicIPv4, Kind::Ip},
    {"send_k", kSendRateK, Kind::U16},       {"free", kFreeSlots, Kind::U8},
    {"out", kOutgoing, Kind::U8},            {"in", kIncoming, Kind::U8},
    {"loss", kLossPercent, Kind::U8},        {"held", kFirstHeld, Kind::U32Pair},
    {"sent", kOwnSent, Kind::U32},           {"recv", kOwnReceived, Kind::U32},
    {"state", kState, Kind::U16},            {"cursor", kCursor, Kind::U32},
    {"last_sent", kLastSentPiece, Kind::U32}, {"last_jump", kJumpPiece, Kind::U32},
    {"played", kPlayedPieces, Kind::U32},    {"window_len", kWindowLength, Kind::U32},
    {"window_count", kWindowCount, Kind::U32}, {"ready_ms", kReadyMs, Kind::U32},
    {"pool", kCandidateCount, Kind::U16Triple}, {"pending", kPendingConnects, Kind::U32},
    {"transfers", kLiveTransfers, Kind::U16}, {"target", kTargetPiece, Kind::U32},
    {"window_piece", kWindowPiece, Kind::U32},
};
static_assert(kLastHeld == kFirstHeld + 4 && kSourceHigh == kSourceLow + 4);
static_assert(kMeasuredCount == kCandidateCount + 2 && kInUseCount == kCandidateCount + 4);
constexpr Field kFullFields[] = {{"held_first_copy", kBufferFirst, Kind::U32},
                                 {"held_last_copy", kBufferLast, Kind::U32},
                                 {"w41040", kZeroWord, Kind::U32}};

void AddField(JsonObject& json, const uint8_t* b, uint32_t size, const Field& f) {
    static constexpr uint32_t kWidth[] = {1, 2, 4, 8, 6, 4, 16, 64};
    if (f.offset + kWidth[static_cast<int>(f.kind)] > size) return;
    switch (f.kind) {
        case Kind::U8: json.Int(f.key, b[f.offset]); break;
        case Kind::U16: json.Int(f.key, U16(b, f.offset)); break;
        case Kind::U32: json.Int(f.key, U32(b, f.offset)); break;
        case Kind::U32Pair:
            json.Raw(f.key, "[" + std::to_string(U32(b, f.offset)) + ", " + std::to_string(U32(b, f.offset + 4)) + "]");
            break;
        case Kind::U16Triple:
            json.Raw(f.key, "[" + std::to_string(U16(b, f.offset)) + ", " + std::to_string(U16(b, f.offset + 2)) + ", " +
                                std::to_string(U16(b, f.offset + 4)) + "]");
            break;
        case Kind::Ip: json.Str(f.key, IPv4Text(U32(b, f.offset))); break;
        case Kind::Guid: json.Str(f.key, GuidBraceText(b + f.offset)); break;
        case Kind::Text: json.Str(f.key, std::string(reinterpret_cast<const char*>(b + f.offset), strnlen(reinterpret_cast<const char*>(b + f.offset), 64))); break;
    }
}

// Recent rate of the own rate meter: one counter's five slots over at most the last 5 s, the
// span at least 1 ms (unlike the meter's own figure, which is 0 before any time has passed).
long long RecentRate(const uint8_t* b, uint32_t slots, uint32_t now) {
    uint64_t sum = 0;
    for (uint32_t i = 0; i < kRateMeterSlots; ++i) sum += U32(b, kRateMeter + slots + 4 * i);
    uint32_t span = now - U32(b, kRateMeter + kRateMeterStartTick);
    if (span > kRecentRateWindowMs) span = kRecentRateWindowMs;
    if (span == 0) span = 1;
    return static_cast<long long>(sum * 1000 / span);
}

std::string PeerTable(const uint8_t* b, uint32_t size) {
    std::string list = "[";
    bool first = true;
    for (uint32_t k = 0; k < kPeerTableEntries; ++k) {
        const uint32_t at = kPeerTable + kPeerEntrySize * k;
        if (at + kPeerEntrySize > size) break;
        const PeerEntry entry = PeerEntry::ReadOnly(b + at);
        if (entry.IsFree()) continue;
        std::string requests = "[";
        for (uint32_t i = 0; i < kPeerEntryRequestSlots; ++i)
            requests += (i ? ", " : "") + std::to_string(entry.RequestAt(i));
        requests += "]";
        const PeerAddress stated = entry.StatedAddress();
        const CRateMeter meter = entry.Meter();
        list += (first ? "" : ", ") + JsonObject()
                                          .Int("i", k)
                                          .Int("state", static_cast<int>(entry.State()))
                                          .Int("incoming", entry.IsIncoming())
                                          .Int("source", entry.IsSource())
                                          .Str("id", GuidBraceText(entry.PeerId()))
                                          .Str("ip", IPv4Text(stated.ipv4))
                                          .Int("tcp", stated.tcp_port)
                                          .Int("udp", stated.udp_port)
                                          .Str("far_ip", IPv4Text(entry.ConnectionIPv4()))
                                          .Int("free_slots", entry.FreeSlots())
                                          .Int("map_first", entry.MapFirst())
                                          .Int("map_end", entry.MapEnd())
                                          .Int("sent", meter.TotalSent())
                                          .Int("recv", meter.TotalReceived())
                                          .Int("outstanding", entry.Outstanding())
                                          .Int("window", entry.Window())
                                          .Int("lost", entry.Lost())
                                          .Raw("requests", requests)
                                          .Text();
        first = false;
    }
    return list + "]";
}
}  // namespace

std::string StatsBlockName(const uint8_t* guid) {
    return kNamePrefix + GuidBraceText(guid);
}

void PrintStats(const uint8_t* guid, const uint8_t* b, uint32_t size, bool peers, bool full) {
    const uint32_t now = EngineTick();
    JsonObject json;
    json.Str("guid", GuidBraceText(guid)).Int("t", now);
    for (const Field& f : kChannelFields) AddField(json, b, size, f);
    if (size >= kRateMeter + kRateMeterSize)
        json.Int("sent_Bps", RecentRate(b, kRateMeterSlotsSent, now))
            .Int("recv_Bps", RecentRate(b, kRateMeterSlotsReceived, now));
    if (full) {
        for (const Field& f : kFullFields) AddField(json, b, size, f);
    }
    if (peers) json.Raw("peers", PeerTable(b, size));
    PrintEvent("stats", json);
}
