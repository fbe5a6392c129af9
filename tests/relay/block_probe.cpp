// Looks at named blocks from outside the engine host, as any other program of the machine (the
// wine prefix) would: for each name given, whether a mapping of that name exists, and its first
// bytes. One JSON line per name:
//     block_probe [--bytes N] NAME...
//     {"name": "OS_SYS_META{...}", "exists": true, "size": 45056, "hex": "..."}
// The test harness runs it in the prefix of the host whose blocks it wants to see.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

size_t RegionSize(const void* view) {
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(view, &info, sizeof(info)) != sizeof(info)) return 0;
    return info.RegionSize;
}

std::string Hex(const unsigned char* bytes, size_t count) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(count * 2);
    for (size_t i = 0; i < count; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    return out;
}

// Names are the engine's block names: printable ASCII, so they need no JSON escapes.
void Probe(const char* name, size_t wanted) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
    if (!mapping) {
        std::printf("{\"name\": \"%s\", \"exists\": false, \"error\": %lu}\n", name, GetLastError());
        return;
    }
    const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    if (!view) {
        std::printf("{\"name\": \"%s\", \"exists\": true, \"error\": %lu}\n", name, GetLastError());
        CloseHandle(mapping);
        return;
    }
    const size_t size = RegionSize(view);
    const size_t shown = wanted < size ? wanted : size;
    std::printf("{\"name\": \"%s\", \"exists\": true, \"size\": %lu, \"hex\": \"%s\"}\n", name,
                static_cast<unsigned long>(size), Hex(static_cast<const unsigned char*>(view), shown).c_str());
    UnmapViewOfFile(view);
    CloseHandle(mapping);
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    size_t wanted = 0;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--bytes") == 0) {
        wanted = std::strtoul(argv[2], nullptr, 0);
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: block_probe [--bytes N] NAME...\n");
        return 2;
    }
    for (int i = first; i < argc; ++i) Probe(argv[i], wanted);
    return 0;
}
