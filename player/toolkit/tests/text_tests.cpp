// Text conversions, integer parsing and the window-property name.
#include <gtest/gtest.h>

#include "control_atom_name.h"
#include "exceptions.h"
#include "str_to_int.h"
#include "text_convert.h"

namespace tk {
namespace {

TEST(StrToInt, AcceptsDecimalAndDollarHexOnly) {
    struct Case { const wchar_t* text; bool ok; int value; };
    const Case cases[] = {
        {L"0", true, 0},        {L"+42", true, 42},          {L"-2147483648", true, INT32_MIN},
        {L"2147483647", true, INT32_MAX}, {L"2147483648", false, 0}, {L"$FF", true, 255},
        {L"$ffffffff", true, -1}, {L"$123456789", false, 0}, {L"$", false, 0},
        {L"", false, 0},        {L"12a", false, 0},          {L" 1", false, 0},
        {L"-", false, 0},       {L"0x10", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(StrToIntDef(c.text, 777), c.ok ? c.value : 777);
        if (c.ok) EXPECT_EQ(StrToInt(c.text), c.value);
        else EXPECT_THROW(StrToInt(c.text), EConvertError);
    }
}

TEST(TextConvert, Utf8RoundTripOfPlayerTexts) {
    const std::string utf8 = "\xe7\x89\x88\xe6\x9c\xac\xef\xbc\x9aV1.40";  // 版本：V1.40
    std::wstring wide = Utf8ToWide(utf8);
    ASSERT_EQ(wide.size(), 8u);
    EXPECT_EQ(wide[0], static_cast<wchar_t>(0x7248));
    EXPECT_EQ(WideToUtf8(wide), utf8);
    EXPECT_EQ(Utf8ToWide("\xff" "a"), std::wstring(L"\xfffd" L"a"));  // malformed byte
}

TEST(TextConvert, AsciiCaseFoldingLeavesOtherCharactersAlone) {
    EXPECT_TRUE(SameTextAscii(L"SimpleText", L"simpletext"));
    EXPECT_FALSE(SameTextAscii(L"abc", L"abd"));
    std::wstring chinese = Utf8ToWide("\xe6\x92\xad\xe6\x94\xbe");
    EXPECT_EQ(AsciiLowerCase(L"TPanel" + chinese), L"tpanel" + chinese);
    EXPECT_EQ(AsciiUpperCase(L"tform1_skindata1"), L"TFORM1_SKINDATA1");
}

TEST(ControlAtomName, ModuleAndThreadAsEightUpperHexDigits) {
    EXPECT_EQ(ControlAtomName(0x400000, 0x2a), "ControlOfs004000000000002A");
    EXPECT_EQ(ControlAtomName(0xDEADBEEF, 0xFFFFFFFF), "ControlOfsDEADBEEFFFFFFFFF");
}

}  // namespace
}  // namespace tk
