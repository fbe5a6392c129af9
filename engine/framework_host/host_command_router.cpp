#include "host_command_router.h"

#include "component_table.h"
#include "engine_tables.h"
#include "message_ids.h"

namespace {
constexpr uint32_t kGuidLength = 16;
}

uint32_t ComponentMessageForCommand(uint32_t command) {
    switch (command) {
        case HOST_CMD_2001: return MSG_CMD_2001;
        case HOST_CMD_2002: return MSG_CMD_2002;
        case HOST_CMD_2010: return MSG_CMD_2010;
        case HOST_CMD_2011: return MSG_CMD_2011;
        case HOST_CMD_2012: return MSG_CMD_2012;
        default: return 0;
    }
}

void RouteHostCommand(const ComponentTable& components, uint32_t command, void* block, uint32_t length) {
    CoreLogPrintf("Recv CMD:%d, Size:%d \n", static_cast<int>(command), static_cast<int>(length));
    const uint32_t id = ComponentMessageForCommand(command);
    if (id && block && length >= kGuidLength) {
        const int row = components.FindByGuid(static_cast<const uint8_t*>(block));
        if (row >= 0) {
            const uint32_t block_word = ToWord(block);
            if (CorePostMessage(components.Row(row).handle, 0, id, block_word, length, 0, 0)) return;
        }
    }
    CoreFree(block);
}
