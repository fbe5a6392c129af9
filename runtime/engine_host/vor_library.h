// The framework host library next to QEB and its nine exports.
#pragma once

#include <cstdint>
#include <string>

#include "outside_abi.h"

struct VorLibrary {
    int(ENGINE_CALL* ts0001)(int* tcp, int* udp) = nullptr;
    int(ENGINE_CALL* ts0002)() = nullptr;
    int(ENGINE_CALL* ts0003)(int command, const void* data, uint32_t length) = nullptr;
    int(ENGINE_CALL* ts0004)(const void* block) = nullptr;
    int(ENGINE_CALL* ts0005)(uint32_t, uint32_t, uint32_t, uint32_t) = nullptr;
    int(ENGINE_CALL* ts0006)(SharedBlockDesc*) = nullptr;
    int(ENGINE_CALL* ts0007)(SharedBlockDesc*) = nullptr;
    int(ENGINE_CALL* ts0008)(SharedBlockDesc*) = nullptr;
    int(ENGINE_CALL* ts0009)(const char*) = nullptr;
};

// Loads "VOR.dll" from the program's own folder; false (with a reason) when it or an export is missing.
bool LoadVorLibrary(VorLibrary& out, std::string& error);
