// Engine core and network tables for tests of the parts that talk to peers and link servers:
// a virtual clock that the test moves and that fires the timers that fall due on the way, in
// order; every datagram sent and every outgoing request recorded; named shared blocks and
// counted heap blocks in this process. Nothing arrives on its own: a test hands datagrams and
// request replies to the session itself.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine_tables.h"
#include "engine_tick.h"
#include "message_ids.h"
#include "message_object.h"
#include "peers/peer_address.h"

namespace fake_net {

struct Datagram {
    int socket = -1;
    NetSockAddr to{};
    std::vector<uint8_t> bytes;

    uint8_t Type() const { return bytes.size() > 2 ? bytes[2] : 0; }
    uint32_t ToIPv4() const { return SocketAddressIPv4(to); }
    uint16_t ToPort() const { return SocketAddressPort(to); }
};

// One CreateNetRequest the code under test made.
struct Request {
    void* owner = nullptr;
    uint32_t ipv4 = 0;
    int port = 0;
    uint32_t timeout_ms = 0;
    std::vector<uint8_t> bytes;

    uint8_t Type() const { return bytes.size() > 2 ? bytes[2] : 0; }
};

struct Timer {
    uint64_t due = 0;  // virtual milliseconds since Install
    uint32_t period = 0;
    bool repeat = false;
    uint32_t target = 0, sender = 0, id = 0;
};

struct State {
    uint32_t start = 0;
    uint64_t elapsed = 0;
    int next_timer = 1;
    std::map<int, Timer> timers;  // live ones only
    std::vector<Datagram> sent;
    std::vector<Request> requests;
    int next_socket = 100;
    std::map<std::string, std::vector<uint8_t>> shared;
    std::set<void*> blocks;  // CoreAlloc blocks not yet freed
    int bad_frees = 0;
    std::vector<void*> freed_net_buffers;
};

inline State& Get() {
    static State state;
    return state;
}

inline uint32_t Now() {
    return Get().start + static_cast<uint32_t>(Get().elapsed);
}

namespace detail {

inline void* ENGINE_CALL Alloc(uint32_t size, uint32_t, uint32_t) {
    void* block = std::calloc(1, size ? size : 1);
    Get().blocks.insert(block);
    return block;
}
inline int ENGINE_CALL Free(void* block, uint32_t, uint32_t) {
    if (!block) return 0;
    if (!Get().blocks.erase(block)) {
        ++Get().bad_frees;
        return 0;
    }
    std::free(block);
    return 1;
}
// A dead object's timers go with it, as the core purges them.
inline int ENGINE_CALL Unregister(void* object) {
    const uint32_t target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object));
    auto& timers = Get().timers;
    for (auto it = timers.begin(); it != timers.end();) it = it->second.target == target ? timers.erase(it) : std::next(it);
    return 1;
}
inline int ENGINE_CALL LogText(uint32_t, uint32_t, const char*) {
    return 1;
}
inline int ENGINE_CALL LogPrintf(uint32_t, uint32_t, const char*, ...) {
    return 1;
}
inline int ENGINE_CALL RegisterBase(uint32_t) {
    return 1;
}
inline int ENGINE_CALL Post(uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {
    return 1;
}
inline int ENGINE_CALL SetTimer(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender, uint32_t id, uint32_t,
                                uint32_t, uint32_t, uint32_t) {
    const int timer = Get().next_timer++;
    Get().timers[timer] = Timer{Get().elapsed + ms, ms, repeat != 0, target, sender, id};
    return timer;
}
inline int ENGINE_CALL KillTimer(int id) {
    return Get().timers.erase(id) ? 1 : 0;
}
inline int ENGINE_CALL CreateShared(SharedBlockDesc* d) {
    std::string name(d->name, strnlen(d->name, sizeof(d->name)));
    auto it = Get().shared.find(name);
    if (it == Get().shared.end()) it = Get().shared.emplace(name, std::vector<uint8_t>(d->size)).first;
    d->address = it->second.data();
    d->size = static_cast<uint32_t>(it->second.size());
    return 0;
}
inline int ENGINE_CALL OpenShared(SharedBlockDesc* d) {
    std::string name(d->name, strnlen(d->name, sizeof(d->name)));
    auto it = Get().shared.find(name);
    if (it == Get().shared.end()) {
        d->address = nullptr;
        return 2;
    }
    d->address = it->second.data();
    d->size = static_cast<uint32_t>(it->second.size());
    return 0;
}
inline int ENGINE_CALL CloseShared(SharedBlockDesc* d) {
    d->address = nullptr;
    return 0;
}

template <class Fn>
void Put(uint32_t* table, int slot, Fn fn) {
    table[slot] = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(fn));
}

