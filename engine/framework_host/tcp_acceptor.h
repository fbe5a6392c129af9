// Takes the connections of the framework's TCP listeners. A connection's first data names
// the component it is for (GUID at offset 12); the connection is handed over to it, or
// refused with an 8-byte answer and closed. Blocked peer addresses are refused at once.
#pragma once

#include <cstdint>

#include "block_list.h"
#include "message_object.h"
#include "waiting_connections.h"

class CFrameworkManager;

class CTcpAcceptor : public CMessageObject {
public:
    explicit CTcpAcceptor(CFrameworkManager& manager);
    // Closes and destroys every connection still waiting for its first data.
    ~CTcpAcceptor() override;

    int OnMessage(FrameworkMessage* msg) override;

    void BlockAddress(uint32_t ipv4_be);
    BlockList& Blocked() { return m_blocked; }

    static constexpr uint32_t kSweepMs = 1000;

private:
    void OnAccept(uint32_t socket);
    void OnFirstData(const FrameworkMessage& msg);
    void OnClosed(const FrameworkMessage& msg);
    void SweepSilent();
    void EnsureSweepTimer();

    CFrameworkManager& m_manager;
    WaitingConnections m_waiting;
    BlockList m_blocked;
    int m_sweep_timer = -1;
    uint32_t m_evicted = 0;  // pushed out since the last sweep (logged there, once)
};
