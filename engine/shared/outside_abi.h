// The binary interface between the engine libraries and the outside components they bind:
// the message record, the shared-block descriptor, the module registration record, the
// slots of the core and network function tables and one function-pointer type per slot.
// Every engine binary and every stand-in includes this one header.
#pragma once

#include <cstddef>
#include <cstdint>

static_assert(sizeof(void*) == 4, "message words, component rows and parameter blocks hold 32-bit pointers");

// The one conversion between a pointer and the 32-bit word that carries it in a message, a
// table slot or a parameter block; lossless because of the assertion above.
template <class T>
inline uint32_t ToWord(T* p) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}
template <class T>
inline T* FromWord(uint32_t word) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(word));
}

#if defined(_WIN32)
#define ENGINE_CALL __cdecl
#else
#define ENGINE_CALL
#endif

#if defined(_WIN32)
// Windows exports come from the .def files alone, so no other symbol leaks into a table.
#define ENGINE_EXPORT extern "C"
#else
#define ENGINE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// One queued message: eight 32-bit words.
struct FrameworkMessage {
    uint32_t target;  // receiving CMessageObject, 0 = the framework manager
    uint32_t sender;  // sending object, or the socket id for network events
    uint32_t id;
    uint32_t p1;
    uint32_t p2;
    uint32_t p3;
    uint32_t p4;
    uint32_t extra;   // never read by the engine; printed when a message is logged as faulty
};
static_assert(sizeof(FrameworkMessage) == 32);

// Named shared block: the caller fills the name (and the size to create); the core fills the rest.
struct SharedBlockDesc {
    char name[260];
    void* address;
    uint32_t size;
};
static_assert(sizeof(SharedBlockDesc) == 268);
static_assert(offsetof(SharedBlockDesc, address) == 260);
static_assert(offsetof(SharedBlockDesc, size) == 264);

// IPv4 socket address with the layout of the platform's sockaddr_in (16 bytes).
struct NetSockAddr {
    uint16_t family;   // 2
    uint16_t port_be;  // network order
    uint32_t addr_be;  // network order
    uint8_t zero[8];
};
static_assert(sizeof(NetSockAddr) == 16);

using ModuleCreateFn = uint32_t(ENGINE_CALL*)(void* create_param_block);
using ModuleDestroyFn = int(ENGINE_CALL*)(uint32_t component_handle);

// Filled by a module's TS_XXXX.
struct ModuleRegistration {
    uint32_t version;  // kModuleInterfaceVersion
    int32_t type;      // component type this module creates
    ModuleCreateFn create;
    ModuleDestroyFn destroy;
};
static_assert(sizeof(ModuleRegistration) == 16);

constexpr uint32_t kModuleInterfaceVersion = 0x10000;

// The framework host's factory of one-shot outgoing TCP exchanges; a component finds its
// address at offset 164 of its CreateParamBlock. Returns the request (null when out of memory).
using CreateNetRequestFn = void*(ENGINE_CALL*)(void* owner, uint32_t ipv4_be, int port, uint32_t timeout_ms,
                                               const void* data, uint32_t length);
constexpr int kFunctionTableSlots = 64;

// Slots of the core table, counted from 0. Only these are called.
enum CoreSlot : int {
    kCoreAlloc = 1,
    kCoreFree = 2,
    kCorePostMessage = 4,
    kCoreGetMessage = 5,
    kCoreShutdownQueue = 6,
    kCoreUnregisterObject = 8,
    kCoreWait = 10,
    kCoreLogText = 12,
    kCoreLogPrintf = 13,
    kCoreRegisterNetMessageBase = 14,
    kCoreRegisterMessageBase = 15,
    kCoreSetTimer = 17,
    kCoreKillTimer = 18,
    kCoreCreateSharedBlock = 19,
    kCoreOpenSharedBlock = 20,
    kCoreCloseSharedBlock = 21,
};

