// The engine library's own copies of the core and network function tables, and typed calls
// through them. Every call checks its slot: an unbound table makes each call a safe no-op
// that returns the entry's failure value, so nothing ever calls through a null entry.
#pragma once

#include "outside_abi.h"

extern uint32_t CoreTable[kFunctionTableSlots];
extern uint32_t NetTable[kFunctionTableSlots];

// True once the library's TS_XXXX filled the table.
bool CoreTableBound();
bool NetTableBound();

// Binding (at library load). 1 = bound, 0 = library or its TS_XXXX not found.
int BindCoreLibrary();
int BindNetLibrary();

// Fills a table from an already resolved TS_XXXX (tests and the in-process simulator).
int BindCoreTableFrom(TsXxxxTableFn ts_xxxx);
int BindNetTableFrom(TsXxxxTableFn ts_xxxx);
void UnbindTablesForTest();

template <class Fn>
inline Fn CoreEntry(int slot) {
    return reinterpret_cast<Fn>(static_cast<uintptr_t>(CoreTable[slot]));
}
template <class Fn>
inline Fn NetEntry(int slot) {
    return reinterpret_cast<Fn>(static_cast<uintptr_t>(NetTable[slot]));
}

// ---- core ----
inline void* CoreAlloc(uint32_t size) {
    auto f = CoreEntry<CoreAllocFn>(kCoreAlloc);
    return f ? f(size, 0, 0) : nullptr;
}
inline int CoreFree(void* block) {
    auto f = CoreEntry<CoreFreeFn>(kCoreFree);
    return f ? f(block, 0, 0) : 0;
}
inline int CorePostMessage(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1 = 0, uint32_t p2 = 0,
                           uint32_t p3 = 0, uint32_t p4 = 0) {
    auto f = CoreEntry<CorePostMessageFn>(kCorePostMessage);
    return f ? f(target, sender, id, p1, p2, p3, p4) : 0;
}
inline int CoreGetMessage(FrameworkMessage* msg) {
    auto f = CoreEntry<CoreGetMessageFn>(kCoreGetMessage);
    return f ? f(msg) : 0;
}
inline int CoreShutdownQueue() {
    auto f = CoreEntry<CoreShutdownQueueFn>(kCoreShutdownQueue);
    return f ? f() : 0;
}
inline int CoreUnregisterObject(void* object) {
    auto f = CoreEntry<CoreUnregisterObjectFn>(kCoreUnregisterObject);
    return f ? f(object) : 0;
}
inline int CoreWait(void* event, uint32_t ms) {
    auto f = CoreEntry<CoreWaitFn>(kCoreWait);
    return f ? f(event, ms) : -1;
}
inline int CoreLogText(const char* text) {
    auto f = CoreEntry<CoreLogTextFn>(kCoreLogText);
    return f ? f(0, 0, text) : 0;
}
template <class... Args>
inline int CoreLogPrintf(const char* format, Args... args) {
    auto f = CoreEntry<CoreLogPrintfFn>(kCoreLogPrintf);
    return f ? f(0, 0, format, args...) : 0;
}
inline int CoreRegisterNetMessageBase(uint32_t base) {
    auto f = CoreEntry<CoreRegisterNetMessageBaseFn>(kCoreRegisterNetMessageBase);
    return f ? f(base) : 0;
}
inline int CoreRegisterMessageBase(uint32_t base) {
    auto f = CoreEntry<CoreRegisterMessageBaseFn>(kCoreRegisterMessageBase);
    return f ? f(base) : 0;
}
inline int CoreSetTimer(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender, uint32_t id,
                        uint32_t p1 = 0, uint32_t p2 = 0, uint32_t p3 = 0, uint32_t p4 = 0) {
    auto f = CoreEntry<CoreSetTimerFn>(kCoreSetTimer);
    return f ? f(ms, repeat, target, sender, id, p1, p2, p3, p4) : -1;
}
inline int CoreKillTimer(int timer_id) {
    auto f = CoreEntry<CoreKillTimerFn>(kCoreKillTimer);
    return f ? f(timer_id) : 0;
}
inline int CoreCreateSharedBlock(SharedBlockDesc* desc) {
    auto f = CoreEntry<CoreSharedBlockFn>(kCoreCreateSharedBlock);
    return f ? f(desc) : -1;
}
inline int CoreOpenSharedBlock(SharedBlockDesc* desc) {
    auto f = CoreEntry<CoreSharedBlockFn>(kCoreOpenSharedBlock);
    return f ? f(desc) : -1;
}
inline int CoreCloseSharedBlock(SharedBlockDesc* desc) {
    auto f = CoreEntry<CoreSharedBlockFn>(kCoreCloseSharedBlock);
    return f ? f(desc) : -1;
}

