// The destroy entry of a stand-in module whose components are message objects.
#pragma once

#include "message_object.h"

inline int ENGINE_CALL DestroyMessageObject(uint32_t handle) {
    delete CMessageObject::FromTarget(handle);
    return 1;
}