// Slots of the network table, counted from 0. Only these are called.
enum NetSlot : int {
    kNetStartup = 1,
    kNetCleanup = 2,
    kNetCreateBoundSocket = 3,
    kNetCreateSocket = 4,
    kNetConnect = 5,
    kNetSetHandler = 7,
    kNetClose = 8,
    kNetSend = 9,
    kNetStartReceive = 10,
    kNetStreamStartReceive = 12,
    kNetSendTo = 13,
    kNetPostReceiveFrom = 15,
    kNetFreeBuffer = 16,
    kNetDestroySocket = 17,
    kNetConnectionCount = 19,
    kNetGetPeerAddress = 25,
    kNetGetLocalAddress = 26,
    kNetPendingSendCount = 27,
    kNetStreamSend = 28,
    kNetSetSocketValue = 32,
};

// Socket kinds of NetCreateBoundSocket / NetCreateSocket.
enum NetSocketKind : int {
    kNetKindTcp = 2,     // message-framed TCP (listener or connection)
    kNetKindStream = 4,  // raw byte-stream listener for local media players
    kNetKindUdp = 5,
};

// NetCreateBoundSocket failure results.
constexpr int kNetPortInUse = -2;
constexpr int kNetRetryable = -3;

// Core entries.
using CoreAllocFn = void*(ENGINE_CALL*)(uint32_t size, uint32_t, uint32_t);
using CoreFreeFn = int(ENGINE_CALL*)(void* block, uint32_t, uint32_t);
using CorePostMessageFn = int(ENGINE_CALL*)(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1,
                                            uint32_t p2, uint32_t p3, uint32_t p4);
using CoreGetMessageFn = int(ENGINE_CALL*)(FrameworkMessage* msg);
using CoreShutdownQueueFn = int(ENGINE_CALL*)();
using CoreUnregisterObjectFn = int(ENGINE_CALL*)(void* object);
using CoreWaitFn = int(ENGINE_CALL*)(void* event, uint32_t ms);
using CoreLogTextFn = int(ENGINE_CALL*)(uint32_t, uint32_t, const char* text);
using CoreLogPrintfFn = int(ENGINE_CALL*)(uint32_t, uint32_t, const char* format, ...);
using CoreRegisterNetMessageBaseFn = int(ENGINE_CALL*)(uint32_t base);
using CoreRegisterMessageBaseFn = int(ENGINE_CALL*)(uint32_t base);
using CoreSetTimerFn = int(ENGINE_CALL*)(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender,
                                         uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3, uint32_t p4);
using CoreKillTimerFn = int(ENGINE_CALL*)(int timer_id);
using CoreSharedBlockFn = int(ENGINE_CALL*)(SharedBlockDesc* desc);

// Network entries.
using NetStartupFn = int(ENGINE_CALL*)(uint32_t, uint32_t);
using NetCleanupFn = int(ENGINE_CALL*)();
using NetCreateBoundSocketFn = int(ENGINE_CALL*)(int kind, int port, uint32_t);
using NetCreateSocketFn = int(ENGINE_CALL*)(int kind, int, uint32_t);
using NetConnectFn = int(ENGINE_CALL*)(int socket, const NetSockAddr* to);
using NetSetHandlerFn = int(ENGINE_CALL*)(int socket, void* handler);
using NetSocketFn = int(ENGINE_CALL*)(int socket);
using NetSendFn = int(ENGINE_CALL*)(int socket, const void* data, uint32_t length);
using NetSendToFn = int(ENGINE_CALL*)(int socket, const void* data, uint32_t length, const NetSockAddr* to);
using NetPostReceiveFromFn = int(ENGINE_CALL*)(int socket, uint32_t max_length);
using NetFreeBufferFn = int(ENGINE_CALL*)(void* buffer);
using NetConnectionCountFn = int(ENGINE_CALL*)();
using NetAddressFn = int(ENGINE_CALL*)(int socket, NetSockAddr* address, int length);
using NetSetSocketValueFn = int(ENGINE_CALL*)(int socket, int value);

// Export of QUIB.DLL, KUZ.DLL and every module library.
using TsXxxxTableFn = int(ENGINE_CALL*)(uint32_t* table);
using TsXxxxModuleFn = ModuleRegistration*(ENGINE_CALL*)(ModuleRegistration* registration);
