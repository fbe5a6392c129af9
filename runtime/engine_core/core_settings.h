// The core's test seams, read from the environment each time they are needed (QUIB_*).
#pragma once

#include <cstdint>
#include <string>

namespace quib::settings {

// QUIB_ALLOC_LIMIT: false when no limit is set.
bool AllocLimit(uint32_t* limit);
// QUIB_ALLOC_FILL: the byte new blocks are filled with (0 by default).
uint8_t AllocFill();
// QUIB_TRAP=1: a trap stub aborts after logging.
bool TrapAborts();
// QUIB_FAIL_BLOCK: true when creating the named block must fail.
bool BlockCreateFails(const std::string& name);
// QUIB_LOG with every "{pid}" replaced; false when unset or empty.
bool LogPath(std::string* path);
// QUIB_LOG_DEBUGSTR=1.
bool LogToDebugger();
// QUIB_SHM_NS: namespace of named blocks in native builds.
std::string SharedBlockNamespace();

}  // namespace quib::settings
