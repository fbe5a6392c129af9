// Named blocks as file mappings on the paging file.
#include <windows.h>

#include <cstring>

#include "core_settings.h"
#include "mapping_table.h"
#include "shared_blocks.h"

namespace quib::shared_blocks {

namespace {

using Mappings = MappingTable<HANDLE>;

size_t RegionSize(void* view) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(view, &info, sizeof(info)) != sizeof(info)) return 0;
    return info.RegionSize;
}

// Maps all of the mapping with full access; closes the handle when that fails.
int MapWhole(HANDLE mapping, void** view) {
    *view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    if (*view) return 0;
    int code = static_cast<int>(GetLastError());
    CloseHandle(mapping);
    return code;
}

void Remember(void* view, HANDLE mapping) {
    Mappings::Get().Put(view, mapping);
}

}  // namespace

int Create(SharedBlockDesc* desc) {
    std::string name;
    if (int code = CheckCreate(desc, &name)) return code;
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, desc->size, name.c_str());
    if (!mapping) return static_cast<int>(GetLastError());
    void* view;
    if (int code = MapWhole(mapping, &view)) return code;
    if (RegionSize(view) < desc->size) {  // the name existed with a smaller size
        UnmapViewOfFile(view);
        CloseHandle(mapping);
        return kAlreadyExists;
    }
    std::memset(view, 0, desc->size);
    Remember(view, mapping);
    desc->address = view;
    return 0;
}

int Open(SharedBlockDesc* desc) {
    if (!desc) return kInvalidParameter;
    desc->address = nullptr;
    const std::string name = NameOf(desc);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (!mapping) return static_cast<int>(GetLastError());
    void* view;
    if (int code = MapWhole(mapping, &view)) return code;
    Remember(view, mapping);
    desc->address = view;
    desc->size = static_cast<uint32_t>(RegionSize(view));
    return 0;
}

int Close(SharedBlockDesc* desc) {
    if (!desc || !desc->address) return 0;
    HANDLE mapping;
    if (!Mappings::Get().Take(desc->address, &mapping)) return 0;
    UnmapViewOfFile(desc->address);
    CloseHandle(mapping);
    desc->address = nullptr;
    return 0;
}

}  // namespace quib::shared_blocks
