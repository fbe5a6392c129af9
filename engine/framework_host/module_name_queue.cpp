#include "module_name_queue.h"

namespace {
// Heap-allocated and never freed: the library's static state must not run destructors at
// process exit, when other threads may have left locks held.
std::vector<std::string>* g_queue = nullptr;
}  // namespace

void CreateModuleNameQueue() {
    if (!g_queue) g_queue = new std::vector<std::string>;
}

void AppendModuleName(const char* name) {
    CreateModuleNameQueue();
    g_queue->emplace_back(name ? name : "");
}

std::vector<std::string> TakeModuleNames() {
    CreateModuleNameQueue();
    std::vector<std::string> names;
    names.swap(*g_queue);
    return names;
}
