// How the framework host finds the component a datagram or a connection's first frame is for:
// the frame names the channel's GUID in its 16 bytes at offset 12, so nothing shorter than 28
// bytes names one. A connection whose first frame names no component gets the 8-byte refusal
// and is closed. The framework host and the simulator's stand-in for it both route by this.
#pragma once

#include <cstdint>

#include "engine_tables.h"
#include "message_ids.h"
#include "outside_abi.h"

constexpr uint32_t kRoutingGuidOffset = 12;
constexpr uint32_t kRoutingMinLength = 28;
constexpr uint8_t kRoutingRefusal[8] = {2, 0, 0x40, 0, 3, 0, 0, 0};

// The 16 GUID bytes the frame names, or null when it is too short (or absent) to name any.
inline const uint8_t* RoutingGuid(const uint8_t* frame, uint32_t length) {
    return frame && length >= kRoutingMinLength ? frame + kRoutingGuidOffset : nullptr;
}

// The end of a connection's first frame (`msg`: MSG_NET_DATA, the socket as sender, the buffer
// in p1, its length in p2): when the frame `named` a component, socket and buffer go to it with
// MSG_CONNECTION_HANDOVER and are its from then on. Otherwise, or when that post fails, the
// buffer is freed and the connection closed, after the refusal when no component was named.
inline void HandOverFirstFrame(const FrameworkMessage& msg, bool named, uint32_t component) {
    const int socket = static_cast<int>(msg.sender);
    if (named && CorePostMessage(component, msg.sender, MSG_CONNECTION_HANDOVER, msg.sender, msg.p1, msg.p2, 0))
        return;
    NetFreeBuffer(FromWord<void>(msg.p1));
    if (!named) NetSend(socket, kRoutingRefusal, sizeof(kRoutingRefusal));
    NetClose(socket);
    NetDestroySocket(socket);
}
