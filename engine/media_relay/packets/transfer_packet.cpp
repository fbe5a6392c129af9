#include "packets/transfer_packet.h"

#include <cstring>

#include "engine_tables.h"

CTransferPacket::CTransferPacket(uint32_t length) {
    m_bytes = static_cast<uint8_t*>(CoreAlloc(length));
    if (!m_bytes) return;
    // The core zero-fills by default, but a test seam can fill with another byte.
    std::memset(m_bytes, 0, length);
    m_length = length;
}

CTransferPacket::~CTransferPacket() {
    Free();
}

CTransferPacket::CTransferPacket(CTransferPacket&& other) noexcept
    : m_bytes(other.m_bytes), m_length(other.m_length) {
    other.m_bytes = nullptr;
    other.m_length = 0;
}

CTransferPacket& CTransferPacket::operator=(CTransferPacket&& other) noexcept {
    if (this != &other) {
        Free();
        m_bytes = other.m_bytes;
        m_length = other.m_length;
        other.m_bytes = nullptr;
        other.m_length = 0;
    }
    return *this;
}

uint8_t* CTransferPacket::Release() {
    uint8_t* bytes = m_bytes;
    m_bytes = nullptr;
    m_length = 0;
    return bytes;
}

void CTransferPacket::Free() {
    if (m_bytes) CoreFree(m_bytes);
    m_bytes = nullptr;
    m_length = 0;
}
