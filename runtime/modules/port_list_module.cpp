// WIX.DLL, the port-list party (component type 1002): each component creates the block, named
// by its GUID in the platform's text form, into which the framework writes the live ports.
#include <cstring>
#include <new>

#include "engine_tables.h"
#include "message_object.h"
#include "message_object_destroy.h"
#include "module_binding.h"
#include "platform.h"

namespace {
constexpr int32_t kPortListType = 1002;
constexpr uint32_t kGuidOffset = 140;
constexpr uint32_t kBlockSize = 152 + 5 * 32;

class CPortListComponent : public CMessageObject {
public:
    bool Open(const uint8_t guid[16]) {
        char name[37];
        if (!platform::GuidToPlatformString(guid, name)) return false;
        std::memcpy(m_desc.name, name, sizeof(name));
        m_desc.size = kBlockSize;
        return CoreCreateSharedBlock(&m_desc) == 0 && m_desc.address;
    }
    ~CPortListComponent() override {
        if (m_desc.address) CoreCloseSharedBlock(&m_desc);
    }
    int OnMessage(FrameworkMessage* msg) override {
        if (msg->id >= 503 && msg->id <= 507) CoreFree(FromWord<void>(msg->p1));
        return 0;
    }

private:
    SharedBlockDesc m_desc{};
};

uint32_t ENGINE_CALL Create(void* block) {
    try {
        auto* component = new (std::nothrow) CPortListComponent;
        if (!component) return 0;
        if (!component->Open(static_cast<const uint8_t*>(block) + kGuidOffset)) {
            CoreLogText("WIX: port-list block not created");
            delete component;
            return 0;
        }
        return component->AsTarget();
    } catch (...) {
        return 0;
    }
}
}  // namespace

ENGINE_EXPORT ModuleRegistration* ENGINE_CALL TS_XXXX(ModuleRegistration* registration) {
    *registration = {kModuleInterfaceVersion, kPortListType, &Create, &DestroyMessageObject};
    return registration;
}
