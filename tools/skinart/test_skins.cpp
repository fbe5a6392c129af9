// The skins that probe the model's corrections and the packages and payloads broken on
// purpose. They are built from the flat skins' pictures, so every picture that does load has
// colours the flat-colour table knows.
#include <stdexcept>
#include <string>
#include <vector>

#include "bmp_file.h"
#include "canvas.h"
#include "lzh_encoder.h"
#include "skin_source.h"
#include "test_skins.h"

namespace skinart {
namespace {

namespace fs = std::filesystem;
using skinpack::ArchiveSpec;
using skinpack::Member;
using skinpack::PackageSpec;

const Member& MemberOf(const std::vector<Member>& members, const std::string& name) {
    for (const Member& m : members)
        if (m.name == name) return m;
    throw std::invalid_argument("no member " + name);
}

std::string FlatPictureBytes(const std::string& skin, const std::string& member) {
    return MemberOf(FlatSkinMembers(skin), member).bytes;
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
}
void Put16(std::string& bytes, size_t at, uint32_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

// Bitmap files a validating loader must refuse; each starts from a sound 24-bit 8 x 8 picture.
std::string SoundSmallPicture() { return skinpack::EncodeBmp24(Picture(8, 8, Rgb(0x30, 0x90, 0x60))); }
std::string BadHeaderPicture() {
    std::string bytes = SoundSmallPicture();
    Put32(bytes, 14, 12);  // an info header of 12 bytes: the old OS/2 header, not read
    return bytes;
}
std::string RlePicture() {
    std::string bytes = SoundSmallPicture();
    Put16(bytes, 28, 8);
    Put32(bytes, 30, 1);  // BI_RLE8
    return bytes;
}
std::string Bpp16Picture() {
    std::string bytes = SoundSmallPicture();
    Put16(bytes, 28, 16);
    return bytes;
}
std::string TruncatedPicture() {
    std::string bytes = SoundSmallPicture();
    bytes.resize(bytes.size() - 40);  // the headers promise more rows than follow
    return bytes;
}

// One solid picture of the given size, in a colour of the flat table's object 46 (no flat
// object uses it), frame 1, zone 0.
std::string SolidPicture(int width, int height, int zone) {
    return skinpack::EncodeBmp24(Picture(width, height, FlatZoneColour(46, 1, zone)));
}

// The flat combo button with its centre zone magenta: the model recolours magenta when there
// is no [SunkEdge].
std::string ComboButtonWithMagenta() {
    std::optional<Picture> p = skinpack::DecodeBmp24(FlatPictureBytes("flat_other", "combobtn.bmp"));
    for (int f = 0; f < 4; ++f) Fill(*p, {19 * f + 2, 2, 15, 17}, kMagenta);
    return skinpack::EncodeBmp24(*p);
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// [Personality] with the flat frame's pictures; TopFrame and LeftStretch as given.
std::string Personality(const std::string& topFrame, const std::string& leftStretch) {
    return Lines({"[Personality]",        "Left=left.bmp",     "LeftFrame=2",
                  "LeftTopHeight=20",     "LeftBotHeight=3",   "LeftStretch=" + leftStretch,
                  "LeftTrans=1",          "Right=right.bmp",   "RightFrame=2",
                  "RightTopHeight=20",    "RightBotHeight=3",  "Top=top.bmp",
                  "TopFrame=" + topFrame, "TopTopHeight=6",    "TopBotHeight=3",
                  "TopTrans=0",           "Bottom=bottom.bmp", "BottomFrame=2",
                  "BottomTopHeight=6",    "BottomBotHeight=3", "BottomTrans=0",
                  "menuBar=menubar.bmp",  "TileMenu=0"});
}

std::vector<Member> FramePictures() {
    std::vector<Member> pictures = FlatSkinMembers("flat_frame");
    pictures.erase(pictures.begin());  // its ini
    return pictures;
}

void WriteSkinDir(const fs::path& dir, const std::string& ini, const std::vector<Member>& pictures) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    skinpack::WriteFileBytes((dir / "skin.ini").string(), ini);
    for (const Member& m : pictures) skinpack::WriteFileBytes((dir / m.name).string(), m.bytes);
}

// One line group per case of the model's corrections; what each should give is in the index.
std::string ModelEdgeIni() {
    return "; Model corrections, one case per line group. Breaks the lint rules on purpose.\r\n" +
           Personality("0", "2") +
           Lines({"", "[Colours]", "WindowText=255 128 0", "ButtonText=RGB(255;128;0)", "ButtonFace=232,236,242",
                  "ButtonHilight=abc", "Scrollbar=300,0,0", "Buttonlight=1,99999999999,7", "HilightText=255,255,255",
                  "ButtonShadow=138,150,168", "Hilight=56,104,176", "ButtonDkShadow=64,72,88", "MenuBarText=16,24,40",
                  "Menu=248,249,252", "TitleTextActive=255,255,255", "MenuText=16,24,40",
                  "TitleTextNoActive=224,228,236"}) +
           Lines({"", "[Tab.Pane]", "Image=tab_pane.bmp", "LeftWidth=9", "", "[Buttons]", "Bitmap=button.bmp", "Tile=2",
                  "", "[Progress]", "Bitmap=progress.bmp", "Tile=2"}) +
           Lines({"",
                  "[BUTTON.DROPPED]",
                  "Action=-1",
                  "ButtonImage=close.bmp",
                  "frame=4",
                  "",
                  "[BUTTON.KEPT]",
                  "Action=-1",
                  "Visibility=0",
                  "ButtonImage=close.bmp",
                  "frame=4",
                  "",
                  "[BUTTON.THREE]",
                  "Action=0",
                  "ButtonImage=cap60.bmp",
                  "",
                  "[BUTTON.SIX]",
                  "Action=0",
                  "ButtonImage=cap80.bmp",
                  "",
                  "[BUTTON.ICON]",
                  "Action=3",
                  "ButtonImage=cap60.bmp",
                  "",
                  "[BUTTON.UPPER]",
                  "Action=0",
                  "ButtonImage=close.BMP",
                  "frame=4"}) +
           Lines({"", "[MenuItem]", "Image=menuitem.bmp ; note", "", "[ExtraImages]", "Image=badheader.bmp", "",
                  "[Scrollbar]", "Image=rle.bmp", "", "[HorzScroll]", "Image=bpp16.bmp", "", "[VertScroll]",
                  "Image=truncated.bmp"});
}

std::string ModelEdgeColoursIni() {
    return "; Colour sections the model reads differently than they look.\r\n" + Personality("2", "1") +
           Lines({"", "[ Colours ]", "ButtonFace=1,2,3", "", "[Colours]", "WindowText=0,0,0", "ButtonText=16,24,40",
                  "ButtonHilight=255,255,255", "Scrollbar=220,226,234", "Buttonlight=245,247,250",
                  "HilightText=255,255,255", "ButtonShadow=138,150,168", "Hilight=56,104,176",
                  "ButtonDkShadow=64,72,88", "MenuBarText=16,24,40", "Menu=248,249,252", "TitleTextActive=255,255,255",
                  "MenuText=16,24,40", "TitleTextNoActive=224,228,236"}) +
           Lines({"", "[Progress]", "Image=progress.bmp", "", "[ComboButton]", "Image=combobtn.bmp", "Trans=1"});
}

const char kModelEdgeIndex[] =
    "Skins that probe the skin model's corrections (packed without lint). Expected:\n"
    "model_edge:\n"
    "  [Tab.Pane] LeftWidth=9                          stored as 4\n"
    "  [Buttons] Tile=2 / LeftStretch=2 / [Progress] Tile=2   0 / 1 / 1\n"
    "  TopFrame=0                                      clamped to 1, no division by zero\n"
    "  [BUTTON.DROPPED] Action=-1, no Visibility       dropped\n"
    "  [BUTTON.KEPT] Action=-1, Visibility=0           kept\n"
    "  [BUTTON.THREE] cap60.bmp 60 x 20, no frame      3 frames\n"
    "  [BUTTON.SIX] cap80.bmp 80 x 20, no frame        6 frames\n"
    "  [BUTTON.ICON] Action=3, no frame                loses its picture (the window icon is drawn)\n"
    "  [BUTTON.UPPER] ButtonImage=close.BMP            empty picture (the extension is case-sensitive)\n"
    "  [MenuItem] Image=menuitem.bmp ; note            empty picture (the value includes the note)\n"
    "  no [Track] / [TRACKVERT]                        the TRACK / TRACKVERT resources, margins 3\n"
    "  [Colours] without Menubar                       Menubar = ButtonFace (232,236,242)\n"
    "  WindowText=255 128 0, ButtonText=RGB(255;128;0) 0x0080FF both\n"
    "  ButtonHilight=abc, Scrollbar=300,0,0            0, 0x00002C\n"
    "  Buttonlight=1,99999999999,7                     1 (the overlong run and all later ones count 0)\n"
    "  [ExtraImages] badheader.bmp, [Scrollbar] rle.bmp, [HorzScroll] bpp16.bmp, [VertScroll] truncated.bmp\n"
    "                                                  each an empty picture; the rest of the skin loads\n"
    "model_edge_colours:\n"
    "  \"[ Colours ]\" with ButtonFace=1,2,3           listed by ReadSections, never read\n"
    "  [Colours] without ButtonFace                    brush and ComboxArrow recolour resolved through the system "
    "colour\n"
    "  [Progress] with Image and no Bitmap             no Progress object\n"
    "  [ComboButton] (centre magenta), no [SunkEdge]   ComboxArrow = the picture with magenta as ButtonFace\n";

// ---- broken packages and payloads -------------------------------------------------------
struct Fixture {
    std::string file;
    std::vector<uint8_t> bytes;
    std::string expected;
};

ArchiveSpec FlatFrameArchive() {
    ArchiveSpec spec;
    spec.members = FlatSkinMembers("flat_frame");
    return spec;
}

std::vector<uint8_t> Raw(std::initializer_list<uint8_t> bytes) { return bytes; }

PackageSpec WithUnpackedSize(int32_t size, std::optional<std::vector<uint8_t>> stream = std::nullopt) {
    PackageSpec spec;
    spec.unpackedSize = size;
    spec.stream = std::move(stream);
    return spec;
}

std::vector<Fixture> CorruptFixtures() {
    std::vector<Fixture> out;
    auto package = [&](const std::string& file, ArchiveSpec spec, const std::string& expected,
                       const PackageSpec& p = {}) {
        out.push_back({file, skinpack::BuildPackage(spec, p), expected});
    };
    const ArchiveSpec flat = FlatFrameArchive();

    package("unpacked_size_zero.skin", flat, "empty archive: the version message, no skin", WithUnpackedSize(0));
    ArchiveSpec v12345 = flat;
    v12345.version = 12345;
    package("version_12345.skin", v12345, "the version message, no skin");
    for (int32_t version : {30000, 40000}) {
        ArchiveSpec v = flat;
        v.version = version;
        package("version_" + std::to_string(version) + ".skin", v, "read exactly like flat_frame (version 20000)");
    }
    ArchiveSpec mixed;
    mixed.members = {{"Skin.INI", MemberOf(flat.members, "skin.ini").bytes}, {"a.bmp", SoundSmallPicture()}};
    package("names_mixed_case.skin", mixed, "members skin.ini and a.bmp; ExtractByName(\"A.BMP\") finds the second");
    ArchiveSpec zero = flat;
    zero.members.push_back({"zero.bmp", ""});
    package("member_size_zero.skin", zero, "zero.bmp extracts as an empty stream, no error");

    ArchiveSpec negativeList = flat;
    negativeList.listLength = -1;
    package("list_length_negative.skin", negativeList, "refused quietly: no message, no skin");
    ArchiveSpec longList = flat;
    longList.listLength = 1 << 20;
    package("list_beyond_archive.skin", longList, "refused quietly: no message, no skin");
    ArchiveSpec many;
    std::string names = "skin.ini";
    for (int i = 1; i < 1002; ++i) names += "\r\nm" + std::to_string(i) + ".bmp";
    many.nameList = names;
    many.sizes = std::vector<int32_t>(1002, 0);
    package("names_1002.skin", many, "refused quietly: more names than the reader's 1001 sizes");
    ArchiveSpec negativeSize = flat;
    negativeSize.sizes = std::vector<int32_t>(flat.members.size(), 1);
    negativeSize.sizes->back() = -1;
    package("size_negative.skin", negativeSize, "refused quietly: no message, no skin");
    ArchiveSpec beyond = flat;
    beyond.sizes = std::vector<int32_t>(flat.members.size(), 1 << 16);
    package("sizes_beyond_data.skin", beyond, "refused quietly: no message, no skin");
    ArchiveSpec noIni = flat;
    noIni.members.erase(noIni.members.begin());
    package("no_ini.skin", noIni, "an empty ini is read: every object empty (frames of size 0), NoSkin clear");

    package("unpacked_size_huge.skin", flat, "refused at once, no large allocation",
            WithUnpackedSize(0x7FFFFFFF, Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
    PackageSpec halved;
    halved.streamTruncateTo = (skinpack::BuildPackage(flat).size() - 4) / 2;
    package("stream_cut_in_half.skin", flat,
            "decodes with zero fill to U bytes; no overrun (the archive is usually refused)", halved);
    // "x", "a", then three matches of 60 at distance 1; U ends one byte into the second match.
    out.push_back({"last_match_past_end.skin", {}, "exactly U = 63 bytes out: \"xa\" and 61 \"a\""});
    {
        std::vector<uint8_t> bytes(1, 'x');
        bytes.resize(182, 'a');
        std::vector<uint8_t> packed = skinpack::PackLzh(bytes);
        packed[0] = 63;
        packed[1] = packed[2] = packed[3] = 0;
        out.back().bytes = packed;
    }
    // First token a 60-byte match from ring position 4040: 56 never-written bytes, then 4 spaces.
    out.push_back({"ring_end_unwritten.skin",
                   {60, 0, 0, 0, 0xC5, 0xFF, 0xEC},
                   "60 bytes: 56 zero bytes (the unwritten ring end), then 4 spaces"});

    const std::vector<uint8_t> sound = skinpack::BuildPackage(flat);
    std::vector<uint8_t> tooLong = skinpack::PayloadOf(sound);
    const int32_t claimed = static_cast<int32_t>(sound.size() + 1000);
    for (int i = 0; i < 4; ++i) tooLong[static_cast<size_t>(i)] = static_cast<uint8_t>(claimed >> (8 * i));
    out.push_back(
        {"payload_longer_than_bytes.blob", tooLong,
         "n is 1000 more than the bytes that follow: a read error out of the form's creation, no large allocation"});
    out.push_back({"payload_zero.blob", Raw({0, 0, 0, 0}), "n = 0: nothing loaded, no error"});
    std::vector<uint8_t> negative = Raw({0xFB, 0xFF, 0xFF, 0xFF});
    negative.insert(negative.end(), sound.begin(), sound.begin() + 16);
    out.push_back({"payload_negative.blob", negative, "n = -5: nothing loaded, no error"});
    return out;
}

}  // namespace

int WriteModelEdgeSkins(const fs::path& dir) {
    std::vector<Member> edge = FramePictures();
    edge.push_back({"tab_pane.bmp", FlatPictureBytes("flat_tabs_pane", "tab_pane.bmp")});
    edge.push_back({"button.bmp", FlatPictureBytes("flat_buttons", "button.bmp")});
    edge.push_back({"progress.bmp", FlatPictureBytes("flat_other", "progress.bmp")});
    edge.push_back({"menuitem.bmp", FlatPictureBytes("flat_menus", "menuitem.bmp")});
    edge.push_back({"cap60.bmp", SolidPicture(60, 20, 1)});
    edge.push_back({"cap80.bmp", SolidPicture(80, 20, 2)});
    edge.push_back({"badheader.bmp", BadHeaderPicture()});
    edge.push_back({"rle.bmp", RlePicture()});
    edge.push_back({"bpp16.bmp", Bpp16Picture()});
    edge.push_back({"truncated.bmp", TruncatedPicture()});
    WriteSkinDir(dir / "model_edge", ModelEdgeIni(), edge);

    std::vector<Member> colours = FramePictures();
    colours.push_back({"progress.bmp", FlatPictureBytes("flat_other", "progress.bmp")});
    colours.push_back({"combobtn.bmp", ComboButtonWithMagenta()});
    WriteSkinDir(dir / "model_edge_colours", ModelEdgeColoursIni(), colours);
    skinpack::WriteFileBytes((dir / "index_model_edge.txt").string(), kModelEdgeIndex);
    return 0;
}

int WriteCorruptFixtures(const fs::path& dir) {
    std::string index = "Broken packages (.skin) and form payloads (.blob). Expected:\n";
    for (const Fixture& f : CorruptFixtures()) {
        skinpack::WriteFileBytes((dir / f.file).string(), std::string(f.bytes.begin(), f.bytes.end()));
        index += "  " + f.file + std::string(f.file.size() < 32 ? 32 - f.file.size() : 1, ' ') + f.expected + "\n";
    }
    skinpack::WriteFileBytes((dir / "index.txt").string(), index);
    return 0;
}

}  // namespace skinart
