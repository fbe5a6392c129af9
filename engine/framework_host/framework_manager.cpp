#include "framework_manager.h"

#include <cstring>
#include <new>
#include <string>

#include "block_bytes.h"
#include "create_param_block.h"
#include "engine_tables.h"
#include "host_command_router.h"
#include "listening_ports.h"
#include "message_ids.h"
#include "module_name_queue.h"
#include "module_table.h"
#include "net_request.h"
#include "platform.h"
#include "seh_guard.h"

namespace {
CFrameworkManager* g_manager = nullptr;

// Host programs and the module each one brings.
struct HostProgramModule {
    const char* program;
    const char* module;
};
constexpr HostProgramModule kHostProgramModules[] = {
    {"QEB.exe", "JEV.DLL"},
    {"Vashet.exe", "ZOQ.DLL"},
    {"Pontrel.exe", "DRX.DLL"},
    {"Quelbor.exe", "FOJ.DLL"},
};
constexpr const char* kPortListModule = "WIX.DLL";
constexpr const char* kSpareModule = "ZUB.DLL";

const char* ModuleName(uint32_t module_entry) {
    const auto* entry = FromWord<const ModuleEntry>(module_entry);
    return entry ? entry->name : "";
}

struct ValidityProbe {
    uint32_t object;
    uint32_t word;
};
void ReadValidity(void* arg) {
    auto* probe = static_cast<ValidityProbe*>(arg);
    probe->word = ReadValidityWord(FromWord<const void>(probe->object));
}
// The validity word of an object that may not be readable at all.
uint32_t SafeValidityWord(uint32_t object) {
    ValidityProbe probe{object, 0};
    FaultInfo fault{};
    if (RunRecoverGuard(&ReadValidity, &probe, &fault)) return 0;
    return probe.word;
}
}  // namespace

CFrameworkManager* TheFrameworkManager() {
    return g_manager;
}

CFrameworkManager* CreateFrameworkManager() {
    g_manager = new (std::nothrow) CFrameworkManager;
    return g_manager;
}

void ReleaseFrameworkManager(bool destroy) {
    if (destroy) delete g_manager;
    g_manager = nullptr;
}

CFrameworkManager::CFrameworkManager() : m_udp_receiver(*this), m_tcp_acceptor(*this) {
    m_sys_info.Create();
    m_sys_info.Fill();
    LoadModules();
}

CFrameworkManager::~CFrameworkManager() {
    CoreKillTimer(m_publish_timer);
    m_publish_timer = -1;
    m_sys_info.Close();
    // The acceptor and the receiver are destroyed after this body, as members.
}

void CFrameworkManager::LoadModules() {
    const char* command_line = platform::CommandLine();
    for (const auto& host : kHostProgramModules) {
        if (platform::StrStrI(command_line, host.program)) LoadModule(host.module);
    }
    if (LoadModule(kPortListModule) > 0) StartPublishTimer();
    LoadModule(kSpareModule);
    for (const std::string& name : TakeModuleNames()) LoadModule(name.c_str());
}

void CFrameworkManager::StartPublishTimer() {
    m_publish_timer = CoreSetTimer(kPublishMs, 1, AsTarget(), AsTarget(), MSG_FRAMEWORK_TIMER, 1, 2, 3, 4);
}

int CFrameworkManager::LoadModule(const char* file_name) {
    return Modules().Load(file_name);
}

int CFrameworkManager::OnMessage(FrameworkMessage* msg) {
    switch (msg->id) {
        case MSG_HOST_COMMAND: RouteHostCommand(Components(), msg->p1, FromWord<void>(msg->p2), msg->p3); break;
        case MSG_CREATE_COMPONENT: OnCreateAppComponent(FromWord<uint8_t>(msg->p1)); break;
        case MSG_DELETE_COMPONENT: OnDeleteAppComponent(FromWord<void>(msg->p1)); break;
        case MSG_FRAMEWORK_TIMER: PublishModulePorts(); break;
        case MSG_DELETE_OBJECT: OnDeleteObject(msg->p1); break;
        case MSG_BLOCK_ADDRESS: m_tcp_acceptor.BlockAddress(msg->p1); break;
        default: break;
    }
    return 0;
}

void CFrameworkManager::OnCreateAppComponent(uint8_t* block) {
    if (!block) return;
    WriteU32(block, create_param::kUdpSocket, static_cast<uint32_t>(FrameworkSockets().udp_socket));
    WriteU32(block, create_param::kSysInfoBlock, ToWord(m_sys_info.Data()));
    WriteU32(block, create_param::kCreateNetRequest,
             ToWord(&CreateNetRequest));
    CreateAppItem(block);
}

