// The lint rules, one broken skin each: a small skin that lints clean, and per rule one change
// that must give that rule's finding.
#include <gtest/gtest.h>

#include <functional>

#include "bmp_file.h"
#include "skin_lint.h"

namespace skinpack {
namespace {

constexpr uint32_t kFace = Rgb(52, 96, 168);

std::string Solid(int w, int h, uint32_t colour = kFace) { return EncodeBmp24(Picture(w, h, colour)); }

// Two side-by-side frames of a left border with the round corners cut in both.
Picture LeftBorder() {
    Picture p(8, 64, kFace);
    for (int f = 0; f < 2; ++f) p.at(4 * f, 0) = kMagenta;
    return p;
}

const char kColours[] =
    "[Colours]\r\nWindowText=0,0,0\r\nButtonText=16,24,40\r\nButtonFace=232,236,242\r\nButtonHilight=255,255,255\r\n"
    "Scrollbar=220,226,234\r\nButtonlight=245,247,250\r\nHilightText=255,255,255\r\nButtonShadow=138,150,168\r\n"
    "Hilight=56,104,176\r\nButtonDkShadow=64,72,88\r\nMenubar=214,222,234\r\nMenuBarText=16,24,40\r\n"
    "Menu=248,249,252\r\nTitleTextActive=255,255,255\r\nMenuText=16,24,40\r\nTitleTextNoActive=224,228,236\r\n";

struct Skin {
    std::string personality =
        "[Personality]\r\nLeft=left.bmp\r\nLeftFrame=2\r\nLeftTopHeight=24\r\nLeftBotHeight=4\r\n"
        "Top=top.bmp\r\nTopFrame=2\r\nTopTopHeight=2\r\nTopBotHeight=2\r\nTopTrans=0\r\n";
    std::string colours = kColours;
    std::string rest =
        "[BUTTON.CLOSE]\r\nAction=0\r\nframe=4\r\nButtonImage=close.bmp\r\n"
        "[Buttons]\r\nBitmap=button.bmp\r\nLeftWidth=4\r\nRightWidth=4\r\nCheckButton=check.bmp\r\nTrans=1\r\n"
        "[Scrollbar]\r\nImage=scrollbar.bmp\r\nTrans=1\r\n";
    std::vector<Member> pictures = {{"button.bmp", Solid(120, 22)},    {"check.bmp", Solid(52, 13)},
                                    {"close.bmp", Solid(72, 16)},      {"left.bmp", EncodeBmp24(LeftBorder())},
                                    {"scrollbar.bmp", Solid(391, 17)}, {"top.bmp", Solid(96, 48)}};

    bool iniFirst = true;

