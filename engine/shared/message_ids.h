// The one list of framework message ids, compiled into both engine libraries.
#pragma once

#include <cstdint>

enum FrameworkMessageId : uint32_t {
    MSG_HOST_COMMAND = 502,  // a host command for the manager to route (HostCommand below)
    // Host command 20xx routed to the component whose GUID opens its data: p1 the data block
    // (the component's to free), p2 its length.
    MSG_CMD_2001 = 503,
    MSG_CMD_2002 = 504,
    MSG_CMD_2010 = 505,  // the host peer list of a channel
    MSG_CMD_2011 = 506,
    MSG_CMD_2012 = 507,
    MSG_NET_ACCEPT = 1001,
    MSG_NET_LISTEN_EVENT = 1002,
    MSG_NET_CONNECTED = 1003,
    MSG_NET_CONNECT_FAILED = 1004,
    MSG_NET_DATA = 1005,
    MSG_NET_CLOSED = 1006,
    MSG_NET_DATAGRAM = 1007,
    MSG_NET_FAILED = 1008,
    MSG_STREAM_DATA = 1013,
    MSG_STREAM_CLOSED = 1014,
    MSG_CONNECTION_HANDOVER = 1100,
    MSG_TRANSFER_ENDED = 5512,
    MSG_CREATE_COMPONENT = 6001,
    MSG_DELETE_COMPONENT = 6002,
    MSG_FRAMEWORK_TIMER = 6003,
    MSG_DELETE_OBJECT = 6004,
    MSG_BLOCK_ADDRESS = 7000,
    MSG_TIMER = 9016,
    MSG_QUIT = 0xFFFF,
};

// Id ranges registered with the engine core.
constexpr uint32_t MSG_NET_BASE = 1000;
constexpr uint32_t REGISTERED_MESSAGE_BASES[] = {3000, 4000, 4100, 4200, 4500, 4600, 4700};
constexpr uint32_t MSG_FRAMEWORK_BASE = 6000;
constexpr uint32_t MSG_RELAY_BASE = 7000;

// Host commands carried by MSG_HOST_COMMAND and routed to a component as MSG_CMD_*.
enum HostCommand : uint32_t {
    HOST_CMD_2001 = 2001,
    HOST_CMD_2002 = 2002,
    HOST_CMD_2010 = 2010,
    HOST_CMD_2011 = 2011,
    HOST_CMD_2012 = 2012,
};

// Registers the framework's id ranges with the core: the network base, then the others in order.
void RegisterMessageIds();
