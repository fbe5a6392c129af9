#include "dropped_messages.h"

#include "memory_blocks.h"
#include "message_ids.h"
#include "net_hooks.h"

namespace quib {

namespace {

enum class Owner { kNothing, kCoreBlockP1, kCoreBlockP2, kNetLibrary };

Owner OwnerOf(const FrameworkMessage& m) {
    switch (m.id) {
        case MSG_HOST_COMMAND:
            return Owner::kCoreBlockP2;
        case MSG_CMD_2001:
        case MSG_CMD_2002:
        case MSG_CMD_2010:
        case MSG_CMD_2011:
        case MSG_CMD_2012:
        case MSG_CREATE_COMPONENT:
        case MSG_DELETE_COMPONENT:
            return Owner::kCoreBlockP1;
        case MSG_NET_DATAGRAM:
            // p4 1: a datagram copied into a core block; p4 0: the network library's buffer.
            if (m.p4 == 1) return Owner::kCoreBlockP1;
            return m.p4 == 0 ? Owner::kNetLibrary : Owner::kNothing;
        case MSG_NET_ACCEPT:             // the accepted socket
        case MSG_NET_DATA:               // buffer
        case MSG_STREAM_DATA:            // buffer
        case MSG_CONNECTION_HANDOVER:    // socket and buffer
            return Owner::kNetLibrary;
        default:
            return Owner::kNothing;
    }
}


}  // namespace

void ReleaseDroppedMessages(const std::vector<FrameworkMessage>& dropped) {
    std::vector<FrameworkMessage> for_net_library;
    for (const FrameworkMessage& m : dropped) {
        switch (OwnerOf(m)) {
            case Owner::kCoreBlockP1:
                memory_blocks::Free(FromWord<void>(m.p1));
                break;
            case Owner::kCoreBlockP2:
                memory_blocks::Free(FromWord<void>(m.p2));
                break;
            case Owner::kNetLibrary:
                for_net_library.push_back(m);
                break;
            case Owner::kNothing:
                break;
        }
    }
    if (!for_net_library.empty()) net_hooks::Release(for_net_library);
}

}  // namespace quib
