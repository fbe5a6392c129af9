// Takes the datagrams of the framework's UDP socket and hands each to the component whose
// GUID it carries at offset 12; keeps receives armed, retrying every 500 ms when arming fails.
#pragma once

#include "frame_routing.h"
#include "message_object.h"

class CFrameworkManager;

class CUdpReceiver : public CMessageObject {
public:
    explicit CUdpReceiver(CFrameworkManager& manager) : m_manager(manager) {}
    ~CUdpReceiver() override = default;

    int OnMessage(FrameworkMessage* msg) override;

    static constexpr uint32_t kReceiveSize = 0x8000;
    static constexpr uint32_t kRetryMs = 500;

private:
    void RouteDatagram(const FrameworkMessage& msg);
    void OnRecvUDPFail(const FrameworkMessage& msg);
    void Rearm();

    CFrameworkManager& m_manager;
};

