#include "section_readers.h"

#include "exceptions.h"
#include "read_colour.h"
#include "text_convert.h"

namespace skin {
namespace {

int Integer(const SkinSource& s, const std::string& section, const char* key, int fallback) {
    return s.ini.ReadInteger(section, key, fallback);
}

std::string Text(const SkinSource& s, const std::string& section, const std::string& key) {
    return s.ini.ReadString(section, key, "");
}

// What ReadSkinObject and its variants share: picture, style, margins, Trans, Tile and, when
// asked for, Frame; the text colours; Tile above 1 becomes 0.
void ReadObjectKeys(const SkinSource& s, TDataSkinObject& o, const std::string& section, bool readFrame) {
    LoadBitmapMember(s, o.Image, Text(s, section, "Image"));
    o.Style = Integer(s, section, "Style", 0);
    o.LeftWidth = Integer(s, section, "LeftWidth", 0);
    o.RightWidth = Integer(s, section, "RightWidth", 0);
    o.TopHeight = Integer(s, section, "TopHeight", 0);
    o.BottomHeight = Integer(s, section, "BottomHeight", 0);
    if (readFrame) o.Frame = Integer(s, section, "Frame", 0);
    o.Trans = Integer(s, section, "Trans", 0);
    o.Tile = Integer(s, section, "Tile", 0);
    o.NormalColour = Integer(s, section, "NormalColour", -1);
    o.MouseOverColour = Integer(s, section, "MouseOverColour", -1);
    o.PressedColour = Integer(s, section, "PressedColour", -1);
    o.NormalColour2 = ReadColour(Text(s, section, "NormalColour2"), s.buttonText);
    o.MouseOverColour2 = ReadColour(Text(s, section, "MouseOverColour2"), s.buttonText);
    o.PressedColour2 = ReadColour(Text(s, section, "PressedColour2"), s.buttonText);
    if (o.Tile > 1) o.Tile = 0;
}

template <class T>
T* MakeObject(const SkinSource& s, std::unique_ptr<T>& slot, const std::string& section, const char* pictureKey) {
    slot.reset();
    if (Text(s, section, pictureKey).empty()) return nullptr;
    slot = std::make_unique<T>(section);
    return slot.get();
}

}  // namespace

void ReadSkinObject(const SkinSource& source, std::unique_ptr<TDataSkinObject>& slot, const std::string& section) {
    if (TDataSkinObject* o = MakeObject(source, slot, section, "Image")) ReadObjectKeys(source, *o, section, true);
}

void ReadBorderObject(const SkinSource& source, std::unique_ptr<TDataSkinBorder>& slot, const std::string& section,
                      const std::string& secondKey) {
    TDataSkinBorder* o = MakeObject(source, slot, section, "Image");
    if (o == nullptr) return;
    ReadObjectKeys(source, *o, section, false);
    const std::string second = Text(source, section, secondKey);
    if (!second.empty()) LoadBitmapMember(source, o->Image2, second);
}

void ReadBoxLabelObject(const SkinSource& source, std::unique_ptr<TDataSkinBoxLabel>& slot,
                        const std::string& section) {
    TDataSkinBoxLabel* o = MakeObject(source, slot, section, "Image");
    if (o == nullptr) return;
    ReadObjectKeys(source, *o, section, false);
    o->BackgroundAlignment = Integer(source, section, "BackgroundAlignment", 0);
    o->BackgroundLeftShift = Integer(source, section, "BackgroundLeftShift", 0);
    o->BackgroundRightShift = Integer(source, section, "BackgroundRightShift", 0);
}

void ReadProgressObject(const SkinSource& source, std::unique_ptr<TDataSkinBorder>& slot, const std::string& section) {
    TDataSkinBorder* o = MakeObject(source, slot, section, "Bitmap");
    if (o == nullptr) return;
    LoadBitmapMember(source, o->Image, Text(source, section, "Bitmap"));
    o->Style = Integer(source, section, "Style", 0);
    o->LeftWidth = Integer(source, section, "LeftWidth", 0);
    o->RightWidth = Integer(source, section, "RightWidth", 0);
    o->TopHeight = Integer(source, section, "TopHeight", 0);
    o->BottomHeight = Integer(source, section, "BottomHeight", 0);
    o->Trans = Integer(source, section, "Trans", 0);
    o->Tile = Integer(source, section, "Tile", 0);
    if (o->Tile > 1) o->Tile = 1;
}

void ReadMenuBarObject(const SkinSource& source, std::unique_ptr<TDataSkinObject>& slot, const std::string& section) {
    TDataSkinObject* o = MakeObject(source, slot, section, "menuBar");
    if (o == nullptr) return;
    LoadBitmapMember(source, o->Image, Text(source, section, "menuBar"));
    o->TopHeight = 0;
    o->BottomHeight = 0;
    o->Tile = Integer(source, section, "TileMenu", 1);
    o->LeftWidth = Integer(source, section, "TileLeftMenu", 1);
    o->RightWidth = Integer(source, section, "TileRightMenu", 1);
    if (o->Tile > 1) o->Tile = 1;
}

void LoadResourceObject(std::unique_ptr<TDataSkinObject>& slot, const std::string& resourceName) {
    slot = std::make_unique<TDataSkinObject>(resourceName);
    try {
        slot->Image.LoadFromResourceName(GetModuleHandleW(nullptr), tk::Utf8ToWide(resourceName).c_str());
    } catch (const tk::Exception&) {
        slot->Image.Assign(nullptr);  // a program without the resource: the element stays plain
    }
    slot->LeftWidth = slot->TopHeight = slot->RightWidth = slot->BottomHeight = 3;
    slot->Tile = 0;
    slot->Frame = 1;
}

}  // namespace skin
