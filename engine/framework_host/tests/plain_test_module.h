// A module registration for unit tests: type 4242, whose components are plain message objects.
#pragma once

#include "message_object.h"
#include "outside_abi.h"

namespace plain_test_module {

struct Component : CMessageObject {};

inline uint32_t ENGINE_CALL CreateComponent(void*) {
    return (new Component)->AsTarget();
}

inline int ENGINE_CALL DestroyComponent(uint32_t handle) {
    delete CMessageObject::FromTarget(handle);
    return 1;
}

inline ModuleRegistration* ENGINE_CALL TestModule(ModuleRegistration* r) {
    *r = {kModuleInterfaceVersion, 4242, &CreateComponent, &DestroyComponent};
    return r;
}

}  // namespace plain_test_module
