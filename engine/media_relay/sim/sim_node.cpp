#include "sim_node.h"

#include <algorithm>

namespace sim {

uint8_t* Node::CreateBlock(const std::string& name, uint32_t size, uint32_t* mapped) {
    Block& block = m_blocks[name];
    if (block.bytes.empty()) {
        block.bytes.resize(size ? size : 1);
        m_block_bytes += block.bytes.size();
        Hold(0);
    }
    std::fill(block.bytes.begin(), block.bytes.end(), 0);
    ++block.holders;
    *mapped = static_cast<uint32_t>(block.bytes.size());
    return block.bytes.data();
}

uint8_t* Node::OpenBlock(const std::string& name, uint32_t* mapped) {
    auto it = m_blocks.find(name);
    if (it == m_blocks.end()) return nullptr;
    ++it->second.holders;
    *mapped = static_cast<uint32_t>(it->second.bytes.size());
    return it->second.bytes.data();
}

void Node::CloseBlock(const void* address) {
    for (auto it = m_blocks.begin(); it != m_blocks.end(); ++it) {
        if (it->second.bytes.data() != address) continue;
        if (--it->second.holders <= 0) {
            m_block_bytes -= it->second.bytes.size();
            m_blocks.erase(it);
        }
        return;
    }
}

uint64_t Node::Notices(uint32_t message) const {
    auto it = m_notices.find(message);
    return it == m_notices.end() ? 0 : it->second;
}

}  // namespace sim
