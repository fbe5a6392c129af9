#include "skin_lint.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "bmp_file.h"
#include "byte_text.h"
#include "quick_ini.h"
#include "skin_model_rules.h"
#include "streams.h"

namespace skinpack {
namespace {

using skin::AsciiLowerCase;
using skin::TrimControls;

constexpr int kMaxMembers = 1001;
constexpr int kScrollbarThickness = 17;  // SM_CXHSCROLL the art is sized for
constexpr int kScrollbarSlack = 2;       // the model still uses the strip within this

bool IsExactMagenta(uint32_t rgb) { return rgb == kMagenta; }
// What the window region's tolerance of 1 per channel also keys: red 255, green 1, blue 255.
bool IsNearMagenta(uint32_t rgb) { return RedOf(rgb) == 255 && GreenOf(rgb) == 1 && BlueOf(rgb) == 255; }

std::string Pos(int x, int y) {
    std::string text = "(";
    text += std::to_string(x);
    text += ", ";
    text += std::to_string(y);
    text += ")";
    return text;
}

class Linter {
public:
    explicit Linter(const std::vector<Member>& members) : members_(members) {}

    LintReport Run() {
        CheckMemberList();
        const Member* ini = FindIni();
        if (ini == nullptr) return std::move(report_);
        LoadIni(*ini);
        CheckPictureMembers();
        CheckIniLines();
        CheckColours();
        CheckUses();
        return std::move(report_);
    }

private:
    void Error(const std::string& where, const std::string& what) {
        report_.findings.push_back({Severity::Error, where, what});
    }
    void Warning(const std::string& where, const std::string& what) {
        report_.findings.push_back({Severity::Warning, where, what});
    }

    void CheckMemberList() {
        if (members_.size() > static_cast<size_t>(kMaxMembers))
            Error("", std::to_string(members_.size()) + " members; the reader holds at most 1001");
        int inis = 0;
        for (const Member& m : members_)
            if (AsciiLowerCase(m.name).find(".ini") != std::string::npos) ++inis;
        if (inis > 1) Error("", std::to_string(inis) + " names contain \".ini\"; the model reads only the first");
        if (members_.empty() || AsciiLowerCase(members_[0].name).find(".ini") == std::string::npos)
            Error("", "the ini is not the first member");
    }

    const Member* FindIni() const {
        for (const Member& m : members_)
            if (AsciiLowerCase(m.name).find(".ini") != std::string::npos) return &m;
        return nullptr;
    }

    void LoadIni(const Member& ini) {
        tk::TMemoryStream stream;
        stream.WriteBuffer(ini.bytes.data(), ini.bytes.size());
        stream.SetPosition(0);
        ini_.LoadFromStream(&stream);
    }

    void CheckPictureMembers() {
        for (const Member& m : members_) {
            const std::string name = AsciiLowerCase(m.name);
            if (name.find(".ini") != std::string::npos) continue;
            std::string why;
            std::optional<BmpInfo> info = ReadBmpInfo(m.bytes, why);
            if (!info) {
                Error(name, why);
                continue;
            }
            if (info->bitsPerPixel != 24 || info->compression != 0) {
                Error(name, std::to_string(info->bitsPerPixel) + " bits per pixel, compression " +
                                std::to_string(info->compression) + "; members are 24-bit BI_RGB");
                continue;
            }
            std::optional<Picture> picture = DecodeBmp24(m.bytes);
            if (!picture) continue;
            CheckNearMagenta(name, *picture);
            pictures_.emplace(name, std::move(*picture));
        }
    }

    void CheckNearMagenta(const std::string& name, const Picture& picture) {
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                if (IsNearMagenta(picture.at(x, y))) {
                    Error(name, "near-magenta pixel at " + Pos(x, y) + " would be cut out of a window region");
                    return;
                }
    }