inline int ENGINE_CALL CoreTs(uint32_t* table) {
    Put(table, kCoreAlloc, &Alloc);
    Put(table, kCoreFree, &Free);
    Put(table, kCorePostMessage, &Post);
    Put(table, kCoreUnregisterObject, &Unregister);
    Put(table, kCoreLogText, &LogText);
    Put(table, kCoreLogPrintf, &LogPrintf);
    Put(table, kCoreRegisterNetMessageBase, &RegisterBase);
    Put(table, kCoreRegisterMessageBase, &RegisterBase);
    Put(table, kCoreSetTimer, &SetTimer);
    Put(table, kCoreKillTimer, &KillTimer);
    Put(table, kCoreCreateSharedBlock, &CreateShared);
    Put(table, kCoreOpenSharedBlock, &OpenShared);
    Put(table, kCoreCloseSharedBlock, &CloseShared);
    return 1;
}

inline int ENGINE_CALL CreateSocket(int, int, uint32_t) {
    return Get().next_socket++;
}
inline int ENGINE_CALL SocketCall(int) {
    return 1;
}
inline int ENGINE_CALL SetHandler(int, void*) {
    return 1;
}
inline int ENGINE_CALL SendTo(int socket, const void* data, uint32_t length, const NetSockAddr* to) {
    Datagram d;
    d.socket = socket;
    d.to = *to;
    d.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    Get().sent.push_back(std::move(d));
    return 1;
}
inline int ENGINE_CALL FreeBuffer(void* buffer) {
    Get().freed_net_buffers.push_back(buffer);
    return 1;
}
inline int ENGINE_CALL Address(int, NetSockAddr* address, int) {
    std::memset(address, 0, sizeof(*address));
    return -1;
}

inline int ENGINE_CALL NetTs(uint32_t* table) {
    Put(table, kNetCreateBoundSocket, &CreateSocket);
    Put(table, kNetCreateSocket, &CreateSocket);
    Put(table, kNetSetHandler, &SetHandler);
    Put(table, kNetClose, &SocketCall);
    Put(table, kNetDestroySocket, &SocketCall);
    Put(table, kNetStartReceive, &SocketCall);
    Put(table, kNetStreamStartReceive, &SocketCall);
    Put(table, kNetSendTo, &SendTo);
    Put(table, kNetFreeBuffer, &FreeBuffer);
    Put(table, kNetGetPeerAddress, &Address);
    Put(table, kNetGetLocalAddress, &Address);
    return 1;
}

inline char g_request_token;

}  // namespace detail

// The framework's CreateNetRequest: records the request and hands back a token.
inline void* ENGINE_CALL CreateNetRequest(void* owner, uint32_t ipv4_be, int port, uint32_t timeout_ms,
                                          const void* data, uint32_t length) {
    Request r{owner, ipv4_be, port, timeout_ms, {}};
    r.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + length);
    Get().requests.push_back(std::move(r));
    return &detail::g_request_token;
}

// Fresh state, both tables bound, the engine clock at `start`.
inline void Install(uint32_t start) {
    Get() = State{};
    Get().start = start;
    UnbindTablesForTest();
    BindCoreTableFrom(&detail::CoreTs);
    BindNetTableFrom(&detail::NetTs);
    SetEngineTickSource(&Now);
}

inline void Uninstall() {
    SetEngineTickSource(nullptr);
    UnbindTablesForTest();
}

// Moves the clock on by `ms`, delivering MSG_TIMER for every timer that falls due on the way,
// earliest first, with the clock standing at its due time.
inline void Advance(uint32_t ms) {
    const uint64_t end = Get().elapsed + ms;
    for (;;) {
        auto next = Get().timers.end();
        for (auto it = Get().timers.begin(); it != Get().timers.end(); ++it)
            if (it->second.due <= end && (next == Get().timers.end() || it->second.due < next->second.due)) next = it;
        if (next == Get().timers.end()) break;
        Timer timer = next->second;
        Get().elapsed = timer.due;
        if (timer.repeat) {
            next->second.due += timer.period ? timer.period : 1;
        } else {
            Get().timers.erase(next);
        }
        FrameworkMessage msg{timer.target, timer.sender, timer.id, 0, 0, 0, 0, 0};
        CMessageObject::FromTarget(timer.target)->OnMessage(&msg);
    }
    Get().elapsed = end;
}

inline std::vector<Datagram> SentOfType(uint8_t type) {
    std::vector<Datagram> out;
    for (const Datagram& d : Get().sent)
        if (d.Type() == type) out.push_back(d);
    return out;
}

inline void ClearSent() {
    Get().sent.clear();
    Get().requests.clear();
}

}  // namespace fake_net
