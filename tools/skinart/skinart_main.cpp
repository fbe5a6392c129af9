// skinart: the host tool that draws every picture of the player's skins. Each command writes one
// set of files; everything is integer arithmetic, so the same sources give the same bytes.
#include <cstdio>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "contact_sheet.h"
#include "production_art.h"
#include "program_art.h"
#include "quick_ini.h"
#include "skin_model_rules.h"
#include "skin_source.h"
#include "test_skins.h"

namespace {

using namespace skinart;
namespace fs = std::filesystem;

// The frame count and orientation the model will use for each member of the production ini.
std::map<std::string, skinpack::PictureUse> UsesOf(const std::string& iniPath,
                                                   const std::map<std::string, Picture>& pictures) {
    const std::string text = skinpack::ReadFileBytes(iniPath);
    tk::TMemoryStream stream;
    stream.WriteBuffer(text.data(), text.size());
    stream.SetPosition(0);
    skin::TQuickIni ini;
    ini.LoadFromStream(&stream);
    const skinpack::PictureSizeOf sizeOf = [&](const std::string& name) -> std::optional<skinpack::PictureSize> {
        auto found = pictures.find(name);
        if (found == pictures.end()) return std::nullopt;
        return skinpack::PictureSize{found->second.width, found->second.height};
    };
    std::map<std::string, skinpack::PictureUse> uses;
    for (const skinpack::PictureUse& use : skinpack::PictureUses(ini, sizeOf))
        uses.emplace(skinpack::MemberNameOf(use.value), use);
    return uses;
}

// OUT/members: the package's pictures; OUT: the program's resources, the icon, the sheet.
int Production(const fs::path& out, const std::string& iniPath) {
    const fs::path members = out / "members";
    fs::remove_all(members);  // a picture dropped from the art must not stay in the package
    fs::create_directories(members);
    std::map<std::string, Picture> pictures;
    for (const ArtMember& m : ProductionMembers()) {
        Picture picture = m.draw();
        skinpack::WriteFileBytes((members / m.name).string(), skinpack::EncodeBmp24(picture));
        pictures.emplace(m.name, std::move(picture));
    }
    skinpack::WriteFileBytes((out / "glazelmenu.bmp").string(), GlazelMenuBmp());
    skinpack::WriteFileBytes((out / "track.bmp").string(), TrackBmp(false));
    skinpack::WriteFileBytes((out / "trackvert.bmp").string(), TrackBmp(true));
    skinpack::WriteFileBytes((out / "zentavo.ico").string(), IconFile());

    const auto uses = UsesOf(iniPath, pictures);
    std::vector<SheetEntry> entries;
    for (const auto& [name, picture] : pictures) {
        auto use = uses.find(name);
        entries.push_back(
            {name, picture, use == uses.end() ? 1 : use->second.frames, use != uses.end() && use->second.stacked});
    }
    entries.push_back({"GLAZELMENU (resource)", GlazelMenuPicture(), 4, false});
    entries.push_back({"TRACK (resource)", TrackPicture(false), 1, false});
    entries.push_back({"TRACKVERT (resource)", TrackPicture(true), 1, false});
    entries.push_back({"MAINICON 16 x 16", IconPicture(16), 1, false});
    entries.push_back({"MAINICON 32 x 32", IconPicture(32), 1, false});
    const ContactSheet sheet = MakeContactSheet(entries);
    skinpack::WriteFileBytes((out / "contact.bmp").string(), skinpack::EncodeBmp24(sheet.picture));
    skinpack::WriteFileBytes((out / "contact.txt").string(), sheet.index);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage:\n"
                 "  skinart production --out DIR --ini INI   the production skin's pictures (DIR/members),\n"
                 "                                           resources, icon and contact sheet\n"
                 "  skinart flat --out DIR --header FILE     the flat-colour test skins and their colour header\n"
                 "  skinart model-edge --out DIR             the skins that probe the model's corrections\n"
                 "  skinart corrupt --out DIR                broken packages and form payloads\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, std::string> options;
    for (int i = 2; i + 1 < argc; i += 2) options[argv[i]] = argv[i + 1];
    if (argc < 2 || options.count("--out") == 0) return Usage();
    const std::string_view command = argv[1];
    const fs::path out = options["--out"];
    try {
        fs::create_directories(out);
        if (command == "production" && options.count("--ini")) return Production(out, options["--ini"]);
        if (command == "flat" && options.count("--header")) return WriteFlatSkins(out, options["--header"]);
        if (command == "model-edge") return WriteModelEdgeSkins(out);
        if (command == "corrupt") return WriteCorruptFixtures(out);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skinart %s: %s\n", argv[1], e.what());
        return 1;
    }
    return Usage();
}
