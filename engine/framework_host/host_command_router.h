// Host commands (TS_0003) for a component carry its GUID in their first 16 bytes.
#pragma once

#include <cstdint>

class ComponentTable;

// The message id a routable command reaches its component with; 0 when it is not routed.
uint32_t ComponentMessageForCommand(uint32_t command);

// Posts the command's block to the component it names (the block is then the component's),
// or frees it. Logs every command.
void RouteHostCommand(const ComponentTable& components, uint32_t command, void* block, uint32_t length);
