// What the player's skin model makes of an ini: which keys name pictures, and for each picture
// the frame count, frame orientation, margins and keying the model and the drawing code will use.
// The packer's lint and dump share it, so both agree with the model on every frame count.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "quick_ini.h"

namespace skinpack {

enum class Keying {
    Transparent,  // magenta is keyed out where the picture is drawn
    Opaque,       // drawn as it is: magenta would show
    Unchecked,    // keyed by its drawing code regardless of the section's Trans
};

enum class PictureRole { Border, Caption, CaptionButton, CheckOrRadio, Scrollbar, Columns, Other };

struct PictureUse {
    std::string object;   // e.g. "Left", "BUTTON.CLOSE", "Tabs.Border"
    std::string section;  // the section the value is read from
    std::string key;
    std::string value;  // as the ini gives it
    PictureRole role = PictureRole::Other;
    int frames = 1;
    bool stacked = false;                          // frames one above the other instead of side by side
    int left = 0, top = 0, right = 0, bottom = 0;  // margins copied unscaled
    Keying keying = Keying::Transparent;
    bool frameGiven = true;  // false when the count was derived from the picture's shape
};

struct PictureSize {
    int width = 0;
    int height = 0;
};
// The size of the member a value names, when it exists and is a readable bitmap.
using PictureSizeOf = std::function<std::optional<PictureSize>(const std::string& memberName)>;

std::vector<PictureUse> PictureUses(const skin::TQuickIni& ini, const PictureSizeOf& sizeOf);

// The member a picture value names: the text after the last '\', '/' or ':', lower-cased as the
// archive reader compares names.
std::string MemberNameOf(const std::string& value);
// The exact-case file-name part, which must end in ".bmp" for the model to load it.
std::string FileNameOf(const std::string& value);

// Sections that name caption buttons: upper-case name beginning with "BUTTON", except the
// push-button section and the names the model drops.
bool IsCaptionButtonSection(const std::string& section);
// The names the model drops although they begin with "BUTTON".
bool IsDroppedButtonName(const std::string& section);
// Whether the model keeps a caption-button section (Action -1 drops it unless Visibility is 0).
bool IsKeptCaptionButton(const skin::TQuickIni& ini, const std::string& section);

// The keys the model reads from a section; empty when the model reads no such section.
std::vector<std::string> KnownKeys(const std::string& section);
// Whether anything in the player draws from the section (the model may still read it).
bool PlayerDrawsSection(const skin::TQuickIni& ini, const std::string& section);

// The sixteen [Colours] keys.
const std::vector<std::string>& ColourKeys();

}  // namespace skinpack
