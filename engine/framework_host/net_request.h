// One short TCP exchange on behalf of a component: connect, send one block, take the first
// reply, close. The result reaches the owner once, as MSG_NET_DATAGRAM (p4 = 1) or as
// MSG_NET_FAILED with a code; the request then has the manager delete it.
#pragma once

#include <cstdint>

#include "message_object.h"
#include "outside_abi.h"

enum NetRequestFailure : uint32_t {
    NET_REQUEST_NO_SOCKET = 1000,
    NET_REQUEST_CONNECT_FAILED = 3000,
    NET_REQUEST_CLOSED = 4000,
    NET_REQUEST_TIMED_OUT = 5000,
};

class CNetRequest : public CMessageObject {
public:
    CNetRequest(CMessageObject* owner, uint32_t ipv4_be, int port, const void* data, uint32_t length);
    ~CNetRequest() override;

    // Creates the socket, starts the connect and the time-out; a failure is reported at once.
    void Start(uint32_t timeout_ms);
    int OnMessage(FrameworkMessage* msg) override;

    // The owner is going away: its result, when it comes, is dropped.
    void ForgetOwner() { m_owner = nullptr; }
    CMessageObject* Owner() const { return m_owner; }

private:
    void OnConnected();
    void OnData(const FrameworkMessage& msg);
    void Finish(uint32_t code);
    void DeleteSelf();

    CMessageObject* m_owner;
    int m_timer = -1;
    int m_socket = -1;
    void* m_data = nullptr;
    uint32_t m_length = 0;
    NetSockAddr m_peer{};
    bool m_reported = false;
};

// The factory whose address every component finds at offset 164 of its CreateParamBlock.
extern "C" void* ENGINE_CALL CreateNetRequest(void* owner, uint32_t ipv4_be, int port, uint32_t timeout_ms,
                                              const void* data, uint32_t length);

// Called after a component's Destroy: requests it made drop their results.
void ForgetRequestOwner(const void* owner);
// Deletes every request still alive (the framework is stopping and the loop has ended).
void DeleteAllNetRequests();
