// The "sysinfo" line: every field of the engine's SysInfoBlock.
#pragma once

#include <cstdint>

void PrintSysInfo(const uint8_t* block);
