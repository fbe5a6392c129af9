#include "skin_model_rules.h"

#include <algorithm>
#include <array>

#include "byte_text.h"

namespace skinpack {
namespace {

using skin::AsciiLowerCase;
using skin::SameTextAscii;

enum class Reader { Object, Border, BoxLabel, Progress, Columns };

// A section read by one of the model's section readers.
struct ObjectSection {
    const char* name;
    Reader reader;
    int frames;             // the count the model forces; 0: the "Frame" key (0 counts as 1)
    const char* secondKey;  // the border reader's second picture, or nullptr
    bool drawnByPlayer;
};

constexpr ObjectSection kObjectSections[] = {
    {"Progress", Reader::Progress, 0, nullptr, false},
    {"Progress.Chunk", Reader::Object, 0, nullptr, false},
    {"GroupBoxEdge", Reader::Object, 2, nullptr, false},
    {"GroupBox", Reader::BoxLabel, 1, nullptr, false},
    {"Tabs", Reader::Border, 5, "Border", true},
    {"StatusBarEdges", Reader::Object, 3, nullptr, true},
    {"Tab.Pane", Reader::Object, 1, nullptr, false},
    {"ToolBars", Reader::Object, 5, nullptr, false},
    {"ComboButton", Reader::Border, 4, "****", true},
    {"SunkEdge", Reader::Object, 4, nullptr, true},
    {"ExtraImages", Reader::Object, 5, nullptr, true},
    {"Headerbar", Reader::Object, 0, nullptr, false},
    {"MenuItem", Reader::Object, 5, nullptr, true},
    {"MenuBackground", Reader::Object, 1, nullptr, true},
    {"Scrollbar", Reader::Object, 23, nullptr, true},
    {"HorzScroll", Reader::Object, 4, nullptr, true},
    {"VertScroll", Reader::Object, 4, nullptr, true},
    {"HorzScrollThumb", Reader::Object, 0, nullptr, true},
    {"VertScrollThumb", Reader::Object, 0, nullptr, true},
    {"Trackbar.ThumbHorz", Reader::Object, 5, nullptr, false},
    {"Trackbar.ThumbVert", Reader::Object, 5, nullptr, false},
    {"Trackbar.ThumbLeft", Reader::Object, 5, nullptr, false},
    {"Trackbar.ThumbRight", Reader::Object, 5, nullptr, false},
    {"Trackbar.ThumbUp", Reader::Object, 5, nullptr, false},
    {"Trackbar.ThumbDown", Reader::Object, 5, nullptr, false},
    {"UpDown.Horz", Reader::Border, 8, "GlyphImage", true},
    {"UpDown.Vert", Reader::Border, 8, "GlyphImage", true},
    {"Track", Reader::Object, 0, nullptr, false},
    {"TRACKVERT", Reader::Object, 0, nullptr, false},
    {"MDICONTROLS", Reader::Columns, 12, nullptr, false},
};

constexpr std::array<const char*, 4> kBorderPieces = {"Left", "Right", "Top", "Bottom"};
constexpr int kMdiColumns = 12;

const ObjectSection* FindObjectSection(const std::string& section) {
    for (const ObjectSection& s : kObjectSections)
        if (SameTextAscii(s.name, section)) return &s;
    return nullptr;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

struct Reading {
    const skin::TQuickIni& ini;
    const PictureSizeOf& sizeOf;
    std::vector<PictureUse> uses;

    int Int(const std::string& section, const std::string& key, int fallback) const {
        return ini.ReadInteger(section, key, fallback);
    }
    std::string Text(const std::string& section, const std::string& key) const {
        return ini.ReadString(section, key, "");
    }
    std::optional<PictureSize> Size(const std::string& value) const { return sizeOf(MemberNameOf(value)); }

    // Adds the use when the key names a picture; returns it for the caller to finish.
    PictureUse* Add(const std::string& object, const std::string& section, const std::string& key, PictureRole role) {
        std::string value = Text(section, key);
        if (value.empty()) return nullptr;
        PictureUse use;
        use.object = object;
        use.section = section;
        use.key = key;
        use.value = value;
        use.role = role;
        uses.push_back(use);
        return &uses.back();
    }

    void Borders() {
        for (const char* piece : kBorderPieces) {
            const std::string n = piece;
            PictureUse* use = Add(n, "Personality", n, PictureRole::Border);
            if (use == nullptr) continue;
            use->frames = std::max(1, Int("Personality", n + "Frame", 1));
            const int first = Int("Personality", n + "TopHeight", 0);
            const int second = Int("Personality", n + "BotHeight", 0);
            use->stacked = n == "Top" || n == "Bottom";
            if (use->stacked) {
                use->left = first;
                use->right = second;
            } else {
                use->top = first;
                use->bottom = second;
            }
            use->keying = Int("Personality", n + "Trans", 1) == 0 ? Keying::Opaque : Keying::Transparent;
        }
        if (PictureUse* bar = Add("MenuBar", "Personality", "menuBar", PictureRole::Other)) {
            bar->frames = 2;
            bar->left = Int("Personality", "TileLeftMenu", 1);
            bar->right = Int("Personality", "TileRightMenu", 1);
            bar->keying = Keying::Opaque;
        }
        if (PictureUse* back = Add("Title", "Personality", "TextBack", PictureRole::Caption)) {
            back->frames = 2;
            back->stacked = true;
            back->left = Int("Personality", "TXTBackleft", 0);
            back->right = Int("Personality", "TXTBackRight", 0);
            back->keying = Keying::Unchecked;
        }
    }

    void CaptionButtons(const std::vector<std::string>& sections) {
        for (const std::string& section : sections) {
            if (!IsCaptionButtonSection(section) || !IsKeptCaptionButton(ini, section)) continue;
            const int action = Int(section, "Action", 0);
            PictureUse* use = Add(Upper(section), section, "ButtonImage", PictureRole::CaptionButton);
            if (use == nullptr) continue;
            use->frames = Int(section, "frame", 0);
            use->frameGiven = use->frames != 0;
            if (!use->frameGiven) {
                std::optional<PictureSize> size = Size(use->value);
                bool wide = size && 5 * size->width > 19 * size->height;  // width / height > 3.8
                use->frames = action < 0 || !size || wide ? 6 : 3;
                // Without a "frame" key the icon and system-menu buttons lose their picture.
                if (action == 3 || action == 11) uses.pop_back();
            }
        }
    }

    void PushButtons() {
        const std::string s = "Buttons";
        if (PictureUse* face = Add("Buttons", s, "Bitmap", PictureRole::Other)) {
            face->frames = 5;
            Margins(*face, s);
            face->keying = Int(s, "Trans", 0) == 0 ? Keying::Opaque : Keying::Transparent;
        }
        for (const char* glyph : {"CheckButton", "RadioButton"}) {
            PictureUse* use = Add(std::string("Buttons.") + glyph, s, glyph, PictureRole::CheckOrRadio);
            if (use == nullptr) continue;
            use->keying = Keying::Unchecked;
            use->frames = Int(s, std::string(glyph) + "Frame", 0);
            if (use->frames == 0) {
                use->frameGiven = false;
                std::optional<PictureSize> size = Size(use->value);
                int cell = size && size->height < 16 ? 13 : 16;
                use->frames = std::max(4, size ? size->width / cell : 0);
            }
        }
    }

    void Margins(PictureUse& use, const std::string& section) const {
        use.left = Int(section, "LeftWidth", 0);
        use.top = Int(section, "TopHeight", 0);
        use.right = Int(section, "RightWidth", 0);
        use.bottom = Int(section, "BottomHeight", 0);
    }

    void Objects() {
        for (const ObjectSection& s : kObjectSections) {
            const std::string section = s.name;
            const char* pictureKey = s.reader == Reader::Progress ? "Bitmap" : "Image";
            PictureRole role = section == "Scrollbar"        ? PictureRole::Scrollbar
                               : s.reader == Reader::Columns ? PictureRole::Columns
                                                             : PictureRole::Other;
            PictureUse* use = Add(section, section, pictureKey, role);
            if (use == nullptr) continue;
            if (s.reader != Reader::Columns) Margins(*use, section);
            use->keying = s.reader == Reader::Columns     ? Keying::Unchecked
                          : Int(section, "Trans", 0) == 0 ? Keying::Opaque
                                                          : Keying::Transparent;
            use->frames = FramesOf(s);
            if (section == "Tab.Pane") {
                use->left = std::min(use->left, 4);
                use->top = std::min(use->top, 4);
                use->right = std::min(use->right, 4);
                use->bottom = std::min(use->bottom, 4);
                use->keying = Keying::Opaque;
            }
            const int frames = use->frames;
            if (s.secondKey == nullptr) continue;
            PictureUse* second = Add(section + "." + s.secondKey, section, s.secondKey, PictureRole::Other);
            if (second == nullptr) continue;
            if (section == "Tabs") {
                // The pane: one frame, drawn opaque with fixed margins unless Style 1 uses Tab.Pane.
                second->left = 4;
                second->top = 5;
                second->right = 4;
                second->bottom = 4;
                second->keying = Keying::Opaque;
            } else if (section.rfind("UpDown.", 0) == 0) {
                second->frames = frames;  // glyphs: one per arrow frame, centred, transparent
            }
        }
    }

    int FramesOf(const ObjectSection& s) const {
        const std::string section = s.name;
        if (s.reader == Reader::Progress) return Int(section, "Style", 0) != 0 ? 1 : 2;
        if (section == "HorzScrollThumb" || section == "VertScrollThumb")
            return std::max(1, Int(section, "FrameCount", 3));
        if (s.frames != 0) return s.frames;
        const int given = Int(section, "Frame", 0);
        if (section == "Headerbar" && given == 0) return 5;
        return std::max(1, given);
    }
};

}  // namespace

std::string FileNameOf(const std::string& value) {
    size_t cut = value.find_last_of("\\/:");
    return cut == std::string::npos ? value : value.substr(cut + 1);
}

std::string MemberNameOf(const std::string& value) { return AsciiLowerCase(FileNameOf(value)); }

bool IsDroppedButtonName(const std::string& section) {
    const std::string upper = Upper(section);
    return upper == "BUTTONS" || upper == "BUTTON.RADIO" || upper == "BUTTON.CHECKBOX" || upper == "BUTTON";
}

bool IsCaptionButtonSection(const std::string& section) {
    return StartsWith(Upper(section), "BUTTON") && !IsDroppedButtonName(section);
}

bool IsKeptCaptionButton(const skin::TQuickIni& ini, const std::string& section) {
    return !(ini.ReadInteger(section, "Action", 0) == -1 && ini.ReadInteger(section, "Visibility", -1) != 0);
}

std::vector<PictureUse> PictureUses(const skin::TQuickIni& ini, const PictureSizeOf& sizeOf) {
    std::vector<std::string> sections;
    ini.ReadSections(sections);
    Reading reading{ini, sizeOf, {}};
    reading.Borders();
    reading.CaptionButtons(sections);
    reading.PushButtons();
    reading.Objects();
    return reading.uses;
}

std::vector<std::string> KnownKeys(const std::string& section) {
    static const std::vector<std::string> kObjectKeys = {"image",
                                                         "style",
                                                         "leftwidth",
                                                         "rightwidth",
                                                         "topheight",
                                                         "bottomheight",
                                                         "frame",
                                                         "trans",
                                                         "tile",
                                                         "normalcolour",
                                                         "mouseovercolour",
                                                         "pressedcolour",
                                                         "normalcolour2",
                                                         "mouseovercolour2",
                                                         "pressedcolour2"};
    std::vector<std::string> keys;
    const std::string upper = Upper(section);
    if (SameTextAscii(section, "Personality")) {
        for (const char* piece : kBorderPieces)
            for (const char* suffix : {"", "TopHeight", "BotHeight", "Frame", "Stretch", "Trans"})
                keys.push_back(AsciiLowerCase(std::string(piece) + suffix));
        for (const char* key :
             {"menubar", "tilemenu", "tileleftmenu", "tilerightmenu", "textback", "textshift", "textshiftvert",
              "textrightclip", "textalignment", "textbackground", "txtbackleft", "txtbackright", "activetextr",
              "activetextg", "activetextb", "inactivetextr", "inactivetextg", "inactivetextb"})
            keys.push_back(key);
    } else if (SameTextAscii(section, "Fonts")) {
        keys = {"fontheight"};
    } else if (SameTextAscii(section, "Colours")) {
        for (const std::string& key : ColourKeys()) keys.push_back(AsciiLowerCase(key));
    } else if (SameTextAscii(section, "Buttons")) {
        keys = {"leftwidth",        "rightwidth",    "topheight",        "bottomheight",     "trans",
                "bitmap",           "tile",          "checkbutton",      "radiobutton",      "normalcolour",
                "mouseovercolour",  "pressedcolour", "radiobuttonframe", "checkbuttonframe", "normalcolour2",
                "mouseovercolour2", "pressedcolour2"};
    } else if (IsCaptionButtonSection(section)) {
        keys = {"action",      "align",     "xcoord", "ycoord",     "visibility",
                "visibility1", "combineop", "frame",  "buttonimage"};
    } else if (StartsWith(upper, "COLOUR")) {
        keys = {"color"};
    } else if (SameTextAscii(section, "Customcolors")) {
        for (char digit = '0'; digit <= '9'; ++digit) keys.push_back(std::string("color") + digit);
    } else if (const ObjectSection* s = FindObjectSection(section)) {
        switch (s->reader) {
            case Reader::Object: keys = kObjectKeys; break;
            case Reader::Border:
                for (const std::string& key : kObjectKeys)
                    if (key != "frame") keys.push_back(key);
                keys.push_back(AsciiLowerCase(s->secondKey));
                break;
            case Reader::BoxLabel:
                for (const std::string& key : kObjectKeys)
                    if (key != "frame") keys.push_back(key);
                for (const char* key : {"backgroundalignment", "backgroundleftshift", "backgroundrightshift"})
                    keys.push_back(key);
                break;
            case Reader::Progress:
                keys = {"bitmap", "style", "leftwidth", "rightwidth", "topheight", "bottomheight", "trans", "tile"};
                break;
            case Reader::Columns: keys = {"image"}; break;
        }
        if (SameTextAscii(section, "HorzScrollThumb") || SameTextAscii(section, "VertScrollThumb"))
            keys.push_back("framecount");
    }
    return keys;
}

bool PlayerDrawsSection(const skin::TQuickIni& ini, const std::string& section) {
    for (const char* always : {"Personality", "Fonts", "Colours", "Buttons"})
        if (SameTextAscii(section, always)) return true;
    if (IsCaptionButtonSection(section)) return true;
    if (SameTextAscii(section, "Tab.Pane")) return ini.ReadInteger("Tabs", "Style", 0) == 1;
    const ObjectSection* s = FindObjectSection(section);
    return s != nullptr && s->drawnByPlayer;
}

const std::vector<std::string>& ColourKeys() {
    static const std::vector<std::string> kKeys = {"ButtonFace", "WindowText",      "ButtonText",  "ButtonHilight",
                                                   "Scrollbar",  "Buttonlight",     "HilightText", "ButtonShadow",
                                                   "Hilight",    "ButtonDkShadow",  "Menubar",     "MenuBarText",
                                                   "Menu",       "TitleTextActive", "MenuText",    "TitleTextNoActive"};
    return kKeys;
}

}  // namespace skinpack
