// skinpack: the host tool that makes the player's skin packages. Each command is one entry of
// the table below; it gets the arguments after its name.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "archive_builder.h"
#include "lzh_decoder.h"
#include "lzh_encoder.h"
#include "package_contents.h"
#include "skin_lint.h"
#include "skin_source.h"

namespace {

using namespace skinpack;
using Args = std::span<char* const>;

class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "--name value" options and "--flag" switches, then the positional arguments.
struct Options {
    std::map<std::string, std::string> values;
    std::vector<std::string> flags;
    std::vector<std::string> positional;

    Options(Args args, std::initializer_list<std::string_view> valued,
            std::initializer_list<std::string_view> switches = {}) {
        for (size_t i = 0; i < args.size(); ++i) {
            std::string arg = args[i];
            const std::string name = arg.rfind("--", 0) == 0 ? arg.substr(2) : "";
            if (name.empty()) {
                positional.push_back(arg);
            } else if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
                if (i + 1 == args.size()) throw UsageError(arg + " needs a value");
                values[name] = args[++i];
            } else if (std::find(switches.begin(), switches.end(), name) != switches.end()) {
                flags.push_back(name);
            } else {
                throw UsageError("unknown option " + arg);
            }
        }
    }
    std::string Required(const std::string& name) const {
        auto found = values.find(name);
        if (found == values.end()) throw UsageError("--" + name + " is required");
        return found->second;
    }
    std::string Optional(const std::string& name) const {
        auto found = values.find(name);
        return found == values.end() ? std::string() : found->second;
    }
    bool Flag(const std::string& name) const { return std::find(flags.begin(), flags.end(), name) != flags.end(); }
};

std::string AsText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
std::vector<uint8_t> AsBytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// With errors, prints every finding; warnings alone only as a count, so that a test skin
// that holds what nothing draws on purpose does not fill every build's log (lint lists them).
bool Report(const LintReport& report, const std::string& what) {
    if (report.Errors() == 0) {
        if (report.Warnings() > 0)
            std::fprintf(stderr, "%s: %d lint warnings (skinpack lint lists them)\n", what.c_str(), report.Warnings());
        return true;
    }
    for (const Finding& finding : report.findings)
        std::fprintf(stderr, "%s: %s\n", what.c_str(), FormatFinding(finding).c_str());
    std::fprintf(stderr, "%s: %d errors, %d warnings\n", what.c_str(), report.Errors(), report.Warnings());
    return false;
}

PackageContents ReadPackageFile(const std::string& path) {
    std::optional<PackageContents> contents = ReadPackage(ReadFileBytes(path));
    if (!contents) throw std::runtime_error(path + " is no package the player can read");
    return *contents;
}

int Build(Args args) {
    Options options(args, {"version", "ini", "dir", "out", "blob", "archive"}, {"no-lint"});
    const std::string ini = options.Required("ini");
    const int version = std::stoi(options.Required("version"));
    if (version != 20000 && version != 30000 && version != 40000)
        throw UsageError("--version is 20000, 30000 or 40000");
    std::vector<Member> members = CollectSkin(ini, options.Required("dir"));
    if (!options.Flag("no-lint") && !Report(LintSkin(members), ini)) return 1;

    ArchiveSpec spec;
    spec.version = version;
    spec.members = std::move(members);
    const std::vector<uint8_t> archive = BuildArchive(spec);
    const std::vector<uint8_t> package = PackLzh(archive);
    WriteFileBytes(options.Required("out"), AsText(package));
    if (!options.Optional("blob").empty()) WriteFileBytes(options.Optional("blob"), AsText(PayloadOf(package)));
    if (!options.Optional("archive").empty()) WriteFileBytes(options.Optional("archive"), AsText(archive));
    return 0;
}

int Dump(Args args) {
    Options options(args, {});
    if (options.positional.size() != 1) throw UsageError("dump takes one package");
    const std::string package = ReadFileBytes(options.positional[0]);
    std::optional<PackageContents> contents = ReadPackage(package);
    if (!contents) throw std::runtime_error(options.positional[0] + " is no package the player can read");
    std::fputs(ListPackage(package, *contents).c_str(), stdout);
    return 0;
}

