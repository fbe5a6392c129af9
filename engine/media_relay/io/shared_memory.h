// A named shared-memory block through the engine core's shared blocks (the platform's named
// file mappings). The channel's statistics block lives in one, for other processes to read.
#pragma once

#include <cstdint>

#include "outside_abi.h"

// Results besides the core's own error codes.
constexpr int kSharedMemoryBadName = -10;   // no name, or longer than a block name can hold
constexpr int kSharedMemoryTooSmall = -11;  // the mapping is smaller than asked for

class CSharedMemory {
public:
    CSharedMemory();
    ~CSharedMemory();
    CSharedMemory(const CSharedMemory&) = delete;
    CSharedMemory& operator=(const CSharedMemory&) = delete;

    // Creates the block `name` of `size` bytes, mapped read-write; an existing block of that name
    // is opened instead. Returns 0, or an error with no view left. A view smaller than `size`
    // (a block made beforehand with less) is closed again and refused, so no write of `size`
    // bytes can run past it.
    int Create(const char* name, uint32_t size);
    // Maps an existing block; null on failure, with the error in LastError().
    void* Open(const char* name);
    // Unmaps and closes; returns the core's result, 0 when nothing was open.
    int Close();

    void* Address() const { return m_desc.address; }
    uint8_t* Bytes() const { return static_cast<uint8_t*>(m_desc.address); }
    // Bytes mapped as the core reports them.
    uint32_t Size() const { return m_desc.address ? m_desc.size : 0; }
    int LastError() const { return m_last_error; }

private:
    bool SetName(const char* name);

    SharedBlockDesc m_desc;
    int m_last_error = 0;
};
