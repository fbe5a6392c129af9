// For tests: binds this image's core and network tables to the outside libraries built in
// KESTRAV_ENGINE_DIR (QUIB.DLL / KUZ.DLL, natively libQUIB.so / libKUZ.so).
#pragma once

#include <cstdlib>
#include <string>

#include "engine_tables.h"
#include "platform.h"

namespace test_binding {

inline std::string EngineDir() {
    const char* dir = platform::GetEnv("KESTRAV_ENGINE_DIR");
    std::string s = dir ? dir : ".";
#if defined(_WIN32)
    // CTest passes a Unix path; wine maps the root file system to Z:.
    if (!s.empty() && s[0] == '/') {
        s = "Z:" + s;
        for (char& c : s) if (c == '/') c = '\\';
    }
    if (s.back() != '\\') s += '\\';
#else
    if (s.back() != '/') s += '/';
#endif
    return s;
}

inline void* LoadOutside(const char* windows_name, const char* native_name) {
#if defined(_WIN32)
    (void)native_name;
    return platform::LoadLibraryByName((EngineDir() + windows_name).c_str());
#else
    (void)windows_name;
    return platform::LoadLibraryByName((EngineDir() + native_name).c_str());
#endif
}

// Returns false when a library could not be loaded or bound.
inline bool BindCore() {
    void* m = LoadOutside("QUIB.DLL", "libQUIB.so");
    return m && BindCoreTableFrom(reinterpret_cast<TsXxxxTableFn>(platform::GetProcAddress(m, "TS_XXXX")));
}

inline bool BindNet() {
    void* m = LoadOutside("KUZ.DLL", "libKUZ.so");
    if (!m || !BindNetTableFrom(reinterpret_cast<TsXxxxTableFn>(platform::GetProcAddress(m, "TS_XXXX")))) return false;
    NetStartup();
    return true;
}

}  // namespace test_binding
