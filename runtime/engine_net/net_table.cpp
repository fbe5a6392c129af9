// TS_XXXX: fills the 64 slots of a NetTable. Slots the engine never calls hold trap stubs
// that log the slot and return 0. Filling the table is all it does: it may run under the
// loader lock.
#include <cstdlib>
#include <utility>

#include "core_link.h"
#include "net_entries.h"
#include "net_settings.h"

namespace kuz {

namespace {

template <int Slot>
int ENGINE_CALL TrapStub() {
    try {
        CoreLogNumber("unexpected NetTable entry %d", Slot);
        if (TrapAborts()) std::abort();
    } catch (...) {
        // A trap report that cannot be logged must not throw through the table entry.
    }
    return 0;
}

template <int... Slots>
void FillTraps(uint32_t* table, std::integer_sequence<int, Slots...>) {
    ((table[Slots] = ToWord(&TrapStub<Slots>)), ...);
}

template <class Fn>
void Put(uint32_t* table, int slot, Fn entry) {
    table[slot] = ToWord(entry);
}

}  // namespace

void FillNetTable(uint32_t* table) {
    FillTraps(table, std::make_integer_sequence<int, kFunctionTableSlots>{});
    Put(table, kNetStartup, &NetStartup);
    Put(table, kNetCleanup, &NetCleanup);
    Put(table, kNetCreateBoundSocket, &NetCreateBoundSocket);
    Put(table, kNetCreateSocket, &NetCreateSocket);
    Put(table, kNetConnect, &NetConnect);
    Put(table, kNetSetHandler, &NetSetHandler);
    Put(table, kNetClose, &NetClose);
    Put(table, kNetSend, &NetSend);
    Put(table, kNetStartReceive, &NetStartReceive);
    Put(table, kNetStreamStartReceive, &NetStreamStartReceive);
    Put(table, kNetSendTo, &NetSendTo);
    Put(table, kNetPostReceiveFrom, &NetPostReceiveFrom);
    Put(table, kNetFreeBuffer, &NetFreeBuffer);
    Put(table, kNetDestroySocket, &NetDestroySocket);
    Put(table, kNetConnectionCount, &NetConnectionCount);
    Put(table, kNetGetPeerAddress, &NetGetPeerAddress);
    Put(table, kNetGetLocalAddress, &NetGetLocalAddress);
    Put(table, kNetPendingSendCount, &NetPendingSendCount);
    Put(table, kNetStreamSend, &NetStreamSend);
    Put(table, kNetSetSocketValue, &NetSetSocketValue);
}

}  // namespace kuz

ENGINE_EXPORT int ENGINE_CALL TS_XXXX(uint32_t* table) {
    if (!table) return 0;
    kuz::FillNetTable(table);
    return 1;
}
