// Every 10 s the framework lists the ports of the live-channel components in the port-list
// block, which the first type-1002 component names and creates (the framework only opens it).
#pragma once

#include <cstdint>

#include "outside_abi.h"

class ComponentTable;

namespace port_list {
constexpr uint32_t kFlagOffset = 150;
constexpr uint32_t kCountOffset = 151;
constexpr uint32_t kEntries = 152;
constexpr uint32_t kEntrySize = 5;
}  // namespace port_list

// How many entries a block of `mapped_size` bytes holds.
uint32_t PortListCapacity(uint32_t mapped_size);

class CPortListPublisher {
public:
    void Publish(const ComponentTable& components);
    bool IsOpen() const { return m_desc.address != nullptr; }
    const SharedBlockDesc& Descriptor() const { return m_desc; }

private:
    bool Open(const ComponentTable& components);

    SharedBlockDesc m_desc{};
};