int CFrameworkManager::CreateAppItem(uint8_t* block) {
    ComponentTable components = Components();
    const int32_t type = static_cast<int32_t>(ReadU32(block, create_param::kComponentType));
    const uint8_t* guid = block + create_param::kComponentGuid;
    CoreLogPrintf("CreateAppItem %d", components.Count());
    if (type == COMPONENT_TYPE_LIVE) CoreLogText("Create Live AppModule");

    const ModuleEntry* module = Modules().FindByType(type);
    if (module) {
        const int duplicate = components.FindByGuid(guid);
        if (duplicate >= 0) {
            CoreLogPrintf("reduplicate module %d %s", components.Count(), module->name);
            DeleteAppComponent(duplicate);
        }
    }
    if (module && !components.Full()) {
        CoreLogPrintf("CreateAppItem: CreateComponent %d %s", components.Count(), module->name);
        if (type == COMPONENT_TYPE_LIVE) CoreLogText("before Create Live AppModule");
        uint32_t handle = 0;
        try {
            handle = module->registration.create ? module->registration.create(block) : 0;
        } catch (...) {
            handle = 0;
        }
        if (type == COMPONENT_TYPE_LIVE) CoreLogText("before Create Live AppModule");
        if (handle) {
            ComponentRecord record{};
            std::memcpy(record.guid, guid, 16);
            record.type = type;
            record.handle = handle;
            record.param_block = ToWord(block);
            record.module_entry = ToWord(module);
            components.Append(record);
            return 1;
        }
    }
    CoreLogPrintf("CreateAppItem failed %d", components.Count());
    CoreFree(block);
    return -1;
}

int CFrameworkManager::DeleteAppComponent(int index) {
    ComponentTable components = Components();
    if (index < 0 || index >= components.Count()) return -1;
    const ComponentRecord record = components.Row(index);
    const auto* module = FromWord<const ModuleEntry>(record.module_entry);
    CoreLogPrintf("before DO DeleteAppComponent %s", ModuleName(record.module_entry));
    if (module && module->registration.destroy) {
        try {
            module->registration.destroy(record.handle);
        } catch (...) {
            // A module that throws from its destroy entry still has its component removed.
        }
    }
    // Requests the component made may still report; their results now go nowhere.
    ForgetRequestOwner(FromWord<const void>(record.handle));
    CoreLogPrintf("DO DeleteAppComponent %s", ModuleName(record.module_entry));
    CoreFree(FromWord<void>(record.param_block));
    components.Remove(index);
    return 1;
}

int CFrameworkManager::DeleteAppWithResourceGUID(const uint8_t guid[16]) {
    const int row = Components().FindByGuid(guid);
    return row < 0 ? -1 : DeleteAppComponent(row);
}

void CFrameworkManager::OnDeleteAppComponent(void* guid_block) {
    try {
        if (guid_block) DeleteAppWithResourceGUID(static_cast<const uint8_t*>(guid_block));
    } catch (...) {
        CoreLogText("CFrameworkManager::OnDeleteAppComponent exception DeleteAppWithResourceGUID error.");
    }
    CoreFree(guid_block);
}

void CFrameworkManager::ClearAllComponent() {
    ComponentTable components = Components();
    const int count_at_start = components.Count();
    CoreLogPrintf("ClearAllComponent %d", count_at_start);
    int index = 0;
    for (; index < count_at_start; ++index) {
        try {
            const ComponentRecord record = components.Row(index);
            void* guid_block = CoreAlloc(16);
            if (guid_block) {
                std::memcpy(guid_block, record.guid, 16);
                if (!CorePostMessage(0, 0, MSG_DELETE_COMPONENT, ToWord(guid_block))) CoreFree(guid_block);
            }
            CoreLogPrintf("start DeleteAppComponent (%d,%d,%d) %s", index, count_at_start, components.Count(),
                          ModuleName(record.module_entry));
        } catch (...) {
            CoreLogPrintf("CFrameworkManager::ClearAllComponent exception DeleteAppComponent %d error.", index);
        }
    }
    CoreLogPrintf("end DeleteAppComponent (%d,%d,%d)", index, count_at_start, components.Count());
}

int CFrameworkManager::FindComponentByType(uint8_t out_guid[16]) const {
    const ComponentTable components = Components();
    const int row = components.FindByType(COMPONENT_TYPE_PORT_LIST);
    if (row < 0) return 0;
    std::memcpy(out_guid, components.Row(row).guid, 16);
    return 1;
}

bool CFrameworkManager::IsFrameworkObject(uint32_t object) const {
    if (object == ToWord(this) || object == ToWord(&m_udp_receiver) ||
        object == ToWord(&m_tcp_acceptor)) {
        return true;
    }
    const ComponentTable components = Components();
    for (int i = 0; i < components.Count(); ++i) {
        if (components.Row(i).handle == object) return true;
    }
    return false;
}

void CFrameworkManager::OnDeleteObject(uint32_t object) {
    if (!object || SafeValidityWord(object) != OBJECT_ALIVE) return;
    // The manager, its parts and the components are deleted only by their own owners.
    if (IsFrameworkObject(object)) {
        CoreLogPrintf("OnDeleteObject: %p is owned by the framework; not deleted", FromWord<void>(object));
        return;
    }
    delete CMessageObject::FromTarget(object);
}

void CFrameworkManager::PublishModulePorts() {
    m_port_list.Publish(Components());
}
