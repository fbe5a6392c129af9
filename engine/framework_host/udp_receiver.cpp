#include "udp_receiver.h"

#include "block_bytes.h"
#include "engine_tables.h"
#include "framework_manager.h"
#include "listening_ports.h"
#include "message_ids.h"

namespace {
void FreeDatagram(const FrameworkMessage& msg) {
    void* buffer = FromWord<void>(msg.p1);
    if (msg.p4 == 1) {
        CoreFree(buffer);
    } else {
        NetFreeBuffer(buffer);
    }
}
}  // namespace

int CUdpReceiver::OnMessage(FrameworkMessage* msg) {
    switch (msg->id) {
        case MSG_NET_DATAGRAM: RouteDatagram(*msg); break;
        case MSG_NET_FAILED: OnRecvUDPFail(*msg); break;
        default: break;
    }
    return 0;
}

void CUdpReceiver::RouteDatagram(const FrameworkMessage& msg) {
    const auto* data = FromWord<const uint8_t>(msg.p1);
    const uint8_t* guid = RoutingGuid(data, msg.p2);
    const int row = guid ? m_manager.Components().FindByGuid(guid) : -1;
    if (row >= 0) {
        const uint32_t handle = m_manager.Components().Row(row).handle;
        if (!CorePostMessage(handle, msg.sender, msg.id, msg.p1, msg.p2, msg.p3, msg.p4)) FreeDatagram(msg);
    } else {
        FreeDatagram(msg);
    }
    Rearm();
}

void CUdpReceiver::OnRecvUDPFail(const FrameworkMessage& msg) {
    CoreLogPrintf("RecvUDPFail , do again %d", static_cast<int>(msg.p1));
    Rearm();
}

void CUdpReceiver::Rearm() {
    if (NetPostReceiveFrom(FrameworkSockets().udp_socket, kReceiveSize)) return;
    CoreLogText("NET_UDP_RecvFrom Error! OnRecvUDPFail , so we will do next after 500ms");
    CoreSetTimer(kRetryMs, 0, AsTarget(), AsTarget(), MSG_NET_FAILED);
}
