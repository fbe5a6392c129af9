// ZUB.DLL (component type 1003): registers its type and never creates a component, so a host
// always has a create request that fails.
#include "message_object_destroy.h"
#include "module_binding.h"

namespace {
constexpr int32_t kSpareType = 1003;

uint32_t ENGINE_CALL Create(void*) {
    return 0;
}
}  // namespace

ENGINE_EXPORT ModuleRegistration* ENGINE_CALL TS_XXXX(ModuleRegistration* registration) {
    *registration = {kModuleInterfaceVersion, kSpareType, &Create, &DestroyMessageObject};
    return registration;
}
