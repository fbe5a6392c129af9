#include "stats_report.h"

#include <cstring>

#include "engine_tick.h"
#include "guid_text.h"
#include "ipv4_text.h"
#include "json_line.h"

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

constexpr Field kChannelFields[] = {
    {"ctype", 132, Kind::U32},       {"text1", 222, Kind::Text},        {"text2", 286, Kind::Text},
    {"stream_port", 356, Kind::U16}, {"kind", 358, Kind::U16},          {"src", 360, Kind::U32Pair},    {"src_tick", 368, Kind::U32},      {"peer_id", 628, Kind::Guid},
    {"own_ip", 652, Kind::Ip},       {"own_tcp", 656, Kind::U16},       {"own_udp", 658, Kind::U16},
    {"public_ip", 660, Kind::Ip},    {"send_k", 666, Kind::U16},        {"free", 668, Kind::U8},
    {"out", 669, Kind::U8},          {"in", 670, Kind::U8},             {"loss", 671, Kind::U8},
    {"held", 672, Kind::U32Pair},     {"sent", 680, Kind::U32},
    {"recv", 704, Kind::U32},        {"state", 780, Kind::U16},         {"cursor", 796, Kind::U32},
    {"last_sent", 800, Kind::U32},   {"last_jump", 804, Kind::U32},     {"played", 808, Kind::U32},
    {"window_len", 812, Kind::U32},  {"window_count", 816, Kind::U32},  {"ready_ms", 820, Kind::U32},
    {"pool", 824, Kind::U16Triple},
    {"pending", 830, Kind::U32},     {"transfers", 1092, Kind::U16},    {"target", 41032, Kind::U32},
    {"window_piece", 41044, Kind::U32},
};
constexpr Field kFullFields[] = {{"held_first_copy", 788, Kind::U32}, {"held_last_copy", 792, Kind::U32},
                                 {"w41040", 41040, Kind::U32}};

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

// Recent rate of a rate meter: its five slots over at most the last 5 s.
long long RecentRate(const uint8_t* b, uint32_t slots, uint32_t now) {
    uint64_t sum = 0;
    for (uint32_t i = 0; i < 5; ++i) sum += U32(b, slots + 4 * i);
    uint32_t span = now - U32(b, 732);
    if (span > 5000) span = 5000;
    if (span == 0) span = 1;
    return static_cast<long long>(sum * 1000 / span);
}

std::string PeerTable(const uint8_t* b, uint32_t size) {
    std::string list = "[";
    bool first = true;
    for (uint32_t k = 0; k < 256; ++k) {
        const uint32_t at = 1096 + 156 * k;
        if (at + 156 > size) break;
        const uint8_t* e = b + at;
        if (e[152] == 0) continue;
        std::string requests = "[";
        for (int i = 0; i < 8; ++i) requests += (i ? ", " : "") + std::to_string(U32(e, 120 + 4 * i));
        requests += "]";
        list += (first ? "" : ", ") + JsonObject()
                                          .Int("i", k)
                                          .Int("state", e[152])
                                          .Int("incoming", e[153])
                                          .Int("source", e[154])
                                          .Str("id", GuidBraceText(e))
                                          .Str("ip", IPv4Text(U32(e, 24)))
                                          .Int("tcp", U16(e, 28))
                                          .Int("udp", U16(e, 30))
                                          .Str("far_ip", IPv4Text(U32(e, 32)))
                                          .Int("free_slots", e[40])
                                          .Int("map_first", U32(e, 44))
                                          .Int("map_end", U32(e, 48))
                                          .Int("sent", U32(e, 52))
                                          .Int("recv", U32(e, 76))
                                          .Int("outstanding", U32(e, 108))
                                          .Int("window", U32(e, 112))
                                          .Int("lost", U32(e, 116))
                                          .Raw("requests", requests)
                                          .Text();
        first = false;
    }
    return list + "]";
}
}  // namespace

std::string StatsBlockName(const uint8_t* guid) {
    return "OS_SYS_META" + GuidBraceText(guid);
}

void PrintStats(const uint8_t* guid, const uint8_t* b, uint32_t size, bool peers, bool full) {
    const uint32_t now = EngineTick();
    JsonObject json;
    json.Str("guid", GuidBraceText(guid)).Int("t", now);
    for (const Field& f : kChannelFields) AddField(json, b, size, f);
    if (size >= 736) json.Int("sent_Bps", RecentRate(b, 684, now)).Int("recv_Bps", RecentRate(b, 708, now));
    if (full) {
        for (const Field& f : kFullFields) AddField(json, b, size, f);
    }
    if (peers) json.Raw("peers", PeerTable(b, size));
    PrintEvent("stats", json);
}
