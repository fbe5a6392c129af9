#include "vor_library.h"

#include "platform.h"

namespace {
template <class Fn>
bool Resolve(void* module, const char* name, Fn& out, std::string& error) {
    out = reinterpret_cast<Fn>(platform::GetProcAddress(module, name));
    if (!out) error = std::string("VOR.dll has no ") + name;
    return out != nullptr;
}
}  // namespace

bool LoadVorLibrary(VorLibrary& out, std::string& error) {
    char path[1024];
    if (!platform::MainModuleFileName(path, sizeof(path)) || !platform::PathRemoveFileSpec(path) ||
        !platform::PathAppend(path, sizeof(path), "VOR.dll")) {
        error = "own folder unknown";
        return false;
    }
    void* module = platform::LoadLibraryByName(path);
    if (!module) {
        error = std::string("cannot load ") + path;
        return false;
    }
    return Resolve(module, "TS_0001", out.ts0001, error) && Resolve(module, "TS_0002", out.ts0002, error) &&
           Resolve(module, "TS_0003", out.ts0003, error) && Resolve(module, "TS_0004", out.ts0004, error) &&
           Resolve(module, "TS_0005", out.ts0005, error) && Resolve(module, "TS_0006", out.ts0006, error) &&
           Resolve(module, "TS_0007", out.ts0007, error) && Resolve(module, "TS_0008", out.ts0008, error) &&
           Resolve(module, "TS_0009", out.ts0009, error);
}
