// The engine core's table entries over the installed world: heap blocks, the queue and its
// purge, timers, logs and named shared blocks, each for the node that is current.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine_tables.h"
#include "sim_world.h"
#include "table_slots.h"

namespace sim {

namespace {

World& W() {
    return *World::Current();
}

Node* Caller() {
    Node* node = W().CurrentNode();
    return node && node->Alive() ? node : nullptr;
}

void* ENGINE_CALL Alloc(uint32_t size, uint32_t, uint32_t) {
    return W().Alloc(size);
}

int ENGINE_CALL Free(void* block, uint32_t, uint32_t) {
    return W().Free(block) ? 1 : 0;
}

int ENGINE_CALL Post(uint32_t target, uint32_t sender, uint32_t id, uint32_t p1, uint32_t p2, uint32_t p3,
                     uint32_t p4) {
    Node* node = Caller();
    if (!node) return 0;
    W().Dispatch().Post(node, FrameworkMessage{target, sender, id, p1, p2, p3, p4, 0});
    return 1;
}

int ENGINE_CALL GetMessage(FrameworkMessage*) {
    return 0;  // the world delivers; nobody in a run waits on the queue
}

int ENGINE_CALL ShutdownQueue() {
    return 1;
}

int ENGINE_CALL Unregister(void* object) {
    const uint32_t target = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(object));
    W().Dispatch().Unregister(target);
    if (Node* node = W().CurrentNode()) W().Net().ForgetHandler(node, object);
    return 1;
}

int ENGINE_CALL Wait(void*, uint32_t) {
    return -1;
}

int ENGINE_CALL LogText(uint32_t, uint32_t, const char* text) {
    W().LogLine(text ? text : "");
    return 1;
}

int ENGINE_CALL LogPrintf(uint32_t, uint32_t, const char* format, ...) {
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format ? format : "", args);
    va_end(args);
    W().LogLine(text);
    return 1;
}

int ENGINE_CALL RegisterBase(uint32_t) {
    return 1;
}

int ENGINE_CALL SetTimer(uint32_t ms, uint32_t repeat, uint32_t target, uint32_t sender, uint32_t id, uint32_t p1,
                         uint32_t p2, uint32_t p3, uint32_t p4) {
    Node* node = Caller();
    if (!node) return -1;
    return W().Dispatch().SetTimer(node, ms, repeat != 0, FrameworkMessage{target, sender, id, p1, p2, p3, p4, 0});
}

int ENGINE_CALL KillTimer(int id) {
    return W().Dispatch().KillTimer(id) ? 1 : 0;
}

std::string BlockName(const SharedBlockDesc* d) {
    return std::string(d->name, strnlen(d->name, sizeof(d->name)));
}

constexpr int kNotFound = 2;
constexpr int kNoNode = 5;

int ENGINE_CALL CreateShared(SharedBlockDesc* d) {
    Node* node = Caller();
    if (!node) {
        d->address = nullptr;
        return kNoNode;
    }
    uint32_t mapped = 0;
    d->address = node->CreateBlock(BlockName(d), d->size, &mapped);
    d->size = mapped;
    return 0;
}

int ENGINE_CALL OpenShared(SharedBlockDesc* d) {
    Node* node = Caller();
    uint32_t mapped = 0;
    d->address = node ? node->OpenBlock(BlockName(d), &mapped) : nullptr;
    if (!d->address) return kNotFound;
    d->size = mapped;
    return 0;
}

int ENGINE_CALL CloseShared(SharedBlockDesc* d) {
    if (Node* node = W().CurrentNode(); node && d->address) node->CloseBlock(d->address);
    d->address = nullptr;
    return 0;
}

}  // namespace

int CoreTableOfWorld(uint32_t* table) {
    PutEntry(table, kCoreAlloc, &Alloc);
    PutEntry(table, kCoreFree, &Free);
    PutEntry(table, kCorePostMessage, &Post);
    PutEntry(table, kCoreGetMessage, &GetMessage);
    PutEntry(table, kCoreShutdownQueue, &ShutdownQueue);
    PutEntry(table, kCoreUnregisterObject, &Unregister);
    PutEntry(table, kCoreWait, &Wait);
    PutEntry(table, kCoreLogText, &LogText);
    PutEntry(table, kCoreLogPrintf, &LogPrintf);
    PutEntry(table, kCoreRegisterNetMessageBase, &RegisterBase);
    PutEntry(table, kCoreRegisterMessageBase, &RegisterBase);
    PutEntry(table, kCoreSetTimer, &SetTimer);
    PutEntry(table, kCoreKillTimer, &KillTimer);
    PutEntry(table, kCoreCreateSharedBlock, &CreateShared);
    PutEntry(table, kCoreOpenSharedBlock, &OpenShared);
    PutEntry(table, kCoreCloseSharedBlock, &CloseShared);
    return 1;
}

}  // namespace sim
