// The framework's public endpoints: one UDP socket and one TCP listener on the ports the host
// asks for (the next free one when taken), and a TCP listener on port 80.
#pragma once

#include <cstdint>

class CFrameworkManager;

struct FrameworkSocketState {
    int udp_socket = -1;
    int tcp_listener = -1;
    int port80_listener = -1;
    int udp_port = -1;
    int tcp_port = -1;
};

FrameworkSocketState& FrameworkSockets();

constexpr int kPortSearchTries = 10000;
constexpr int kPortSearchRestart = 10000;  // where the search goes on after 65535
constexpr int kWebPort = 80;
constexpr int kReceivesArmed = 10;

// The port tried after `port` when it is in use.
int NextPortToTry(int port);

// NetCreateBoundSocket from `port` upward while the port is in use, at most 10000 tries.
// Returns the socket id or the last failure.
int CreateBoundSocketSearching(int kind, int port);

// Opens the UDP socket, the TCP listener and the port-80 listener, writes the ports actually
// bound into the SysInfoBlock and back through the pointers, and arms the UDP receives. When
// the UDP socket or the TCP listener cannot be had, it logs, closes what it opened and leaves
// the ports unwritten.
void OpenListeningPorts(int* tcp_port, int* udp_port, CFrameworkManager& manager);

// Closes and destroys all three sockets (before the manager, their handler, goes away).
void CloseListeningPorts();
