// The "stats" line of a live channel, read from its statistics block "OS_SYS_META{GUID}".
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t kStatsBlockSize = 41048;

std::string StatsBlockName(const uint8_t* guid);
void PrintStats(const uint8_t* guid, const uint8_t* block, uint32_t size, bool peers, bool full);