    // Line by line, as the ini reader sees the text: trimmed, comments and empty lines gone.
    void CheckIniLines() {
        std::string section;
        bool known = false;
        bool buttonLike = false;
        std::set<std::string> keys;
        std::vector<std::string> knownKeys;
        for (const std::string& line : ini_.Lines()) {
            if (line.front() == '[' && line.back() == ']') {
                const std::string inner = line.substr(1, line.size() - 2);
                section = std::string(TrimControls(inner));
                if (inner != section)
                    Error(section, "spaces inside \"" + line + "\": the section is listed but never read");
                knownKeys = KnownKeys(section);
                known = !knownKeys.empty();
                buttonLike = IsDroppedButtonName(section);
                keys.clear();
                continue;
            }
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = AsciiLowerCase(std::string(TrimControls(line.substr(0, equals))));
            const std::string value(TrimControls(line.substr(equals + 1)));
            if (!keys.insert(key).second) Error(section, "key \"" + key + "\" appears twice; the first one is read");
            if (HasInlineComment(value))
                Error(section, "\"" + line + "\": a comment after a value is part of the value");
            if (buttonLike && IsCaptionButtonKey(key)) {
                Error(section, "a caption button named [" + section + "] is dropped by the model");
                buttonLike = false;  // one finding per section
            } else if (known && std::find(knownKeys.begin(), knownKeys.end(), key) == knownKeys.end() &&
                       !(IsDroppedButtonName(section) && IsCaptionButtonKey(key))) {
                Error(section, "unknown key \"" + key + "\"");
            }
        }
        std::vector<std::string> sections;
        ini_.ReadSections(sections);
        std::set<std::string> warned;
        for (const std::string& s : sections)
            if (!PlayerDrawsSection(ini_, s) && warned.insert(AsciiLowerCase(s)).second)
                Warning(s, "nothing in the player draws this section");
    }

    static bool HasInlineComment(const std::string& value) {
        for (size_t i = 1; i < value.size(); ++i)
            if (value[i] == ';' && (value[i - 1] == ' ' || value[i - 1] == '\t')) return true;
        return false;
    }

    static bool IsCaptionButtonKey(const std::string& key) {
        for (const char* k :
             {"action", "align", "xcoord", "ycoord", "visibility", "visibility1", "combineop", "frame", "buttonimage"})
            if (key == k) return true;
        return false;
    }

    void CheckColours() {
        for (const std::string& key : ColourKeys())
            if (ini_.ReadString("Colours", key, "").empty()) Error("Colours", "no \"" + key + "\"");
    }

    const Picture* PictureOf(const std::string& value) const {
        auto found = pictures_.find(MemberNameOf(value));
        return found == pictures_.end() ? nullptr : &found->second;
    }

    bool HasMember(const std::string& memberName) const {
        return std::any_of(members_.begin(), members_.end(),
                           [&](const Member& m) { return AsciiLowerCase(m.name) == memberName; });
    }

    void CheckUses() {
        CheckBorderFrameKeys();
        const PictureSizeOf sizeOf = [this](const std::string& name) -> std::optional<PictureSize> {
            auto found = pictures_.find(name);
            if (found == pictures_.end()) return std::nullopt;
            return PictureSize{found->second.width, found->second.height};
        };
        const std::vector<PictureUse> uses = PictureUses(ini_, sizeOf);
        int captionHeight = 0;
        for (const PictureUse& use : uses) {
            if (!CheckValue(use)) continue;
            const Picture* picture = PictureOf(use.value);
            if (picture == nullptr) continue;
            if (!CheckFrames(use, *picture)) continue;
            CheckMargins(use, *picture);
            CheckMagenta(use, *picture);
            if (use.object == "Top") captionHeight = picture->height / use.frames;
        }
        for (const PictureUse& use : uses) {
            const Picture* picture = PictureOf(use.value);
            if (picture == nullptr) continue;
            if ((use.object == "Left" || use.object == "Right") && captionHeight > 0 && use.top < captionHeight)
                Warning(use.section, use.object + "TopHeight " + std::to_string(use.top) +
                                         " is below the caption height " + std::to_string(captionHeight) +
                                         ": the caption part of the border is stretched");
            if (use.role == PictureRole::CheckOrRadio && (use.frames == 8 || use.frames == 12))
                Warning(use.section, use.key + " has " + std::to_string(use.frames) +
                                         " frames, which the check and radio skinners remap");
        }
    }

    void CheckBorderFrameKeys() {
        for (const char* piece : {"Left", "Right", "Top", "Bottom"}) {
            const std::string key = std::string(piece) + "Frame";
            const int frames = ini_.ReadInteger("Personality", key, 1);
            if (frames < 1) Error("Personality", key + " " + std::to_string(frames) + " is below 1");
        }
    }

