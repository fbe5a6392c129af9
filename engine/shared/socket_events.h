// Which queued messages are a socket's own events: the ones the network library takes back
// from the queue when that socket closes, so none reaches its owner after the close.
#pragma once

#include "message_ids.h"
#include "outside_abi.h"

inline bool IsSocketEvent(const FrameworkMessage& msg) {
    switch (msg.id) {
        case MSG_NET_ACCEPT:
        case MSG_NET_LISTEN_EVENT:
        case MSG_NET_CONNECTED:
        case MSG_NET_CONNECT_FAILED:
        case MSG_NET_DATA:
        case MSG_NET_CLOSED:
        case MSG_STREAM_DATA:
        case MSG_STREAM_CLOSED:
            return true;
        case MSG_NET_DATAGRAM:
            return msg.p4 == 0;  // a datagram with p4 1 is a core block, not the library's buffer
        default:
            return false;
    }
}
