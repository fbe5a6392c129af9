// The framework host's central object: it owns the SysInfoBlock, loads the module libraries,
// creates and deletes components on request and handles every message with target 0.
#pragma once

#include <cstdint>

#include "component_table.h"
#include "message_object.h"
#include "port_list_publisher.h"
#include "sys_info_block.h"
#include "tcp_acceptor.h"
#include "udp_receiver.h"

struct ModuleEntry;

class CFrameworkManager : public CMessageObject {
public:
    // Creates the SysInfoBlock and loads the modules; runs on the host's thread in TS_0001.
    CFrameworkManager();
    ~CFrameworkManager() override;

    int OnMessage(FrameworkMessage* msg) override;

    int LoadModule(const char* file_name);
    int CreateAppItem(uint8_t* block);
    int DeleteAppComponent(int index);
    int DeleteAppWithResourceGUID(const uint8_t guid[16]);
    void ClearAllComponent();
    // Copies the port-list component's GUID, 1 when there is one. One of the manager's fixed
    // operations; nothing in this tree calls it.
    int FindComponentByType(uint8_t out_guid[16]) const;

    CSysInfoBlock& SysInfo() { return m_sys_info; }
    ComponentTable Components() const { return ComponentTable(m_sys_info.Data()); }
    CUdpReceiver& UdpReceiver() { return m_udp_receiver; }
    CTcpAcceptor& TcpAcceptor() { return m_tcp_acceptor; }
    int PublishTimer() const { return m_publish_timer; }

    static constexpr uint32_t kPublishMs = 10000;

private:
    void LoadModules();
    void StartPublishTimer();
    void OnCreateAppComponent(uint8_t* block);
    void OnDeleteAppComponent(void* guid_block);
    void OnDeleteObject(uint32_t object);
    void PublishModulePorts();
    bool IsFrameworkObject(uint32_t object) const;

    CSysInfoBlock m_sys_info;
    CPortListPublisher m_port_list;
    int m_publish_timer = -1;
    CUdpReceiver m_udp_receiver;
    CTcpAcceptor m_tcp_acceptor;
};

// The one manager while the framework runs (null when stopped).
CFrameworkManager* TheFrameworkManager();
CFrameworkManager* CreateFrameworkManager();
// Deletes the manager (when `destroy`) and forgets it either way.
void ReleaseFrameworkManager(bool destroy);
