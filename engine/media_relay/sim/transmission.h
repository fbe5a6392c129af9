// One unit of traffic on its way through the simulated network: a framed message or a run of
// raw stream bytes of a connection, the end of a connection, or a datagram.
#pragma once

#include <cstdint>
#include <vector>

#include "outside_abi.h"

namespace sim {

struct Transmission {
    enum Kind : uint8_t { kFrame, kStreamBytes, kEnd, kDatagram };

    Kind kind = kFrame;
    int from_socket = 0;
    int to_socket = 0;          // connections: the far end's socket
    NetSockAddr from{};         // datagrams
    NetSockAddr to{};
    uint32_t end_code = 0;      // kEnd: 0 for an orderly close, else the error the far end sees
    std::vector<uint8_t> bytes;

    // Bytes the uplink spends on it: the payload with the frame's length prefix, or with the
    // IP and UDP headers of a datagram.
    uint64_t WireBytes() const {
        switch (kind) {
            case kFrame: return bytes.size() + 4;
            case kDatagram: return bytes.size() + 28;
            default: return bytes.size();
        }
    }
};

}  // namespace sim
