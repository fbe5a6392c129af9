// The nine exports that drive the framework host, and its stop.
#pragma once

#include <cstdint>

#include "outside_abi.h"

ENGINE_EXPORT int ENGINE_CALL TS_0001(int* tcp_port, int* udp_port);
ENGINE_EXPORT int ENGINE_CALL TS_0002();
ENGINE_EXPORT int ENGINE_CALL TS_0003(int command, const void* data, uint32_t length);
ENGINE_EXPORT int ENGINE_CALL TS_0004(const void* create_param_block);
ENGINE_EXPORT int ENGINE_CALL TS_0005(uint32_t guid0, uint32_t guid1, uint32_t guid2, uint32_t guid3);
ENGINE_EXPORT int ENGINE_CALL TS_0006(SharedBlockDesc* desc);
ENGINE_EXPORT int ENGINE_CALL TS_0007(SharedBlockDesc* desc);
ENGINE_EXPORT int ENGINE_CALL TS_0008(SharedBlockDesc* desc);
ENGINE_EXPORT int ENGINE_CALL TS_0009(const char* module_file_name);

// True when both outside libraries are bound; the exports do nothing otherwise.
bool FrameworkTablesBound();

// Deletes every component, stops the loop, closes the sockets, deletes the manager and
// releases the network library and the queue.
int ShutdownFramework();
