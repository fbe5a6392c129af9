// The network library's table entries over the installed world's network, each for the node
// that is current. A crashed node's calls reach nothing.
#include "engine_tables.h"
#include "sim_world.h"
#include "table_slots.h"

namespace sim {

namespace {

Network& Net() {
    return World::Current()->Net();
}

Node* Caller() {
    Node* node = World::Current()->CurrentNode();
    return node && node->Alive() ? node : nullptr;
}

int ENGINE_CALL Startup(uint32_t, uint32_t) {
    return 1;
}

int ENGINE_CALL Cleanup() {
    return 1;
}

int ENGINE_CALL CreateBound(int kind, int port, uint32_t) {
    Node* node = Caller();
    return node ? Net().CreateBound(node, kind, port) : -1;
}

int ENGINE_CALL CreateSocket(int kind, int, uint32_t) {
    Node* node = Caller();
    return node ? Net().CreateConnection(node, kind) : -1;
}

int ENGINE_CALL Connect(int socket, const NetSockAddr* to) {
    Node* node = Caller();
    return node && to && Net().Connect(node, socket, *to) ? 1 : 0;
}

int ENGINE_CALL SetHandler(int socket, void* handler) {
    Node* node = Caller();
    return node && Net().SetHandler(node, socket, handler) ? 1 : 0;
}

int ENGINE_CALL Close(int socket) {
    Node* node = Caller();
    return node && Net().Close(node, socket) ? 1 : 0;
}

int ENGINE_CALL Destroy(int socket) {
    Node* node = Caller();
    return node && Net().Destroy(node, socket) ? 1 : 0;
}

int ENGINE_CALL Send(int socket, const void* data, uint32_t length) {
    Node* node = Caller();
    return node && Net().Send(node, socket, data, length) ? 1 : 0;
}

int ENGINE_CALL StreamSend(int socket, const void* data, uint32_t length) {
    Node* node = Caller();
    return node && Net().StreamSend(node, socket, data, length) ? 1 : 0;
}

int ENGINE_CALL StartReceive(int socket) {
    Node* node = Caller();
    return node && Net().StartReceive(node, socket) ? 1 : 0;
}

int ENGINE_CALL StreamStartReceive(int socket) {
    Node* node = Caller();
    return node && Net().StreamStartReceive(node, socket) ? 1 : 0;
}

int ENGINE_CALL SendTo(int socket, const void* data, uint32_t length, const NetSockAddr* to) {
    Node* node = Caller();
    return node && to && Net().SendTo(node, socket, data, length, *to) ? 1 : 0;
}

int ENGINE_CALL PostReceiveFrom(int socket, uint32_t max_length) {
    Node* node = Caller();
    return node && Net().PostReceiveFrom(node, socket, max_length) ? 1 : 0;
}

int ENGINE_CALL FreeBuffer(void* buffer) {
    return Net().FreeBuffer(buffer) ? 1 : 0;
}

int ENGINE_CALL ConnectionCount() {
    Node* node = Caller();
    return node ? Net().ConnectionCount(node) : 0;
}

int ENGINE_CALL PeerAddress(int socket, NetSockAddr* address, int) {
    Node* node = Caller();
    if (!node) {
        *address = NetSockAddr{};
        return -1;
    }
    return Net().PeerAddress(node, socket, address) ? 0 : -1;
}

int ENGINE_CALL LocalAddress(int socket, NetSockAddr* address, int) {
    Node* node = Caller();
    if (!node) {
        *address = NetSockAddr{};
        return -1;
    }
    return Net().LocalAddress(node, socket, address) ? 0 : -1;
}

int ENGINE_CALL PendingSends(int socket) {
    Node* node = Caller();
    return node ? Net().PendingSends(node, socket) : 0;
}

int ENGINE_CALL SetValue(int socket, int value) {
    Node* node = Caller();
    return node && Net().SetConnectTimeout(node, socket, value) ? 1 : 0;
}

}  // namespace

int NetTableOfWorld(uint32_t* table) {
    PutEntry(table, kNetStartup, &Startup);
    PutEntry(table, kNetCleanup, &Cleanup);
    PutEntry(table, kNetCreateBoundSocket, &CreateBound);
    PutEntry(table, kNetCreateSocket, &CreateSocket);
    PutEntry(table, kNetConnect, &Connect);
    PutEntry(table, kNetSetHandler, &SetHandler);
    PutEntry(table, kNetClose, &Close);
    PutEntry(table, kNetSend, &Send);
    PutEntry(table, kNetStartReceive, &StartReceive);
    PutEntry(table, kNetStreamStartReceive, &StreamStartReceive);
    PutEntry(table, kNetSendTo, &SendTo);
    PutEntry(table, kNetPostReceiveFrom, &PostReceiveFrom);
    PutEntry(table, kNetFreeBuffer, &FreeBuffer);
    PutEntry(table, kNetDestroySocket, &Destroy);
    PutEntry(table, kNetConnectionCount, &ConnectionCount);
    PutEntry(table, kNetGetPeerAddress, &PeerAddress);
    PutEntry(table, kNetGetLocalAddress, &LocalAddress);
    PutEntry(table, kNetPendingSendCount, &PendingSends);
    PutEntry(table, kNetStreamSend, &StreamSend);
    PutEntry(table, kNetSetSocketValue, &SetValue);
    return 1;
}

}  // namespace sim