// ---- network ----
inline int NetStartup() {
    auto f = NetEntry<NetStartupFn>(kNetStartup);
    return f ? f(0, 0) : 0;
}
inline int NetCleanup() {
    auto f = NetEntry<NetCleanupFn>(kNetCleanup);
    return f ? f() : 0;
}
inline int NetCreateBoundSocket(int kind, int port) {
    auto f = NetEntry<NetCreateBoundSocketFn>(kNetCreateBoundSocket);
    return f ? f(kind, port, 0) : -1;
}
inline int NetCreateSocket(int kind) {
    auto f = NetEntry<NetCreateSocketFn>(kNetCreateSocket);
    return f ? f(kind, 0, 0) : -1;
}
inline int NetConnect(int socket, const NetSockAddr* to) {
    auto f = NetEntry<NetConnectFn>(kNetConnect);
    return f ? f(socket, to) : 0;
}
inline int NetSetHandler(int socket, void* handler) {
    auto f = NetEntry<NetSetHandlerFn>(kNetSetHandler);
    return f ? f(socket, handler) : 0;
}
inline int NetClose(int socket) {
    auto f = NetEntry<NetSocketFn>(kNetClose);
    return f ? f(socket) : 0;
}
inline int NetSend(int socket, const void* data, uint32_t length) {
    auto f = NetEntry<NetSendFn>(kNetSend);
    return f ? f(socket, data, length) : 0;
}
inline int NetStartReceive(int socket) {
    auto f = NetEntry<NetSocketFn>(kNetStartReceive);
    return f ? f(socket) : 0;
}
inline int NetStreamStartReceive(int socket) {
    auto f = NetEntry<NetSocketFn>(kNetStreamStartReceive);
    return f ? f(socket) : 0;
}
inline int NetSendTo(int socket, const void* data, uint32_t length, const NetSockAddr* to) {
    auto f = NetEntry<NetSendToFn>(kNetSendTo);
    return f ? f(socket, data, length, to) : 0;
}
inline int NetPostReceiveFrom(int socket, uint32_t max_length) {
    auto f = NetEntry<NetPostReceiveFromFn>(kNetPostReceiveFrom);
    return f ? f(socket, max_length) : 0;
}
inline int NetFreeBuffer(void* buffer) {
    auto f = NetEntry<NetFreeBufferFn>(kNetFreeBuffer);
    return f ? f(buffer) : 0;
}
inline int NetDestroySocket(int socket) {
    auto f = NetEntry<NetSocketFn>(kNetDestroySocket);
    return f ? f(socket) : 0;
}
inline int NetConnectionCount() {
    auto f = NetEntry<NetConnectionCountFn>(kNetConnectionCount);
    return f ? f() : 0;
}
inline int NetGetPeerAddress(int socket, NetSockAddr* address) {
    auto f = NetEntry<NetAddressFn>(kNetGetPeerAddress);
    return f ? f(socket, address, sizeof(NetSockAddr)) : -1;
}
inline int NetGetLocalAddress(int socket, NetSockAddr* address) {
    auto f = NetEntry<NetAddressFn>(kNetGetLocalAddress);
    return f ? f(socket, address, sizeof(NetSockAddr)) : -1;
}
inline int NetPendingSendCount(int socket) {
    auto f = NetEntry<NetSocketFn>(kNetPendingSendCount);
    return f ? f(socket) : 0;
}
inline int NetStreamSend(int socket, const void* data, uint32_t length) {
    auto f = NetEntry<NetSendFn>(kNetStreamSend);
    return f ? f(socket, data, length) : 0;
}
inline int NetSetSocketValue(int socket, int value) {
    auto f = NetEntry<NetSetSocketValueFn>(kNetSetSocketValue);
    return f ? f(socket, value) : 0;
}
