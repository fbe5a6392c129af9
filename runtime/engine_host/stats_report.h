// The "stats" line of a live channel, read from its statistics block "OS_SYS_META{GUID}" as
// another program maps it: through the layout and the views the media relay writes it with.
#pragma once

#include <cstdint>
#include <string>

std::string StatsBlockName(const uint8_t* guid);
void PrintStats(const uint8_t* guid, const uint8_t* block, uint32_t size, bool peers, bool full);
