// The named blocks a process has mapped, by the address of their view, with what closing one
// needs (a handle, or a descriptor and a name). The core's threads share the one table.
#pragma once

#include <map>
#include <mutex>
#include <utility>

namespace quib::shared_blocks {

template <class Mapping>
class MappingTable {
public:
    // The one table of the process, never destroyed so that a late close still finds it.
    static MappingTable& Get() {
        static MappingTable* table = new MappingTable;
        return *table;
    }

    void Put(void* view, Mapping mapping) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_by_address[view] = std::move(mapping);
    }

    // Moves the mapping of the view at `address` out of the table; false when it holds none.
    bool Take(void* address, Mapping* mapping) {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_by_address.find(address);
        if (it == m_by_address.end()) return false;
        *mapping = std::move(it->second);
        m_by_address.erase(it);
        return true;
    }

private:
    std::mutex m_mutex;
    std::map<void*, Mapping> m_by_address;
};

}  // namespace quib::shared_blocks
