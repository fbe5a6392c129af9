#include "package_contents.h"

#include <cstdio>
#include <map>

#include "bmp_file.h"
#include "byte_text.h"
#include "lzh_decoder.h"
#include "quick_ini.h"
#include "sha256.h"
#include "skin_messages.h"
#include "skin_model_rules.h"
#include "skin_reader.h"
#include "streams.h"

namespace skinpack {
namespace {

void Load(tk::TMemoryStream& stream, const std::string& bytes) {
    stream.Clear();
    stream.WriteBuffer(bytes.data(), bytes.size());
    stream.SetPosition(0);
}

std::string Text(tk::TMemoryStream& stream) {
    return std::string(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

std::string Format(const char* format, auto... values) {
    char line[512];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

std::string PictureColumns(const Member& member, const std::map<std::string, PictureUse>& uses) {
    std::string why;
    std::optional<BmpInfo> info = ReadBmpInfo(member.bytes, why);
    if (!info) return "not a bitmap: " + why;
    std::string text = Format("%dx%d %dbpp", info->width, info->height, info->bitsPerPixel);
    auto use = uses.find(member.name);
    if (use == uses.end()) return text + " unused";
    const int frames = std::max(1, use->second.frames);
    const int w = use->second.stacked ? info->width : info->width / frames;
    const int h = use->second.stacked ? info->height / frames : info->height;
    return text +
           Format(" %d x %dx%d%s %s", frames, w, h, use->second.stacked ? " stacked" : "", use->second.object.c_str());
}

}  // namespace

std::optional<PackageContents> ReadPackage(const std::string& package) {
    // A wrong version is reported here, not in a message box.
    bool wrongVersion = false;
    skin::MessageSink previous = skin::SetMessageSink([&](const std::wstring&) { wrongVersion = true; });
    tk::TMemoryStream packed, archive;
    Load(packed, package);
    skin::TSkinReader reader;
    bool read = skin::UnpackPackage(packed, archive) && reader.ReadArchive(archive);
    skin::SetMessageSink(std::move(previous));
    if (!read || wrongVersion) return std::nullopt;

    PackageContents contents;
    contents.version = reader.Header().version;
    contents.archiveSize = static_cast<size_t>(archive.Size());
    tk::TMemoryStream out;
    for (const std::string& name : reader.Names()) {
        reader.ExtractByName(name, out);
        contents.members.push_back({name, Text(out)});
    }
    return contents;
}

std::string ListPackage(const std::string& package, const PackageContents& contents) {
    std::map<std::string, PictureUse> uses;
    for (const Member& m : contents.members) {
        if (m.name.find(".ini") == std::string::npos) continue;
        tk::TMemoryStream stream;
        Load(stream, m.bytes);
        skin::TQuickIni ini;
        ini.LoadFromStream(&stream);
        const PictureSizeOf sizeOf = [&](const std::string& name) -> std::optional<PictureSize> {
            for (const Member& p : contents.members) {
                std::string why;
                std::optional<BmpInfo> info = p.name == name ? ReadBmpInfo(p.bytes, why) : std::nullopt;
                if (info) return PictureSize{info->width, info->height};
            }
            return std::nullopt;
        };
        for (const PictureUse& use : PictureUses(ini, sizeOf)) uses.emplace(MemberNameOf(use.value), use);
        break;
    }
    std::string text = Format("package %zu bytes sha256 %s\n", package.size(), Sha256Hex(package).c_str());
    text += Format("archive version %d, %zu bytes, %zu members\n", contents.version, contents.archiveSize,
                   contents.members.size());
    for (const Member& m : contents.members) {
        const bool picture = m.name.find(".ini") == std::string::npos;
        text += Format("%-14s %7zu  %-44s %s\n", m.name.c_str(), m.bytes.size(),
                       picture ? PictureColumns(m, uses).c_str() : "ini", Sha256Hex(m.bytes).c_str());
    }
    return text;
}

}  // namespace skinpack
