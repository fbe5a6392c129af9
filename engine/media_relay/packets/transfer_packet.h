// The buffer of one transfer packet: a block from the engine core of exactly the packet's
// length, freed through the core again. Move-only; an empty packet means the core had no memory.
#pragma once

#include <cstdint>

class CTransferPacket {
public:
    CTransferPacket() = default;
    // A zero-filled block of `length` bytes (empty when the core refuses).
    explicit CTransferPacket(uint32_t length);
    ~CTransferPacket();
    CTransferPacket(CTransferPacket&& other) noexcept;
    CTransferPacket& operator=(CTransferPacket&& other) noexcept;
    CTransferPacket(const CTransferPacket&) = delete;
    CTransferPacket& operator=(const CTransferPacket&) = delete;

    bool IsEmpty() const { return m_bytes == nullptr; }
    uint8_t* Data() { return m_bytes; }
    const uint8_t* Data() const { return m_bytes; }
    uint32_t Length() const { return m_length; }

    // Hands the block to the caller, who frees it with CoreFree.
    uint8_t* Release();

private:
    void Free();

    uint8_t* m_bytes = nullptr;
    uint32_t m_length = 0;
};