    std::vector<Member> Members() const {
        std::vector<Member> members = pictures;
        members.insert(iniFirst ? members.begin() : members.end(), {"skin.ini", personality + colours + rest});
        return members;
    }
    std::string& Picture(const std::string& name) {
        for (Member& m : pictures)
            if (m.name == name) return m.bytes;
        pictures.push_back({name, ""});
        return pictures.back().bytes;
    }
};

void Replace(std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

std::string Findings(const LintReport& report) {
    std::string text;
    for (const Finding& f : report.findings) text += FormatFinding(f) + "\n";
    return text;
}

TEST(SkinLint, TheSmallSkinIsClean) {
    const LintReport report = LintSkin(Skin().Members());
    EXPECT_TRUE(report.findings.empty()) << Findings(report);
}

struct BrokenSkin {
    const char* rule;
    std::function<void(Skin&)> change;
    Severity severity;
    const char* finding;  // a part of the expected finding's text
};

TEST(SkinLint, EachRuleNamesWhatIsWrong) {
    const BrokenSkin cases[] = {
        {"picture naming no member", [](Skin& s) { Replace(s.rest, "check.bmp", "tick.bmp"); }, Severity::Error,
         "CheckButton=tick.bmp names no member"},
        {"picture value not lower-case", [](Skin& s) { Replace(s.rest, "=check.bmp", "=Check.bmp"); }, Severity::Error,
         "is not lower-case"},
        {"picture value not ending in .bmp", [](Skin& s) { Replace(s.rest, "check.bmp", "check.png"); },
         Severity::Error, "does not end in \".bmp\""},
        {"member that is not 24-bit",
         [](Skin& s) {
             s.Picture("check.bmp") =
                 EncodeBmpIndexed(52, 13, 4, std::vector<uint32_t>(16, 0), std::vector<uint8_t>(52 * 13, 0));
         },
         Severity::Error, "4 bits per pixel"},
        {"member that is no bitmap", [](Skin& s) { s.Picture("check.bmp") = "GIF89a"; }, Severity::Error,
         "[check.bmp] not a bitmap file"},
        {"forced frame count", [](Skin& s) { s.Picture("button.bmp") = Solid(121, 22); }, Severity::Error,
         "width 121 is not divisible by the 5 frames"},
        {"border frame count", [](Skin& s) { Replace(s.personality, "LeftFrame=2", "LeftFrame=3"); }, Severity::Error,
         "width 8 is not divisible by the 3 frames"},
        {"stacked frames", [](Skin& s) { s.Picture("top.bmp") = Solid(96, 47); }, Severity::Error,
         "height 47 is not divisible by the 2 frames"},
        {"check frames by the 13/16 rule", [](Skin& s) { s.Picture("check.bmp") = Solid(50, 13); }, Severity::Error,
         "width 50 is not divisible by the 4 frames"},
        {"caption button frame key", [](Skin& s) { Replace(s.rest, "frame=4", "frame=5"); }, Severity::Error,
         "width 72 is not divisible by the 5 frames"},
        {"border frame count below 1", [](Skin& s) { Replace(s.personality, "TopFrame=2", "TopFrame=0"); },
         Severity::Error, "TopFrame 0 is below 1"},
        {"margins wider than the frame", [](Skin& s) { Replace(s.rest, "RightWidth=4", "RightWidth=21"); },
         Severity::Error, "margins 4/0/21/0 do not fit its 24 x 22 frame"},
        {"border magenta differing between frames",
         [](Skin& s) {
             Picture p = LeftBorder();
             p.at(4, 0) = kFace;
             s.Picture("left.bmp") = EncodeBmp24(p);
         },
         Severity::Error, "Left frame 2 differs from frame 1 in magenta at (0, 0)"},
        {"near-magenta pixel",
         [](Skin& s) {
             Picture p(391, 17, kFace);
             p.at(30, 5) = Rgb(255, 1, 255);
             s.Picture("scrollbar.bmp") = EncodeBmp24(p);
         },
         Severity::Error, "near-magenta pixel at (30, 5)"},
        {"magenta in a picture drawn opaque",
         [](Skin& s) {
             Picture p(96, 48, kFace);
             p.at(50, 30) = kMagenta;
             s.Picture("top.bmp") = EncodeBmp24(p);
         },
         Severity::Error, "Top is drawn opaque but has magenta at (50, 30)"},
        {"scroll bar height", [](Skin& s) { s.Picture("scrollbar.bmp") = Solid(391, 20); }, Severity::Error,
         "height 20 is more than 2 px from the scroll bar's 17"},
        {"missing colour", [](Skin& s) { Replace(s.colours, "ButtonFace=232,236,242\r\n", ""); }, Severity::Error,
         "no \"ButtonFace\""},
        {"spaces in a section header", [](Skin& s) { Replace(s.colours, "[Colours]", "[ Colours ]"); }, Severity::Error,
         "spaces inside \"[ Colours ]\""},
        {"duplicate key", [](Skin& s) { s.rest += "Trans=0\r\n"; }, Severity::Error, "key \"trans\" appears twice"},
        {"inline comment", [](Skin& s) { Replace(s.rest, "Image=scrollbar.bmp", "Image=scrollbar.bmp ; arrows"); },
         Severity::Error, "a comment after a value is part of the value"},
        {"unknown key of a known section", [](Skin& s) { s.personality += "LeftStrech=1\r\n"; }, Severity::Error,
         "unknown key \"leftstrech\""},
        {"caption button in a dropped section", [](Skin& s) { Replace(s.rest, "[BUTTON.CLOSE]", "[BUTTON.RADIO]"); },
         Severity::Error, "a caption button named [BUTTON.RADIO] is dropped by the model"},
        {"wide caption button without frame", [](Skin& s) { Replace(s.rest, "frame=4\r\n", ""); }, Severity::Error,
         "wider than 3.8 : 1 and has no \"frame\""},
        {"two inis",
         [](Skin& s) {
             s.pictures.push_back({"other.ini", ""});
         },
         Severity::Error, "2 names contain \".ini\""},
        {"ini not first", [](Skin& s) { s.iniFirst = false; }, Severity::Error, "the ini is not the first member"},
        {"more than 1001 members",
         [](Skin& s) {
             for (int i = 0; i < 1000; ++i) s.pictures.push_back({"m" + std::to_string(i) + ".bmp", Solid(1, 1)});
         },
         Severity::Error, "1007 members; the reader holds at most 1001"},
        {"side border's caption part stretched",
         [](Skin& s) { Replace(s.personality, "LeftTopHeight=24", "LeftTopHeight=20"); }, Severity::Warning,
         "LeftTopHeight 20 is below the caption height 24"},
        {"check strip remapped", [](Skin& s) { s.Picture("check.bmp") = Solid(13 * 12, 13); }, Severity::Warning,
         "CheckButton has 12 frames"},
        {"section nothing in the player draws",
         [](Skin& s) {
             s.rest += "[Headerbar]\r\nImage=header.bmp\r\n";
             s.Picture("header.bmp") = Solid(150, 18);
         },
         Severity::Warning, "[Headerbar] nothing in the player draws this section"},
    };
    for (const BrokenSkin& c : cases) {
        SCOPED_TRACE(c.rule);
        Skin skin;
        c.change(skin);
        const LintReport report = LintSkin(skin.Members());
        bool found = false;
        for (const Finding& f : report.findings)
            found |= f.severity == c.severity && FormatFinding(f).find(c.finding) != std::string::npos;
        EXPECT_TRUE(found) << "wanted: " << c.finding << "\ngot:\n" << Findings(report);
        if (c.severity == Severity::Warning) EXPECT_EQ(report.Errors(), 0) << Findings(report);
    }
}

}  // namespace
}  // namespace skinpack
