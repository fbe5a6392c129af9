#include "listening_ports.h"

#include "engine_tables.h"
#include "engine_texts.h"
#include "framework_manager.h"
#include "outside_abi.h"
#include "udp_receiver.h"

namespace {
FrameworkSocketState g_sockets;

void CloseSocket(int& socket) {
    if (socket < 0) return;
    NetClose(socket);
    NetDestroySocket(socket);
    socket = -1;
}

// The port a socket is actually bound to; a request for port 0 gets an ephemeral one.
int BoundPort(int socket, int requested) {
    NetSockAddr local{};
    if (NetGetLocalAddress(socket, &local) != 0) return requested;
    const uint16_t port = static_cast<uint16_t>((local.port_be >> 8) | (local.port_be << 8));
    return port ? port : requested;
}
}  // namespace

FrameworkSocketState& FrameworkSockets() {
    return g_sockets;
}

int NextPortToTry(int port) {
    return port >= 65535 ? kPortSearchRestart : port + 1;
}

int CreateBoundSocketSearching(int kind, int port) {
    int result = kNetPortInUse;
    for (int tries = 0; tries < kPortSearchTries; ++tries) {
        result = NetCreateBoundSocket(kind, port);
        if (result != kNetPortInUse) return result;
        port = NextPortToTry(port);
    }
    return result;
}

void OpenListeningPorts(int* tcp_port, int* udp_port, CFrameworkManager& manager) {
    const int requested_udp = udp_port ? *udp_port : 0;
    const int requested_tcp = tcp_port ? *tcp_port : 0;
    int udp = CreateBoundSocketSearching(kNetKindUdp, requested_udp);
    int tcp = CreateBoundSocketSearching(kNetKindTcp, requested_tcp);
    int web = NetCreateBoundSocket(kNetKindTcp, kWebPort);
    if (web < 0) CoreLogPrintf("port %d listener not opened (%d)", kWebPort, web);

    if (udp < 0 || tcp < 0) {
        CloseSocket(udp);
        CloseSocket(tcp);
        CloseSocket(web);
        CoreLogText(TEXT_LISTEN_PORTS_FAILED);
        return;
    }

    g_sockets.udp_socket = udp;
    g_sockets.tcp_listener = tcp;
    g_sockets.port80_listener = web;
    g_sockets.udp_port = BoundPort(udp, requested_udp);
    g_sockets.tcp_port = BoundPort(tcp, requested_tcp);

    NetSetHandler(udp, &manager.UdpReceiver());
    NetSetHandler(tcp, &manager.TcpAcceptor());
    if (web >= 0) NetSetHandler(web, &manager.TcpAcceptor());

    manager.SysInfo().SetPorts(static_cast<uint16_t>(g_sockets.tcp_port), static_cast<uint16_t>(g_sockets.udp_port));
    if (tcp_port) *tcp_port = g_sockets.tcp_port;
    if (udp_port) *udp_port = g_sockets.udp_port;

    for (int i = 0; i < kReceivesArmed; ++i) NetPostReceiveFrom(udp, CUdpReceiver::kReceiveSize);
}

void CloseListeningPorts() {
    CloseSocket(g_sockets.udp_socket);
    CloseSocket(g_sockets.tcp_listener);
    CloseSocket(g_sockets.port80_listener);
    g_sockets.udp_port = -1;
    g_sockets.tcp_port = -1;
}
