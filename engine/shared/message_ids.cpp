#include "message_ids.h"

#include "engine_tables.h"

void RegisterMessageIds() {
    CoreRegisterNetMessageBase(MSG_NET_BASE);
    for (uint32_t base : REGISTERED_MESSAGE_BASES) CoreRegisterMessageBase(base);
    CoreRegisterMessageBase(MSG_FRAMEWORK_BASE);
}
