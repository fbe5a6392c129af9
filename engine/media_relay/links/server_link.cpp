#include "links/server_link.h"

#include "packets/join_packet.h"
#include "packets/leave_packet.h"
#include "packets/own_packet_fields.h"
#include "session/channel_session.h"

bool CServerLink::SendJoin() {
    CChannelSession* session = Session();
    const uint8_t* stats = session->StatsBlock();
    if (!stats) return false;
    const LinkEntry entry = Entry();
    const uint32_t reported_ipv4 = entry.report_ipv4;
    JoinFields fields;
    fields.tcp_port = entry.report_tcp_port;
    fields.udp_port = entry.report_udp_port;
    fields.type_one_word = session->TypeOneWord();
    fields.addresses = &reported_ipv4;
    fields.address_count = 1;
    PeerPacket packet;
    BuildJoinPacket(packet, own_fields::ChannelGuid(stats), own_fields::PeerId(stats), fields);
    return SendWithReply(packet);
}

bool CServerLink::SendLeave() {
    const uint8_t* stats = Session()->StatsBlock();
    if (!stats) return false;
    PeerPacket packet;
    BuildLeavePacket(packet, own_fields::ChannelGuid(stats), own_fields::PeerId(stats));
    return Send(packet.bytes, packet.length);
}