    bool CheckValue(const PictureUse& use) {
        const std::string where = use.section;
        const std::string file = FileNameOf(use.value);
        bool sound = true;
        if (AsciiLowerCase(use.value) != use.value) {
            Error(where, use.key + "=" + use.value + " is not lower-case");
            sound = false;
        }
        if (file.size() < 4 || file.compare(file.size() - 4, 4, ".bmp") != 0) {
            Error(where, use.key + "=" + use.value + " does not end in \".bmp\"; the model loads no picture");
            sound = false;
        }
        if (!HasMember(MemberNameOf(use.value))) {
            Error(where, use.key + "=" + use.value + " names no member");
            sound = false;
        }
        return sound;
    }

    bool CheckFrames(const PictureUse& use, const Picture& picture) {
        const int frames = std::max(1, use.frames);
        const int length = use.stacked ? picture.height : picture.width;
        const std::string side = use.stacked ? "height " : "width ";
        if (use.role == PictureRole::CaptionButton && !use.frameGiven && 5 * picture.width > 19 * picture.height) {
            Error(use.section, "caption button picture " + std::to_string(picture.width) + " x " +
                                   std::to_string(picture.height) +
                                   " is wider than 3.8 : 1 and has no \"frame\": the model takes 6 frames");
            return false;
        }
        if (length % frames != 0) {
            Error(use.section, use.key + " " + MemberNameOf(use.value) + ": " + side + std::to_string(length) +
                                   " is not divisible by the " + std::to_string(frames) + " frames the model uses");
            return false;
        }
        if (use.role == PictureRole::Scrollbar && std::abs(picture.height - kScrollbarThickness) > kScrollbarSlack)
            Error(use.section,
                  "height " + std::to_string(picture.height) + " is more than 2 px from the scroll bar's 17");
        return true;
    }

    void CheckMargins(const PictureUse& use, const Picture& picture) {
        const int frames = std::max(1, use.frames);
        const int width = use.stacked ? picture.width : picture.width / frames;
        const int height = use.stacked ? picture.height / frames : picture.height;
        if (use.left + use.right > width || use.top + use.bottom > height)
            Error(use.section, use.key + " margins " + std::to_string(use.left) + "/" + std::to_string(use.top) + "/" +
                                   std::to_string(use.right) + "/" + std::to_string(use.bottom) + " do not fit its " +
                                   std::to_string(width) + " x " + std::to_string(height) + " frame");
    }

    void CheckMagenta(const PictureUse& use, const Picture& picture) {
        const int frames = std::max(1, use.frames);
        if (use.keying == Keying::Opaque) {
            for (int y = 0; y < picture.height; ++y)
                for (int x = 0; x < picture.width; ++x)
                    if (IsExactMagenta(picture.at(x, y))) {
                        Error(use.section, use.key + " is drawn opaque but has magenta at " + Pos(x, y));
                        return;
                    }
        }
        if (use.role != PictureRole::Border || frames < 2) return;
        // The region is made from whichever frame is current when the size changes.
        const int width = use.stacked ? picture.width : picture.width / frames;
        const int height = use.stacked ? picture.height / frames : picture.height;
        for (int f = 1; f < frames; ++f)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) {
                    const int fx = use.stacked ? x : x + f * width;
                    const int fy = use.stacked ? y + f * height : y;
                    if (IsExactMagenta(picture.at(x, y)) != IsExactMagenta(picture.at(fx, fy))) {
                        Error(use.section, use.object + " frame " + std::to_string(f + 1) +
                                               " differs from frame 1 in magenta at " + Pos(x, y));
                        return;
                    }
                }
    }

    const std::vector<Member>& members_;
    skin::TQuickIni ini_;
    std::map<std::string, Picture> pictures_;
    LintReport report_;
};

}  // namespace

int LintReport::Errors() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const Finding& f) { return f.severity == Severity::Error; }));
}

int LintReport::Warnings() const { return static_cast<int>(findings.size()) - Errors(); }

LintReport LintSkin(const std::vector<Member>& members) { return Linter(members).Run(); }

std::string FormatFinding(const Finding& finding) {
    std::string text = finding.severity == Severity::Error ? "error: " : "warning: ";
    if (!finding.where.empty()) text += "[" + finding.where + "] ";
    return text + finding.what;
}

}  // namespace skinpack
