// The skin description's ini reader: line cutting, comments, section and key matching, the
// first-occurrence rule, integer forms, and bytes above 0x7F passing through untouched.
#include <gtest/gtest.h>

#include "archive_fixture.h"
#include "quick_ini.h"

namespace skin {
namespace {

using fixture::LoadStream;

class QuickIniTest : public ::testing::Test {
protected:
    void Load(const std::string& text, size_t position = 0) {
        LoadStream(stream_, std::vector<uint8_t>(text.begin(), text.end()));
        stream_.SetPosition(static_cast<int64_t>(position));
        ini_.LoadFromStream(&stream_);
    }
    std::vector<std::string> Sections() const {
        std::vector<std::string> names{"stale"};
        ini_.ReadSections(names);
        return names;
    }

    TQuickIni ini_;
    tk::TMemoryStream stream_;
};

TEST_F(QuickIniTest, SectionHeaderMatchesWithoutCaseButOnlyWithoutInnerSpaces) {
    Load("[Colours]\r\nWindowText=1,2,3\r\n[ Spaced ]\r\nKey=v\r\n");
    for (const char* name : {"colours", "COLOURS", "Colours"})
        EXPECT_EQ(ini_.ReadString(name, "WindowText", "none"), "1,2,3") << name;
    for (const char* name : {"Spaced", "SPACED", "spaced"})
        EXPECT_EQ(ini_.ReadString(name, "Key", "none"), "none") << name;
    EXPECT_EQ(Sections(), (std::vector<std::string>{"Colours", "Spaced"}));
}

TEST_F(QuickIniTest, FirstLineWithTheKeyDecidesEvenWhenItsValueIsEmpty) {
    Load("Before=top\r\n"
         "[Buttons]\r\n"
         "  Image = a.bmp  \r\n"
         "Empty=\r\n"
         "Empty=later\r\n"
         "Image=second.bmp\r\n"
         "NoEquals\r\n"
         "Inner=a=b\r\n"
         ";Hidden=x\r\n"
         "  ; Indented=x\r\n"
         "Noted=x ; note\r\n"
         "[Next]\r\n"
         "Other=1\r\n");
    struct Case { const char* section; const char* key; const char* expected; };
    const Case cases[] = {
        {"Buttons", "IMAGE", "a.bmp"},    {"Buttons", "image", "a.bmp"},
        {"Buttons", "Empty", "default"},  {"Buttons", "Inner", "a=b"},
        {"Buttons", "Hidden", "default"}, {"Buttons", "; Indented", "default"},
        {"Buttons", "Noted", "x ; note"}, {"Buttons", "Other", "default"},
        {"Buttons", "NoEquals", "default"}, {"Buttons", "", "default"},
        {"Next", "Other", "1"},           {"Next", "Image", "default"},
        {"", "Before", "default"},        {"Missing", "Image", "default"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini_.ReadString(c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
}

TEST_F(QuickIniTest, LinesEndAtCrLfCrLfOrLfCrAndAZeroByteEndsTheText) {
    struct Case { std::string text; const char* expected; };
    const Case cases[] = {
        {"[S]\r\nk=1\r\n", "1"},
        {"[S]\rk=1\r", "1"},
        {"[S]\nk=1\n", "1"},
        {"[S]\n\rk=1\n\r", "1"},
        {"[S]\r\r\n\nk=1", "1"},
        {"\t[S]\t\r\n\tk\t=\t1\t\r\n", "1"},
        {std::string("[S]\r\nk=1\0more", 14), "1"},
        {std::string("[S]\0\r\nk=1", 10), "none"},
        {std::string("\0[S]\r\nk=1", 10), "none"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        Load(c.text);
        EXPECT_EQ(ini_.ReadString("S", "k", "none"), c.expected);
    }
    Load(std::string("[S]\r\nk=1\0\r\nj=2", 15));
    EXPECT_EQ(ini_.ReadString("S", "j", "none"), "none");
}

TEST_F(QuickIniTest, IntegersAreDecimalDollarOrLongerThanBareZeroXHex) {
    struct Case { const char* value; int expected; };
    const Case cases[] = {
        {"0x1F", 31},  {"0X1f", 31},  {"$1F", 31},   {"31", 31},    {"-31", -31},  {"+7", 7},
        {"0", 0},      {"0x0", 0},    {"1F", 777},   {"0x", 777},   {"0x-1", 777}, {"3 1", 777},
        {"", 777},     {"x1F", 777},  {"0x1G", 777}, {"0xFFFFFFFF", -1},
    };
    for (const Case& c : cases) {
        Load(std::string("[Fonts]\r\nFontHeight=") + c.value + "\r\n");
        EXPECT_EQ(ini_.ReadInteger("Fonts", "FONTHEIGHT", 777), c.expected) << '"' << c.value << '"';
    }
    Load("[Fonts]\r\nFontHeight=-0x10\r\nBig=2147483648\r\n");
    EXPECT_EQ(ini_.ReadInteger("Fonts", "FontHeight", 12), 12);
    EXPECT_EQ(ini_.ReadInteger("Fonts", "Big", 12), 12);
}

TEST_F(QuickIniTest, BytesAboveAsciiPassThroughTrimmingAndCaseFolding) {
    // GBK text; 0xA0 and 0xC0 trail bytes at the ends must not be taken for spaces or letters.
    const std::string section = "\xc6\xa4\xb7\xf4";
    const std::string value = "\xb2\xa5\xb7\xc5\xb0\xa0";
    Load("[" + section + "]\r\nTitle=" + value + "\r\n\xd7\xd6=\xcc\xe5\xc0\r\n");
    EXPECT_EQ(ini_.ReadString(section, "title", ""), value);
    EXPECT_EQ(ini_.ReadString(section, "\xd7\xd6", ""), "\xcc\xe5\xc0");
    EXPECT_EQ(ini_.ReadString(section, "\xd7\xf6", "none"), "none");
    EXPECT_EQ(Sections(), std::vector<std::string>{section});
}

TEST_F(QuickIniTest, LoadingReadsFromThePositionAndReplacesWhatWasLoaded) {
    const std::string text = "[A]\r\nk=a\r\n[B]\r\nk=b\r\n";
    Load(text, text.find("[B]"));
    EXPECT_EQ(ini_.ReadString("A", "k", "none"), "none");
    EXPECT_EQ(ini_.ReadString("B", "k", "none"), "b");

    ini_.LoadFromStream(nullptr);
    EXPECT_EQ(ini_.ReadString("B", "k", "none"), "b");

    Load("; only a comment\r\n\r\n   \r\n");
    EXPECT_EQ(ini_.ReadString("B", "k", "none"), "none");
    EXPECT_TRUE(Sections().empty());

    Load(text, text.size() + 10);  // positioned past the end: nothing to read
    EXPECT_TRUE(Sections().empty());
}

}  // namespace
}  // namespace skin
