#include "caption_buttons.h"

#include "model_rules.h"

namespace skin {
namespace {

std::string UpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::unique_ptr<TDataSkinSysButton> ReadCaptionButton(const SkinSource& s, const std::string& section) {
    auto b = std::make_unique<TDataSkinSysButton>(UpperCase(section));
    const TQuickIni& ini = s.ini;
    b->Action = ini.ReadInteger(section, "Action", 0);
    b->Align = ini.ReadInteger(section, "Align", 0);
    b->Xcoord = ini.ReadInteger(section, "Xcoord", 0);
    b->Ycoord = ini.ReadInteger(section, "Ycoord", 0);
    b->Visibility = ini.ReadInteger(section, "Visibility", 0);
    b->Visibility1 = ini.ReadInteger(section, "Visibility1", b->Action == -1 ? -1 : 0);
    b->CombineOp = ini.ReadInteger(section, "CombineOp", -1);
    b->Frame = ini.ReadInteger(section, "frame", 0);
    LoadBitmapMember(s, b->Image, ini.ReadString(section, "ButtonImage", ""));
    if (b->Frame == 0) {
        b->Frame = DerivedCaptionFrames(b->Image.Width(), b->Image.Height(), b->Action);
        if (DerivedButtonDropsPicture(b->Action)) b->Image.Assign(nullptr);
    }
    return b;
}

// The MDI control buttons (actions 7, 8, 9), each four frames of the 12-column strip.
void AddMdiButtons(const SkinSource& s, std::vector<std::unique_ptr<TDataSkinSysButton>>& buttons) {
    tk::TBitmap strip;
    LoadBitmapMember(s, strip, s.ini.ReadString("MDICONTROLS", "Image", ""));
    if (!strip.Empty()) strip.SetPixelFormat(tk::TPixelFormat::pf24bit);
    for (int i = 0; i < 3; ++i) {
        auto b = std::make_unique<TDataSkinSysButton>("MDICONTROLS");
        b->Action = 7 + i;
        b->Align = b->Visibility = b->Visibility1 = 100;
        b->Frame = 4;
        if (!strip.Empty()) {
            const MdiButtonCut cut = MdiButtonCutOf(strip.Width(), i);
            b->Image.SetSize(cut.width, strip.Height());
            BitBlt(b->Image.Canvas().Handle(), 0, 0, cut.width, strip.Height(), strip.Canvas().Handle(),
                   cut.sourceLeft, 0, SRCCOPY);
            b->Xcoord = cut.xcoord;
        }
        buttons.push_back(std::move(b));
    }
}

}  // namespace

bool IsCaptionButtonSection(const TQuickIni& ini, const std::string& section) {
    const std::string upper = UpperCase(section);
    if (upper.rfind("BUTTON", 0) != 0) return false;
    if (upper == "BUTTON" || upper == "BUTTONS" || upper == "BUTTON.RADIO" || upper == "BUTTON.CHECKBOX") return false;
    return !(ini.ReadInteger(section, "Action", 0) == -1 && ini.ReadInteger(section, "Visibility", -1) != 0);
}

std::vector<std::unique_ptr<TDataSkinSysButton>> ReadCaptionButtons(const SkinSource& source,
                                                                    const std::vector<std::string>& sections) {
    std::vector<std::unique_ptr<TDataSkinSysButton>> buttons;
    for (const std::string& section : sections)
        if (IsCaptionButtonSection(source.ini, section)) buttons.push_back(ReadCaptionButton(source, section));
    AddMdiButtons(source, buttons);
    return buttons;
}

}  // namespace skin
