#include "object_instance.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace tk {
namespace {
static_assert(sizeof(void*) == 4, "the stubs are 32-bit code");

constexpr size_t kStubSize = 12;
constexpr size_t kPageSize = 4096;

std::vector<uint8_t*>& FreeStubs() {
    static auto* stubs = new std::vector<uint8_t*>();
    return *stubs;
}

bool AddPage() {
    auto* page = static_cast<uint8_t*>(VirtualAlloc(nullptr, kPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (page == nullptr) return false;
    for (size_t offset = 0; offset + kStubSize <= kPageSize; offset += kStubSize) FreeStubs().push_back(page + offset);
    return true;
}
}  // namespace

WNDPROC MakeObjectInstance(void* object, TObjectWndProc target) {
    if (FreeStubs().empty() && !AddPage()) return nullptr;
    uint8_t* stub = FreeStubs().back();
    FreeStubs().pop_back();
    uint32_t objectWord = reinterpret_cast<uint32_t>(object);
    int32_t jump = static_cast<int32_t>(reinterpret_cast<uint32_t>(target) - (reinterpret_cast<uint32_t>(stub) + kStubSize));
    stub[0] = 0x58;  // pop eax (return address)
    stub[1] = 0x68;  // push imm32 (the object)
    std::memcpy(stub + 2, &objectWord, 4);
    stub[6] = 0x50;  // push eax
    stub[7] = 0xE9;  // jmp rel32
    std::memcpy(stub + 8, &jump, 4);
    FlushInstructionCache(GetCurrentProcess(), stub, kStubSize);
    return reinterpret_cast<WNDPROC>(stub);
}

void FreeObjectInstance(WNDPROC instance) {
    if (instance != nullptr) FreeStubs().push_back(reinterpret_cast<uint8_t*>(instance));
}

}  // namespace tk
