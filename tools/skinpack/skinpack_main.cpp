// skinpack: the host tool that makes the player's skin packages. Each command is one entry of
// the table below; it gets the arguments after its name.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "lzh_decoder.h"
#include "lzh_encoder.h"

namespace {

using Args = std::span<char* const>;

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) throw std::runtime_error("cannot write " + path);
}

int PackRaw(Args args) {
    std::vector<uint8_t> package = skinpack::PackLzh(ReadFile(args[0]));
    WriteFile(args[1], package.data(), package.size());
    return 0;
}

int UnpackRaw(Args args) {
    std::vector<uint8_t> bytes = ReadFile(args[0]);
    tk::TMemoryStream package;
    package.WriteBuffer(bytes.data(), bytes.size());
    tk::TMemoryStream archive;
    if (!skin::UnpackPackage(package, archive)) {
        std::fprintf(stderr, "skinpack: %s: the unpacked size does not fit the stream\n", args[0]);
        return 1;
    }
    WriteFile(args[1], archive.Memory(), static_cast<size_t>(archive.Size()));
    return 0;
}

struct Command {
    const char* name;
    const char* args;  // shown in the usage text
    const char* what;
    size_t arg_count;
    int (*run)(Args args);
};

constexpr Command kCommands[] = {
    {"pack-raw", "IN OUT", "encode the bytes of IN into the package OUT", 2, PackRaw},
    {"unpack-raw", "IN OUT", "decode the package IN into OUT", 2, UnpackRaw},
};

int Usage() {
    std::fprintf(stderr, "usage:\n");
    for (const Command& c : kCommands) std::fprintf(stderr, "  skinpack %-12s %-10s %s\n", c.name, c.args, c.what);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    Args args(argv + 2, static_cast<size_t>(argc - 2));
    for (const Command& c : kCommands) {
        if (std::string_view(c.name) != argv[1]) continue;
        if (args.size() != c.arg_count) return Usage();
        try {
            return c.run(args);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "skinpack %s: %s\n", argv[1], e.what());
            return 1;
        }
    }
    return Usage();
}
