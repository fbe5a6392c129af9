#include "io/shared_memory.h"

#include <cstring>

#include "engine_tables.h"

CSharedMemory::CSharedMemory() {
    std::memset(&m_desc, 0, sizeof(m_desc));
}

CSharedMemory::~CSharedMemory() {
    Close();
}

bool CSharedMemory::SetName(const char* name) {
    if (!name || !name[0]) return false;
    const size_t length = strnlen(name, sizeof(m_desc.name));
    if (length >= sizeof(m_desc.name)) return false;  // would be cut to another block's name
    std::memset(m_desc.name, 0, sizeof(m_desc.name));
    std::memcpy(m_desc.name, name, length);
    return true;
}

int CSharedMemory::Create(const char* name, uint32_t size) {
    Close();
    if (!SetName(name)) return m_last_error = kSharedMemoryBadName;
    m_desc.size = size;
    m_desc.address = nullptr;
    const int result = CoreCreateSharedBlock(&m_desc);
    if (result != 0 || !m_desc.address) {
        m_desc.address = nullptr;
        return m_last_error = result != 0 ? result : kSharedMemoryTooSmall;
    }
    if (m_desc.size < size) {
        Close();
        return m_last_error = kSharedMemoryTooSmall;
    }
    m_last_error = 0;
    return 0;
}

void* CSharedMemory::Open(const char* name) {
    Close();
    if (!SetName(name)) {
        m_last_error = kSharedMemoryBadName;
        return nullptr;
    }
    m_desc.size = 0;
    m_desc.address = nullptr;
    const int result = CoreOpenSharedBlock(&m_desc);
    if (result != 0 || !m_desc.address) {
        m_desc.address = nullptr;
        m_last_error = result != 0 ? result : kSharedMemoryTooSmall;
        return nullptr;
    }
    m_last_error = 0;
    return m_desc.address;
}

int CSharedMemory::Close() {
    if (!m_desc.address) return 0;
    const int result = CoreCloseSharedBlock(&m_desc);
    m_desc.address = nullptr;
    m_desc.size = 0;
    return result;
}
