// ZUB.DLL (component type 1003): registers its type and never creates a component, so a host
// always has a create request that fails.
#include "message_object.h"
#include "module_binding.h"

namespace {
constexpr int32_t kSpareType = 1003;

uint32_t ENGINE_CALL Create(void*) {
    return 0;
}

int ENGINE_CALL Destroy(uint32_t handle) {
    delete CMessageObject::FromTarget(handle);
    return 1;
}
}  // namespace

ENGINE_EXPORT ModuleRegistration* ENGINE_CALL TS_XXXX(ModuleRegistration* registration) {
    *registration = {kModuleInterfaceVersion, kSpareType, &Create, &Destroy};
    return registration;
}
