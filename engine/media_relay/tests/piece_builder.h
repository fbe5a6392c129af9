// Builds the 'F' packets of test pieces and the pieces themselves.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "packets/wire_bytes.h"
#include "pieces/piece.h"

namespace piece_builder {

inline std::vector<uint8_t> Packet(uint32_t number, uint8_t kind, const std::string& body) {
    std::vector<uint8_t> packet(11 + body.size());
    WriteU16(packet.data(), 1001);
    packet[2] = 'F';
    packet[3] = 1;
    WriteU32(packet.data() + 4, number);
    packet[8] = kind;
    WriteU16(packet.data() + 9, static_cast<uint16_t>(body.size()));
    body.copy(reinterpret_cast<char*>(packet.data() + 11), body.size());
    return packet;
}

inline std::string U16(uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string U32(uint32_t v) {
    return U16(static_cast<uint16_t>(v)) + U16(static_cast<uint16_t>(v >> 16));
}

inline std::vector<uint8_t> DataPacket(uint32_t number, uint32_t time_stamp, uint32_t header_id,
                                       const std::string& stream_data = "data") {
    return Packet(number, PIECE_DATA, U32(time_stamp) + U32(header_id) + stream_data);
}

inline std::string HeaderBody(uint16_t type, const std::string& prefix, const std::string& data) {
    return U16(type) + U16(static_cast<uint16_t>(prefix.size())) + U16(static_cast<uint16_t>(data.size())) + U16(0) +
           prefix + data;
}

inline std::unique_ptr<CPiece> FromPacket(const std::vector<uint8_t>& packet) {
    return std::unique_ptr<CPiece>(CPiece::FromPacket(packet.data(), static_cast<uint32_t>(packet.size())));
}

inline std::unique_ptr<CPiece> Data(uint32_t number, uint32_t time_stamp, uint32_t header_id,
                                    const std::string& stream_data = "data") {
    return FromPacket(DataPacket(number, time_stamp, header_id, stream_data));
}

inline std::unique_ptr<CPiece> Header(uint32_t number, uint16_t type = 259, const std::string& data = "TAIL",
                                      const std::string& prefix = "") {
    return FromPacket(Packet(number, PIECE_HEADER, HeaderBody(type, prefix, data)));
}

}  // namespace piece_builder
