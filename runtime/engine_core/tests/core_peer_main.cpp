// Second process of the core tests. Binds the core from KESTRAV_ENGINE_DIR and runs one
// mode; exit code 0 = as expected, any other code names the fault.
//   open-block NAME SIZE: checks the creator's bytes and answers with its own at the end
//   log TEXT:             writes one log line
//   create-and-die NAME SIZE: creates the block with the creator's bytes and ends at once,
//                         without closing it (as a process that is killed)
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "block_pattern.h"
#include "engine_tables.h"
#include "test_binding.h"

namespace {

int OpenBlock(const char* name, uint32_t size) {
    SharedBlockDesc desc{};
    std::snprintf(desc.name, sizeof(desc.name), "%s", name);
    if (CoreOpenSharedBlock(&desc) != 0 || !desc.address) return 12;
    if (desc.size < size || desc.size % 4096 != 0) return 13;
    auto* bytes = static_cast<uint8_t*>(desc.address);
    for (uint32_t i = 0; i < size - block_pattern::kPeerBytes; ++i) {
        if (bytes[i] != block_pattern::CreatorByte(i)) return 14;
    }
    for (uint32_t i = size - block_pattern::kPeerBytes; i < size; ++i) bytes[i] = block_pattern::PeerByte(i);
    CoreCloseSharedBlock(&desc);
    return desc.address ? 15 : 0;
}

int CreateAndDie(const char* name, uint32_t size) {
    SharedBlockDesc desc{};
    std::snprintf(desc.name, sizeof(desc.name), "%s", name);
    desc.size = size;
    if (CoreCreateSharedBlock(&desc) != 0 || !desc.address) return 12;
    auto* bytes = static_cast<uint8_t*>(desc.address);
    for (uint32_t i = 0; i < size; ++i) bytes[i] = block_pattern::CreatorByte(i);
    std::fflush(nullptr);
    std::_Exit(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 10;
    if (!test_binding::BindCore()) return 11;
    const std::string mode = argv[1];
    if (mode == "open-block" && argc == 4) {
        return OpenBlock(argv[2], static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    }
    if (mode == "create-and-die" && argc == 4) {
        return CreateAndDie(argv[2], static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10)));
    }
    if (mode == "log" && argc == 3) return CoreLogText(argv[2]) == 1 ? 0 : 16;
    return 10;
}
