// A module registration for unit tests: type 4242, whose components are plain message objects.
#pragma once

#include <cstring>

#include "block_bytes.h"
#include "create_param_block.h"
#include "engine_tables.h"
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

// A core block for CreateAppItem asking for a component of `type` whose GUID is 16 bytes of
// `guid_fill`; the manager frees it.
inline uint8_t* CreateBlock(uint8_t guid_fill, uint32_t type = 4242) {
    auto* block = static_cast<uint8_t*>(CoreAlloc(create_param::kMinCopySize));
    WriteU32(block, create_param::kTotalLength, create_param::kMinCopySize);
    WriteU32(block, create_param::kComponentType, type);
    std::memset(block + create_param::kComponentGuid, guid_fill, 16);
    return block;
}

}  // namespace plain_test_module