// Member names come from the package: only plain file names are written.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}

int Extract(Args args) {
    Options options(args, {});
    if (options.positional.size() < 2) throw UsageError("extract takes a package, a folder and optional names");
    PackageContents contents = ReadPackageFile(options.positional[0]);
    const std::filesystem::path dir = options.positional[1];
    std::filesystem::create_directories(dir);
    const std::vector<std::string> wanted(options.positional.begin() + 2, options.positional.end());
    int missing = static_cast<int>(wanted.size());
    for (const Member& m : contents.members) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), m.name) == wanted.end()) continue;
        if (!IsPlainFileName(m.name)) throw std::runtime_error("member name \"" + m.name + "\" is no plain file name");
        WriteFileBytes((dir / m.name).string(), m.bytes);
        if (!wanted.empty()) --missing;
    }
    if (missing > 0) throw std::runtime_error("some names are not in the package");
    return 0;
}

int Lint(Args args) {
    Options options(args, {});
    std::vector<Member> members;
    if (options.positional.size() == 2) {
        members = CollectSkin(options.positional[0], options.positional[1]);
    } else if (options.positional.size() == 1) {
        members = ReadPackageFile(options.positional[0]).members;
    } else {
        throw UsageError("lint takes an ini and its picture folder, or a package");
    }
    const LintReport report = LintSkin(members);
    for (const Finding& finding : report.findings) std::printf("%s\n", FormatFinding(finding).c_str());
    std::printf("%d errors, %d warnings\n", report.Errors(), report.Warnings());
    return report.Errors() == 0 ? 0 : 1;
}

int PackRaw(Args args) {
    Options options(args, {});
    if (options.positional.size() != 2) throw UsageError("pack-raw takes IN and OUT");
    WriteFileBytes(options.positional[1], AsText(PackLzh(AsBytes(ReadFileBytes(options.positional[0])))));
    return 0;
}

int UnpackRaw(Args args) {
    Options options(args, {});
    if (options.positional.size() != 2) throw UsageError("unpack-raw takes IN and OUT");
    const std::string bytes = ReadFileBytes(options.positional[0]);
    tk::TMemoryStream package;
    package.WriteBuffer(bytes.data(), bytes.size());
    tk::TMemoryStream archive;
    if (!skin::UnpackPackage(package, archive))
        throw std::runtime_error(options.positional[0] + ": the unpacked size does not fit the stream");
    WriteFileBytes(options.positional[1],
                   std::string(reinterpret_cast<const char*>(archive.Memory()), static_cast<size_t>(archive.Size())));
    return 0;
}

struct Command {
    const char* name;
    const char* args;  // shown in the usage text
    const char* what;
    int (*run)(Args args);
};

constexpr Command kCommands[] = {
    {"build", "--version V --ini INI --dir DIR --out PKG [--blob B] [--archive A] [--no-lint]",
     "lint, then pack INI and DIR's pictures (archive version V) into the package PKG, the form payload B", Build},
    {"dump", "PKG", "list the members of PKG: sizes, pictures, frames, SHA-256", Dump},
    {"extract", "PKG DIR [NAME...]", "write the members of PKG (or the ones named) into DIR", Extract},
    {"lint", "INI DIR | PKG", "check a skin before it is packed, or a package", Lint},
    {"pack-raw", "IN OUT", "encode the bytes of IN into the package OUT", PackRaw},
    {"unpack-raw", "IN OUT", "decode the package IN into OUT", UnpackRaw},
};

int Usage() {
    std::fprintf(stderr, "usage:\n");
    for (const Command& c : kCommands) std::fprintf(stderr, "  skinpack %s %s\n      %s\n", c.name, c.args, c.what);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    Args args(argv + 2, static_cast<size_t>(argc - 2));
    for (const Command& c : kCommands) {
        if (std::string_view(c.name) != argv[1]) continue;
        try {
            return c.run(args);
        } catch (const UsageError& e) {
            std::fprintf(stderr, "skinpack %s: %s\n", argv[1], e.what());
            return Usage();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "skinpack %s: %s\n", argv[1], e.what());
            return 1;
        }
    }
    return Usage();
}
